// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Running a graph, its events, its positions and its sound level.

#include "platform/com/unknown.h"
#include "platform/media/video_window.h"
#include "platform/win/window_message.h"

#include <cstdint>

using LONG_PTR = std::intptr_t;
using REFERENCE_TIME = std::int64_t; // 100 ns units
using OAFilterState = LONG;

enum FILTER_STATE { State_Stopped = 0, State_Paused = 1, State_Running = 2 };

constexpr LONG INFINITE = -1;

// Event codes.
constexpr LONG EC_COMPLETE = 0x01;
constexpr LONG EC_USERABORT = 0x02;
constexpr LONG EC_ERRORABORT = 0x03;
// One stream stopped on an error while the rest of the graph goes on: param1 the HRESULT, param2 the error's
// words (a string FreeEventParams frees).
constexpr LONG EC_STREAM_ERROR_STOPPED = 0x06;
constexpr LONG EC_DEVICE_LOST = 0x1F;

struct IMediaControl : IUnknown {
    static constexpr Guid IID = Guid::of("{56A868B1-0AD4-11CE-B03A-0020AF0BA770}");

    virtual HRESULT Run() = 0;
    virtual HRESULT Pause() = 0;
    // Stops at the current position; the graph stays seekable.
    virtual HRESULT Stop() = 0;
    // VFW_S_STATE_INTERMEDIATE while a change is still in progress after the wait.
    virtual HRESULT GetState(LONG timeoutMs, OAFilterState* state) = 0;
};

struct IMediaEventEx : IUnknown {
    static constexpr Guid IID = Guid::of("{56A868C0-0AD4-11CE-B03A-0020AF0BA770}");

    // E_ABORT when no event arrived within the time-out.
    virtual HRESULT GetEvent(LONG* code, LONG_PTR* param1, LONG_PTR* param2, LONG timeoutMs) = 0;
    virtual HRESULT FreeEventParams(LONG code, LONG_PTR param1, LONG_PTR param2) = 0;
    // Every queued event posts message to the receiver (a window, or any object with an event loop's thread,
    // such as a core library's handler); a null receiver stops the posting.
    virtual HRESULT SetNotifyWindow(QObject* window, LONG message, LONG_PTR instance) = 0;
};

inline constexpr Guid TIME_FORMAT_MEDIA_TIME = Guid::of("{7B785574-8C82-11CF-BC0C-00AA00AC74F6}");

using DWORD = std::uint32_t;

// SetPositions flags.
constexpr DWORD AM_SEEKING_NoPositioning = 0x0;
constexpr DWORD AM_SEEKING_AbsolutePositioning = 0x1;
constexpr DWORD AM_SEEKING_RelativePositioning = 0x2;
constexpr DWORD AM_SEEKING_PositioningBitsMask = 0x3;
constexpr DWORD AM_SEEKING_SeekToKeyFrame = 0x4;

struct IMediaSeeking : IUnknown {
    static constexpr Guid IID = Guid::of("{36B73880-C2C8-11CF-8B46-00805F6CEF60}");

    // Only TIME_FORMAT_MEDIA_TIME (100 ns units) is offered.
    virtual HRESULT SetTimeFormat(const Guid* format) = 0;
    virtual HRESULT GetDuration(REFERENCE_TIME* duration) = 0;
    virtual HRESULT GetStopPosition(REFERENCE_TIME* stop) = 0;
    virtual HRESULT GetCurrentPosition(REFERENCE_TIME* current) = 0;
    virtual HRESULT GetPositions(REFERENCE_TIME* current, REFERENCE_TIME* stop) = 0;
    // The graph keeps its state; a stopped or paused graph shows the new position.
    virtual HRESULT SetPositions(REFERENCE_TIME* current, DWORD currentFlags, REFERENCE_TIME* stop,
                                 DWORD stopFlags) = 0;
};

struct IBasicAudio : IUnknown {
    static constexpr Guid IID = Guid::of("{56A868B3-0AD4-11CE-B03A-0020AF0BA770}");

    // Hundredths of a decibel: 0 is full level, -10000 silence.
    virtual HRESULT put_Volume(LONG volume) = 0;
    virtual HRESULT get_Volume(LONG* volume) = 0;
};
