// SPDX-License-Identifier: GPL-2.0-or-later
#include "video_target.h"

#include "platform/media/picture_options.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

VideoTargetRecord VideoTarget;

bool ComputeVideoLayout(std::int32_t cw, std::int32_t ch, std::int32_t vw, std::int32_t vh, bool panorama,
                        VideoRect& out) {
    if (vw < 1 || vh < 1 || cw < 1 || ch < 1) {
        return false;
    }
    out = {};
    const double heightRatio = static_cast<double>(ch) / vh;
    const double widthRatio = static_cast<double>(cw) / vw;
    if (panorama || heightRatio < widthRatio) {
        // Full height; in Panorama a window narrower than the picture cuts equal parts off left and right.
        out.width = static_cast<std::int32_t>(static_cast<double>(vw) * ch / vh);
        out.height = ch;
        out.left = static_cast<std::int32_t>((cw - out.width) * 0.5);
    } else {
        out.height = static_cast<std::int32_t>(static_cast<double>(vh) * cw / vw);
        out.width = cw;
        out.top = static_cast<std::int32_t>((ch - out.height) * 0.5);
    }
    return true;
}

HRESULT AttachVideo(QWidget* form) {
    IVideoWindow* window = VideoTarget.window.get();
    if (!window) {
        return E_FAIL;
    }
    HRESULT hr = window->put_Owner(form);
    if (FAILED(hr)) {
        return hr;
    }
    hr = window->put_WindowStyle(WS_CHILD | WS_CLIPCHILDREN);
    if (FAILED(hr)) {
        return hr;
    }
    hr = window->put_MessageDrain(VideoTarget.owner);
    if (FAILED(hr)) {
        return hr;
    }
    LayoutVideo();
    return window->put_Visible(OATRUE);
}

void DetachVideo() {
    if (!VideoTarget.window) {
        return;
    }
    // A picture shown again later starts without the text it had over it.
    if (const RefPtr<IVideoPictureOptions> picture = query<IVideoPictureOptions>(VideoTarget.window)) {
        picture->put_OverlayText({});
    }
    VideoTarget.window->put_MessageDrain(nullptr);
    VideoTarget.window->put_Visible(OAFALSE);
    VideoTarget.window->put_Owner(nullptr);
    VideoTarget.window = nullptr;
}

void LayoutVideo() {
    if (!VideoTarget.window) {
        return;
    }
    VideoRect rect;
    if (!ComputeVideoLayout(VideoTarget.clientWidth, VideoTarget.clientHeight, ShownVideoWidth(),
                            VideoTarget.videoHeight, VideoTarget.panorama, rect)) {
        return;
    }
    VideoTarget.window->SetWindowPosition(rect.left, rect.top, rect.width, rect.height);
    // Full screen fits the picture at the same shape.
    if (const RefPtr<IVideoPictureOptions> picture = query<IVideoPictureOptions>(VideoTarget.window)) {
        picture->put_DisplayAspect(ShownVideoAspect());
    }
}

double ShownVideoAspect() {
    std::int32_t numerator = 0;
    std::int32_t denominator = 0;
    const RefPtr<IVideoPictureOptions> picture = query<IVideoPictureOptions>(VideoTarget.window);
    if (!picture || FAILED(picture->GetPixelAspectRatio(&numerator, &denominator))) {
        numerator = denominator = 0;
    }
    return DisplayRatioOf(VideoTarget.aspect, VideoTarget.videoWidth, VideoTarget.videoHeight, numerator,
                          denominator);
}

std::int32_t ShownVideoWidth() {
    if (VideoTarget.aspect == PictureShape::Square) {
        return VideoTarget.videoWidth;
    }
    return ShapedWidth(VideoTarget.videoWidth, VideoTarget.videoHeight, ShownVideoAspect());
}

void PlaceBesideMainWindow(QWidget* form, QWidget* mainWindow) {
    if (!form || !mainWindow) {
        return;
    }
    QScreen* screen = mainWindow->screen() ? mainWindow->screen() : QGuiApplication::primaryScreen();
    if (!screen) {
        return;
    }
    const QRect area = screen->geometry();
    // Outer sizes, frames included, as the user sees the two windows.
    const QSize formSize = form->frameGeometry().size();
    const QSize mainSize = mainWindow->frameGeometry().size();
    const int formLeft = area.left() + (area.width() - (formSize.width() + mainSize.width())) / 2;
    const int formTop = area.top() + (area.height() - formSize.height()) / 2;
    form->move(formLeft, formTop);
    mainWindow->move(formLeft + formSize.width() + 2, formTop);
}
