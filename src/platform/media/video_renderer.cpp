#include "video_renderer.h"

#include "deinterlace_methods.h"
#include "on_picture_text.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

VideoRendererWidget::VideoRendererWidget(VideoRenderer& renderer) : renderer_(renderer) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Keys belong to the window that owns the picture; the renderer only passes them on.
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    setWindowTitle(QStringLiteral("ActiveMovie Window"));
}

void VideoRendererWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QImage frame = renderer_.currentFrame();
    if (frame.isNull()) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const double aspect = renderer_.displayAspect();
    if (isFullScreen() && aspect > 0) {
        // Full screen keeps the picture's shape: bars where the screen's differs.
        painter.fillRect(rect(), Qt::black);
        painter.drawImage(FitToAspect(rect(), aspect), frame);
    } else {
        painter.drawImage(rect(), frame);
    }
    DrawOnPictureText(painter, rect(), renderer_.overlayText());
}

bool VideoRendererWidget::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ContextMenu:
        if (forwardToDrain(event)) {
            return true;
        }
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

bool VideoRendererWidget::forwardToDrain(QEvent* event) {
    QWidget* drain = drain_.data();
    if (!drain) {
        return false;
    }
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QPointF local = drain->mapFromGlobal(mouse->globalPosition());
        QMouseEvent copy(mouse->type(), local, mouse->globalPosition(), mouse->button(), mouse->buttons(),
                         mouse->modifiers());
        QCoreApplication::sendEvent(drain, &copy);
        return true;
    }
    case QEvent::Wheel: {
        auto* wheel = static_cast<QWheelEvent*>(event);
        const QPointF local = drain->mapFromGlobal(wheel->globalPosition());
        QWheelEvent copy(local, wheel->globalPosition(), wheel->pixelDelta(), wheel->angleDelta(),
                         wheel->buttons(), wheel->modifiers(), wheel->phase(), wheel->inverted());
        QCoreApplication::sendEvent(drain, &copy);
        return true;
    }
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        auto* key = static_cast<QKeyEvent*>(event);
        QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->text(), key->isAutoRepeat(),
                       key->count());
        QCoreApplication::sendEvent(drain, &copy);
        return true;
    }
    case QEvent::ContextMenu: {
        auto* menu = static_cast<QContextMenuEvent*>(event);
        QContextMenuEvent copy(menu->reason(), drain->mapFromGlobal(menu->globalPos()), menu->globalPos(),
                               menu->modifiers());
        QCoreApplication::sendEvent(drain, &copy);
        return true;
    }
    default:
        return false;
    }
}

VideoRenderer::VideoRenderer() : widget_(new VideoRendererWidget(*this)), repaintContext_(new QObject) {
    widget_->hide();
}

VideoRenderer::~VideoRenderer() {
    delete repaintContext_;
    // The owner may have destroyed the window with itself already; otherwise it goes with the renderer.
    delete widget_.data();
}

void VideoRenderer::presentFrame(const QImage& frame) {
    {
        std::lock_guard lock(frameMutex_);
        frame_ = frame;
        ++framesPresented_;
    }
    QMetaObject::invokeMethod(
        repaintContext_,
        [this] {
            if (widget_) {
                widget_->update();
            }
        },
        Qt::QueuedConnection);
}

void VideoRenderer::setVideoSize(int width, int height, double secondsPerFrame) {
    std::lock_guard lock(frameMutex_);
    videoWidth_ = width;
    videoHeight_ = height;
    secondsPerFrame_ = secondsPerFrame;
}

void VideoRenderer::clearFrame() {
    {
        std::lock_guard lock(frameMutex_);
        frame_ = QImage();
    }
    if (widget_) {
        widget_->update();
    }
}

void VideoRenderer::setPixelAspectRatio(int numerator, int denominator) {
    std::lock_guard lock(frameMutex_);
    pixelAspectNumerator_ = numerator;
    pixelAspectDenominator_ = denominator;
}

QImage VideoRenderer::currentFrame() const {
    std::lock_guard lock(frameMutex_);
    return frame_;
}

int VideoRenderer::framesPresented() const {
    std::lock_guard lock(frameMutex_);
    return framesPresented_;
}

HRESULT VideoRenderer::put_Owner(OAHWND owner) {
    if (!widget_) {
        return E_UNEXPECTED;
    }
    leaveFullScreen();
    const bool wasVisible = widget_->isVisible();
    owner_ = owner;
    // Reparenting hides a widget; the visibility the caller set is kept.
    widget_->setParent(owner, owner ? Qt::Widget : Qt::Window);
    widget_->setVisible(wasVisible && owner);
    return S_OK;
}

HRESULT VideoRenderer::get_Owner(OAHWND* owner) {
    if (!owner) {
        return E_POINTER;
    }
    *owner = owner_.data();
    return S_OK;
}

HRESULT VideoRenderer::put_WindowStyle(LONG style) {
    style_ = style;
    return S_OK;
}

HRESULT VideoRenderer::get_WindowStyle(LONG* style) {
    if (!style) {
        return E_POINTER;
    }
    *style = style_;
    return S_OK;
}

