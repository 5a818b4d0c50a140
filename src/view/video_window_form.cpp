#include "video_window_form.h"

#include "on_screen_control.h"
#include "picture_menus.h"
#include "video_target.h"
#include "video_window_host.h"

#include <QAction>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWindow>

TVideoWindowForm* VideoWindowForm = nullptr;

namespace {
constexpr int kInitialClientWidth = 394;
constexpr int kInitialClientHeight = 319;
constexpr int kSizingFrame = 4;
constexpr int kWheelNotch = 120;
} // namespace

TVideoWindowForm::TVideoWindowForm(VideoWindowHost& host, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), host_(host) {
    setObjectName(QStringLiteral("VideoWindowForm"));
    setWindowTitle(QStringLiteral("Corvane Video Window"));
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
    resize(kInitialClientWidth, kInitialClientHeight);
    buildPopupMenu();
    onScreen_ = new OnScreenControl(host_, this);

    VideoTarget = VideoTargetRecord{};
    VideoTarget.owner = this;
}

TVideoWindowForm::~TVideoWindowForm() {
    DetachVideo();
    if (VideoTarget.owner == this) {
        VideoTarget.owner = nullptr;
    }
}

void TVideoWindowForm::buildPopupMenu() {
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    auto add = [this](const char* name, const QString& caption, const QKeySequence& shortcut, auto handler) {
        QAction* action = PopupMenu1->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        if (!shortcut.isEmpty()) {
            action->setShortcut(shortcut);
            action->setShortcutContext(Qt::WindowShortcut);
            // Shortcuts of a popup menu work while the menu is closed only when the window holds the actions.
            addAction(action);
        }
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    ShowMainWindow1 =
        add("ShowMainWindow1", tr("Show main window"), {}, &TVideoWindowForm::ShowMainWindow1Click);
    HideMainWindow1 =
        add("HideMainWindow1", tr("Hide main window"), {}, &TVideoWindowForm::HideMainWindow1Click);
    PopupMenu1->addSeparator()->setObjectName(QStringLiteral("N1"));
    Zoom200 =
        add("Zoom200", tr("Zoom 200%"), QKeySequence(Qt::CTRL | Qt::Key_3), &TVideoWindowForm::Zoom200Click);
    Zoom100 =
        add("Zoom100", tr("Zoom 100%"), QKeySequence(Qt::CTRL | Qt::Key_2), &TVideoWindowForm::Zoom100Click);
    Zoom50 =
        add("Zoom50", tr("Zoom 50%"), QKeySequence(Qt::CTRL | Qt::Key_1), &TVideoWindowForm::Zoom50Click);
    Fullscreen1 = add("Fullscreen1", tr("Full screen"), QKeySequence(Qt::ALT | Qt::Key_Return),
                      &TVideoWindowForm::fullscreenTriggered);
    Fullscreen1->setCheckable(true);
    // Full screen can also end without this menu (the picture detached); the mark shown is the real one.
    connect(PopupMenu1, &QMenu::aboutToShow, this, [this] {
        if (VideoTarget.window) {
            Fullscreen1->setChecked(pictureIsFullScreen());
        }
    });
    pictureMenus_ = new PictureMenus(*PopupMenu1, host_);
    PopupMenu1->addSeparator()->setObjectName(QStringLiteral("N2"));
    Exit1 = add("Exit1", tr("E&xit"), {}, &TVideoWindowForm::Exit1Click);
}

void TVideoWindowForm::FormClose() {
    DetachVideo();
}

void TVideoWindowForm::FormResize() {
    VideoTarget.clientWidth = width();
    VideoTarget.clientHeight = height();
    LayoutVideo();
}

void TVideoWindowForm::FormKeyDown(int key) {
    if (onScreen_->keyPressed(key)) {
        return;
    }
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        Fullscreen1Click();
        break;
    case Qt::Key_Space:
        if (host_.isPlayerPageVisible()) {
            host_.PauseButtonClick();
        }
        break;
    case Qt::Key_Left:
    case Qt::Key_Right: {
        const bool up = key == Qt::Key_Right;
        if (host_.isTVPageVisible()) {
            host_.TVChanUpDownChangingEx(up, host_.TVChanUpDownPosition() + (up ? 1 : -1));
        }
        if (host_.isPlayerPageVisible()) {
            host_.FormMouseWheel(up ? kWheelNotch : -kWheelNotch);
        }
        break;
    }
    default:
        break;
    }
}

void TVideoWindowForm::FormMouseDown(Qt::MouseButton button, QPoint clientPos) {
    if (button != Qt::LeftButton) {
        return;
    }
    dragging_ = true;
    dragStartX_ = clientPos.x();
    dragStartY_ = clientPos.y();
}

void TVideoWindowForm::FormMouseMove(QPoint clientPos) {
    if (!dragging_) {
        return;
    }
    const int dx = clientPos.x() - dragStartX_;
    const int dy = clientPos.y() - dragStartY_;
    // A pointer that did not move is no drag: the click that follows still pauses.
    if (dx == 0 && dy == 0) {
        return;
    }
    move(x() + dx, y() + dy);
    moved_ = true;
}

void TVideoWindowForm::FormMouseUp(Qt::MouseButton button) {
    if (button == Qt::LeftButton) {
        dragging_ = false;
    }
}

void TVideoWindowForm::FormClick() {
    if (moved_) {
        moved_ = false;
        return;
    }
    if (host_.isPlayerPageVisible()) {
        host_.PauseButtonClick();
    }
}

