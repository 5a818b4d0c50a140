#pragma once
// The borderless black window that hosts the active graph's picture. It can be dragged, resized by its edges,
// zoomed to the picture's native size, switched to full screen, and it passes keys and the wheel to the
// pages.

#include <QWidget>

#include <memory>

class OnScreenControl;
class PictureMenus;
class QAction;
class QKeyEvent;
class QMenu;
class VideoWindowHost;

class TVideoWindowForm : public QWidget {
    Q_OBJECT
public:
    explicit TVideoWindowForm(VideoWindowHost& host, QWidget* parent = nullptr);
    ~TVideoWindowForm() override;

    QMenu* PopupMenu1 = nullptr;
    QAction* ShowMainWindow1 = nullptr;
    QAction* HideMainWindow1 = nullptr;
    QAction* Zoom200 = nullptr;
    QAction* Zoom100 = nullptr;
    QAction* Zoom50 = nullptr;
    QAction* Fullscreen1 = nullptr;
    QAction* Exit1 = nullptr;

    // Handlers, run by the events below and by the menu.
    void FormClose();
    void FormResize();
    void FormKeyDown(int key);
    void FormMouseDown(Qt::MouseButton button, QPoint clientPos);
    void FormMouseMove(QPoint clientPos);
    void FormMouseUp(Qt::MouseButton button);
    void FormClick();
    void FormDblClick();
    void FormMouseWheel(int wheelDelta);
    void ShowMainWindow1Click();
    void HideMainWindow1Click();
    void Zoom200Click();
    void Zoom100Click();
    void Zoom50Click();
    void Fullscreen1Click();
    void Exit1Click();

    // "Deinterlace" and "Aspect" in the popup menu.
    PictureMenus& pictureMenus() const { return *pictureMenus_; }
    // Channel digits and the on-screen display over the picture.
    OnScreenControl& onScreen() const { return *onScreen_; }

    bool isDragging() const { return dragging_; }
    bool wasMoved() const { return moved_; }

protected:
    // Hands the drag to the window system, which moves the window with the pointer on X11 and Wayland alike;
    // false where it cannot, and the window is then moved by the mouse events.
    virtual bool startWindowSystemMove();

    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void buildPopupMenu();
    // The menu item and Alt+Enter: Qt toggles a checkable action before its handler runs, so the mark is put
    // back first and then set by Fullscreen1Click from what the picture really does.
    void fullscreenTriggered();
    // The picture's real full-screen mode; off when no picture is attached or the mode cannot be read.
    bool pictureIsFullScreen() const;
    void zoomTo(int width, int height);
    // Keys the picture passed on while it is full screen miss the window's shortcuts; runs the menu item of
    // the key, if any.
    bool triggerMenuShortcut(const QKeyEvent& event);
    // The sizing frame of a borderless window: a press near an edge resizes instead of dragging.
    Qt::Edges edgesAt(QPoint clientPos) const;

    VideoWindowHost& host_;
    PictureMenus* pictureMenus_ = nullptr;
    OnScreenControl* onScreen_ = nullptr;
    bool dragging_ = false;
    int dragStartX_ = 0;
    int dragStartY_ = 0;
    bool moved_ = false;
    // The release after a double click ends no click, as on the platform.
    bool releaseEndsDoubleClick_ = false;
    bool leftPressed_ = false;
};

// The one video window of the program, created at start after the main window.
extern TVideoWindowForm* VideoWindowForm;