HRESULT VideoRenderer::put_MessageDrain(OAHWND drain) {
    if (!widget_) {
        return E_UNEXPECTED;
    }
    widget_->setDrain(drain);
    return S_OK;
}

HRESULT VideoRenderer::get_MessageDrain(OAHWND* drain) {
    if (!drain) {
        return E_POINTER;
    }
    *drain = widget_ ? widget_->drain() : nullptr;
    return S_OK;
}

HRESULT VideoRenderer::put_Visible(LONG visible) {
    if (!widget_) {
        return E_UNEXPECTED;
    }
    if (visible == OAFALSE) {
        leaveFullScreen();
    }
    widget_->setVisible(visible != OAFALSE);
    return S_OK;
}

HRESULT VideoRenderer::get_Visible(LONG* visible) {
    if (!visible) {
        return E_POINTER;
    }
    *visible = widget_ && widget_->isVisible() ? OATRUE : OAFALSE;
    return S_OK;
}

HRESULT VideoRenderer::SetWindowPosition(LONG left, LONG top, LONG width, LONG height) {
    if (!widget_) {
        return E_UNEXPECTED;
    }
    if (width < 0 || height < 0) {
        return E_INVALIDARG;
    }
    const QRect geometry(left, top, width, height);
    if (fullScreen_) {
        // Applied when full screen ends.
        windowedGeometry_ = geometry;
    } else {
        widget_->setGeometry(geometry);
    }
    return S_OK;
}

HRESULT VideoRenderer::GetWindowPosition(LONG* left, LONG* top, LONG* width, LONG* height) {
    if (!left || !top || !width || !height) {
        return E_POINTER;
    }
    if (!widget_) {
        return E_UNEXPECTED;
    }
    const QRect geometry = fullScreen_ ? windowedGeometry_ : widget_->geometry();
    *left = geometry.left();
    *top = geometry.top();
    *width = geometry.width();
    *height = geometry.height();
    return S_OK;
}

HRESULT VideoRenderer::put_FullScreenMode(LONG fullScreen) {
    if (!widget_) {
        return E_UNEXPECTED;
    }
    if (fullScreen == OAFALSE) {
        leaveFullScreen();
        return S_OK;
    }
    if (fullScreen_) {
        return S_OK;
    }
    windowedGeometry_ = widget_->geometry();
    fullScreen_ = true;
    // Full screen takes the window out of its owner onto a screen of its own; input still reaches the drain.
    widget_->setParent(nullptr, Qt::Window | Qt::FramelessWindowHint);
    widget_->showFullScreen();
    return S_OK;
}

HRESULT VideoRenderer::get_FullScreenMode(LONG* fullScreen) {
    if (!fullScreen) {
        return E_POINTER;
    }
    *fullScreen = fullScreen_ ? OATRUE : OAFALSE;
    return S_OK;
}

void VideoRenderer::leaveFullScreen() {
    if (!fullScreen_ || !widget_) {
        fullScreen_ = false;
        return;
    }
    fullScreen_ = false;
    widget_->setParent(owner_.data(), owner_ ? Qt::Widget : Qt::Window);
    widget_->setGeometry(windowedGeometry_);
    widget_->show();
}

HRESULT VideoRenderer::GetVideoSize(LONG* width, LONG* height) {
    if (!width || !height) {
        return E_POINTER;
    }
    std::lock_guard lock(frameMutex_);
    if (videoWidth_ <= 0 || videoHeight_ <= 0) {
        return VFW_E_NOT_CONNECTED;
    }
    *width = videoWidth_;
    *height = videoHeight_;
    return S_OK;
}

HRESULT VideoRenderer::get_AvgTimePerFrame(double* seconds) {
    if (!seconds) {
        return E_POINTER;
    }
    std::lock_guard lock(frameMutex_);
    *seconds = secondsPerFrame_;
    return S_OK;
}

HRESULT VideoRenderer::put_Deinterlace(const char* choice) {
    if (!choice || !IsDeinterlaceChoice(choice)) {
        return E_INVALIDARG;
    }
    deinterlace_ = choice;
    if (deinterlaceHandler_) {
        deinterlaceHandler_(deinterlace_);
    }
    return S_OK;
}

HRESULT VideoRenderer::GetPixelAspectRatio(std::int32_t* numerator, std::int32_t* denominator) {
    if (!numerator || !denominator) {
        return E_POINTER;
    }
    std::lock_guard lock(frameMutex_);
    if (pixelAspectNumerator_ <= 0 || pixelAspectDenominator_ <= 0) {
        return VFW_E_NOT_CONNECTED;
    }
    *numerator = pixelAspectNumerator_;
    *denominator = pixelAspectDenominator_;
    return S_OK;
}

HRESULT VideoRenderer::put_DisplayAspect(double aspect) {
    if (!(aspect >= 0)) {
        return E_INVALIDARG;
    }
    displayAspect_ = aspect;
    if (widget_) {
        widget_->update();
    }
    return S_OK;
}

HRESULT VideoRenderer::put_OverlayText(const QStringList& lines) {
    overlayText_ = lines;
    if (widget_) {
        widget_->update();
    }
    return S_OK;
}
