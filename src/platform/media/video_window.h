// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The video window and native-size interfaces of a video renderer. The renderer's window is a widget that an
// owner window adopts as a child; input over it goes to a message drain window.

#include "platform/com/unknown.h"

#include <cstdint>

class QWidget;

using LONG = std::int32_t;
using OAHWND = QWidget*;
constexpr LONG OATRUE = -1;
constexpr LONG OAFALSE = 0;

constexpr LONG WS_CHILD = 0x40000000;
constexpr LONG WS_CLIPCHILDREN = 0x02000000;
constexpr LONG WS_CLIPSIBLINGS = 0x04000000;
constexpr LONG WS_THICKFRAME = 0x00040000;

struct IVideoWindow : IUnknown {
    static constexpr Guid IID = Guid::of("{56A868B4-0AD4-11CE-B03A-0020AF0BA770}");

    virtual HRESULT put_Owner(OAHWND owner) = 0;
    virtual HRESULT get_Owner(OAHWND* owner) = 0;
    virtual HRESULT put_WindowStyle(LONG style) = 0;
    virtual HRESULT get_WindowStyle(LONG* style) = 0;
    virtual HRESULT put_MessageDrain(OAHWND drain) = 0;
    virtual HRESULT get_MessageDrain(OAHWND* drain) = 0;
    virtual HRESULT put_Visible(LONG visible) = 0;
    virtual HRESULT get_Visible(LONG* visible) = 0;
    virtual HRESULT SetWindowPosition(LONG left, LONG top, LONG width, LONG height) = 0;
    virtual HRESULT GetWindowPosition(LONG* left, LONG* top, LONG* width, LONG* height) = 0;
    virtual HRESULT put_FullScreenMode(LONG fullScreen) = 0;
    virtual HRESULT get_FullScreenMode(LONG* fullScreen) = 0;
};

struct IBasicVideo : IUnknown {
    static constexpr Guid IID = Guid::of("{56A868B5-0AD4-11CE-B03A-0020AF0BA770}");

    // The native size of the picture; VFW_E_NOT_CONNECTED while no picture format is known.
    virtual HRESULT GetVideoSize(LONG* width, LONG* height) = 0;
    // 100 ns per frame, 0 when unknown.
    virtual HRESULT get_AvgTimePerFrame(double* seconds) = 0;
};