void TVideoWindowForm::FormDblClick() {
    Fullscreen1Click();
}

void TVideoWindowForm::FormMouseWheel(int wheelDelta) {
    host_.FormMouseWheel(wheelDelta);
}

void TVideoWindowForm::ShowMainWindow1Click() {
    host_.showMainWindow();
}

void TVideoWindowForm::HideMainWindow1Click() {
    host_.hideMainWindow();
}

void TVideoWindowForm::Exit1Click() {
    host_.closeMainWindow();
}

void TVideoWindowForm::fullscreenTriggered() {
    Fullscreen1->setChecked(!Fullscreen1->isChecked());
    Fullscreen1Click();
}

bool TVideoWindowForm::pictureIsFullScreen() const {
    IVideoWindow* window = VideoTarget.window.get();
    LONG mode = OAFALSE;
    if (!window || FAILED(window->get_FullScreenMode(&mode))) {
        return false;
    }
    return mode != OAFALSE;
}

void TVideoWindowForm::Fullscreen1Click() {
    IVideoWindow* window = VideoTarget.window.get();
    if (!window) {
        return;
    }
    window->put_FullScreenMode(pictureIsFullScreen() ? OAFALSE : OATRUE);
    Fullscreen1->setChecked(pictureIsFullScreen());
}

void TVideoWindowForm::zoomTo(int width, int height) {
    // Zoom leaves full screen. The picture's own mode decides, not the mark: a mark left from a picture
    // since detached must not make the zoom switch the new picture to full screen.
    if (pictureIsFullScreen()) {
        Fullscreen1Click();
    }
    Fullscreen1->setChecked(false);
    // Without a picture there is no native size to zoom to; a window of no size could not be found again.
    if (width < 1 || height < 1) {
        return;
    }
    resize(width, height);
}

void TVideoWindowForm::Zoom200Click() {
    zoomTo(ShownVideoWidth() * 2, VideoTarget.videoHeight * 2);
}

void TVideoWindowForm::Zoom100Click() {
    zoomTo(ShownVideoWidth(), VideoTarget.videoHeight);
}

void TVideoWindowForm::Zoom50Click() {
    zoomTo(ShownVideoWidth() / 2, VideoTarget.videoHeight / 2);
}

Qt::Edges TVideoWindowForm::edgesAt(QPoint clientPos) const {
    Qt::Edges edges;
    if (clientPos.x() < kSizingFrame) {
        edges |= Qt::LeftEdge;
    }
    if (clientPos.x() >= width() - kSizingFrame) {
        edges |= Qt::RightEdge;
    }
    if (clientPos.y() < kSizingFrame) {
        edges |= Qt::TopEdge;
    }
    if (clientPos.y() >= height() - kSizingFrame) {
        edges |= Qt::BottomEdge;
    }
    return edges;
}

void TVideoWindowForm::closeEvent(QCloseEvent* event) {
    FormClose();
    QWidget::closeEvent(event);
}

void TVideoWindowForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // A page shows the window once its picture is attached: the page's shape and the deinterlacing apply.
    pictureMenus_->applyToPicture();
}

void TVideoWindowForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    FormResize();
}

bool TVideoWindowForm::triggerMenuShortcut(const QKeyEvent& event) {
    const QKeySequence pressed(event.keyCombination());
    for (QAction* action : actions()) {
        if (action->isEnabled() && action->shortcut().matches(pressed) == QKeySequence::ExactMatch) {
            action->trigger();
            return true;
        }
    }
    return false;
}

void TVideoWindowForm::keyPressEvent(QKeyEvent* event) {
    if (!triggerMenuShortcut(*event)) {
        FormKeyDown(event->key());
    }
    event->accept();
}

void TVideoWindowForm::mousePressEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        const Qt::Edges edges = edgesAt(pos);
        if (edges && windowHandle() && windowHandle()->startSystemResize(edges)) {
            return;
        }
        leftPressed_ = true;
    }
    FormMouseDown(event->button(), pos);
}

bool TVideoWindowForm::startWindowSystemMove() {
    return windowHandle() && windowHandle()->startSystemMove();
}

void TVideoWindowForm::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    const bool leftDrag = dragging_ && leftPressed_ && (event->buttons() & Qt::LeftButton);
    if (leftDrag && pos != QPoint(dragStartX_, dragStartY_) && startWindowSystemMove()) {
        // The window system moves the window from here on and may keep the release to itself: the press ends
        // now, as a drag, so no click follows it.
        dragging_ = false;
        leftPressed_ = false;
        return;
    }
    FormMouseMove(pos);
}

void TVideoWindowForm::mouseReleaseEvent(QMouseEvent* event) {
    const bool endsClick = event->button() == Qt::LeftButton && leftPressed_ && !releaseEndsDoubleClick_;
    if (event->button() == Qt::LeftButton) {
        leftPressed_ = false;
        releaseEndsDoubleClick_ = false;
    }
    if (endsClick) {
        FormClick();
    }
    FormMouseUp(event->button());
}

void TVideoWindowForm::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    releaseEndsDoubleClick_ = true;
    leftPressed_ = true;
    FormDblClick();
    FormMouseDown(event->button(), event->position().toPoint());
}

void TVideoWindowForm::wheelEvent(QWheelEvent* event) {
    const int delta = event->angleDelta().y();
    if (delta != 0) {
        FormMouseWheel(delta);
    }
    event->accept();
}

void TVideoWindowForm::contextMenuEvent(QContextMenuEvent* event) {
    PopupMenu1->popup(event->globalPos());
}
