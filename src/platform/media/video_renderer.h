#pragma once
// A video renderer whose window is a plain widget that paints the frames handed to it. No native window ids
// are involved, so it works on X11, Wayland and the offscreen platform alike. The media engine feeds frames
// from its streaming threads; everything else happens on the GUI thread.

#include "picture_options.h"
#include "platform/com/com_object.h"
#include "video_window.h"

#include <QImage>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include <functional>
#include <mutex>
#include <string>

class VideoRenderer;

// The renderer's window: paints the latest frame over its whole area and hands input to the drain window.
class VideoRendererWidget final : public QWidget {
    Q_OBJECT
public:
    explicit VideoRendererWidget(VideoRenderer& renderer);

    void setDrain(QWidget* drain) { drain_ = drain; }
    QWidget* drain() const { return drain_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    bool forwardToDrain(QEvent* event);

    VideoRenderer& renderer_;
    QPointer<QWidget> drain_;
};

class VideoRenderer final : public ComObject<IVideoWindow, IBasicVideo, IVideoPictureOptions> {
public:
    VideoRenderer();

    // Thread-safe: stores the frame and schedules a repaint on the GUI thread.
    void presentFrame(const QImage& frame);
    // Thread-safe: the native picture size, known once the stream's format is.
    void setVideoSize(int width, int height, double secondsPerFrame = 0.0);
    // Thread-safe: the pixel aspect ratio of the stream's caps.
    void setPixelAspectRatio(int numerator, int denominator);
    // Whoever deinterlaces the picture: told every valid choice put_Deinterlace takes, on the GUI thread.
    void setDeinterlaceHandler(std::function<void(const std::string&)> handler) {
        deinterlaceHandler_ = std::move(handler);
    }
    const std::string& deinterlace() const { return deinterlace_; }
    const QStringList& overlayText() const { return overlayText_; }
    double displayAspect() const { return displayAspect_; }
    void clearFrame();
    QImage currentFrame() const;
    int framesPresented() const;

    // The window, for tests and the engine; may be null after its owner destroyed it.
    QWidget* window() const { return widget_; }

    // IVideoWindow
    HRESULT put_Owner(OAHWND owner) override;
    HRESULT get_Owner(OAHWND* owner) override;
    HRESULT put_WindowStyle(LONG style) override;
    HRESULT get_WindowStyle(LONG* style) override;
    HRESULT put_MessageDrain(OAHWND drain) override;
    HRESULT get_MessageDrain(OAHWND* drain) override;
    HRESULT put_Visible(LONG visible) override;
    HRESULT get_Visible(LONG* visible) override;
    HRESULT SetWindowPosition(LONG left, LONG top, LONG width, LONG height) override;
    HRESULT GetWindowPosition(LONG* left, LONG* top, LONG* width, LONG* height) override;
    HRESULT put_FullScreenMode(LONG fullScreen) override;
    HRESULT get_FullScreenMode(LONG* fullScreen) override;

    // IBasicVideo
    HRESULT GetVideoSize(LONG* width, LONG* height) override;
    HRESULT get_AvgTimePerFrame(double* seconds) override;

    // IVideoPictureOptions
    HRESULT put_Deinterlace(const char* choice) override;
    HRESULT GetPixelAspectRatio(std::int32_t* numerator, std::int32_t* denominator) override;
    HRESULT put_DisplayAspect(double aspect) override;
    HRESULT put_OverlayText(const QStringList& lines) override;

private:
    ~VideoRenderer() override;
    void leaveFullScreen();

    QPointer<VideoRendererWidget> widget_;
    // Lives on the GUI thread; queued repaints are dropped with it when the renderer goes away.
    QObject* repaintContext_ = nullptr;
    QPointer<QWidget> owner_;
    LONG style_ = 0;
    bool fullScreen_ = false;
    QRect windowedGeometry_;

    mutable std::mutex frameMutex_;
    QImage frame_;
    int framesPresented_ = 0;
    int videoWidth_ = 0;
    int videoHeight_ = 0;
    double secondsPerFrame_ = 0.0;
    int pixelAspectNumerator_ = 0;
    int pixelAspectDenominator_ = 0;

    std::function<void(const std::string&)> deinterlaceHandler_;
    std::string deinterlace_;
    double displayAspect_ = 0.0;
    QStringList overlayText_;
};
