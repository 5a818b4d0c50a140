// SPDX-License-Identifier: GPL-2.0-or-later
#include "picture_menus.h"

#include "platform/media/picture_options.h"
#include "video_target.h"
#include "video_window_choices.h"
#include "video_window_host.h"

#include <QActionGroup>
#include <QMenu>

PictureMenus::PictureMenus(QMenu& popup, VideoWindowHost& host) : QObject(&popup), host_(host) {
    Deinterlace1 = popup.addMenu(tr("Deinterlace"));
    Deinterlace1->setObjectName(QStringLiteral("Deinterlace1"));
    deinterlaceGroup_ = new QActionGroup(this);
    auto addDeinterlace = [this](const std::string& choice) {
        QAction* action = Deinterlace1->addAction(QString::fromStdString(DeinterlaceCaption(choice)));
        action->setCheckable(true);
        action->setData(QString::fromStdString(choice));
        deinterlaceGroup_->addAction(action);
        connect(action, &QAction::triggered, this, [this, choice] { chooseDeinterlace(choice); });
    };
    addDeinterlace(kDeinterlaceOff);
    Deinterlace1->addSeparator();
    for (const DeinterlaceMethod& method : DeinterlaceMethods()) {
        addDeinterlace(method.nick);
    }

    Aspect1 = popup.addMenu(tr("Aspect"));
    Aspect1->setObjectName(QStringLiteral("Aspect1"));
    aspectGroup_ = new QActionGroup(this);
    for (const PictureShapeName& name : PictureShapeNames()) {
        QAction* action = Aspect1->addAction(QString::fromLatin1(name.caption));
        action->setCheckable(true);
        action->setData(static_cast<int>(name.shape));
        aspectGroup_->addAction(action);
        const PictureShape aspect = name.shape;
        connect(action, &QAction::triggered, this, [this, aspect] { chooseAspect(aspect); });
    }
    connect(&popup, &QMenu::aboutToShow, this, &PictureMenus::showMarks);
    showMarks();
}

PictureShape& PictureMenus::pageAspect() const {
    VideoWindowChoices& choices = host_.videoWindowChoices();
    return host_.isTVPageVisible() ? choices.tvAspect : choices.playerAspect;
}

void PictureMenus::chooseDeinterlace(const std::string& choice) {
    if (!IsDeinterlaceChoice(choice)) {
        return;
    }
    host_.videoWindowChoices().deinterlace = choice;
    applyToPicture();
}

void PictureMenus::chooseAspect(PictureShape aspect) {
    pageAspect() = aspect;
    applyToPicture();
}

void PictureMenus::applyToPicture() {
    const VideoWindowChoices& choices = host_.videoWindowChoices();
    SetDefaultDeinterlace(choices.deinterlace);
    if (const RefPtr<IVideoPictureOptions> picture = query<IVideoPictureOptions>(VideoTarget.window)) {
        picture->put_Deinterlace(choices.deinterlace.c_str());
    }
    VideoTarget.aspect = pageAspect();
    LayoutVideo();
    showMarks();
}

void PictureMenus::showMarks() {
    const QString deinterlace = QString::fromStdString(host_.videoWindowChoices().deinterlace);
    for (QAction* action : deinterlaceGroup_->actions()) {
        action->setChecked(action->data().toString() == deinterlace);
    }
    const int aspect = static_cast<int>(pageAspect());
    for (QAction* action : aspectGroup_->actions()) {
        action->setChecked(action->data().toInt() == aspect);
    }
}
