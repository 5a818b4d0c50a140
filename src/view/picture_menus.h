// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The video window's "Deinterlace" and "Aspect" submenus. A choice is kept in the host's settings and applied
// to the attached picture at once: the deinterlacing also to every picture made later, the shape to the page
// shown (the TV page and the Player page each keep their own).

#include <QObject>

class QAction;
class QActionGroup;
class QMenu;
class VideoWindowHost;
enum class PictureShape;

class PictureMenus final : public QObject {
public:
    // Adds both submenus at the end of popup.
    PictureMenus(QMenu& popup, VideoWindowHost& host);

    QMenu* Deinterlace1 = nullptr;
    QMenu* Aspect1 = nullptr;

    void chooseDeinterlace(const std::string& choice);
    void chooseAspect(PictureShape aspect);
    // The host's choices for the page shown onto the attached picture and the layout; the marks follow.
    void applyToPicture();

private:
    PictureShape& pageAspect() const;
    void showMarks();

    VideoWindowHost& host_;
    QActionGroup* deinterlaceGroup_ = nullptr;
    QActionGroup* aspectGroup_ = nullptr;
};
