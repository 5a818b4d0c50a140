// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Filters, pins and the graph builder as the player and the effect host use them. A filter is a GStreamer bin
// whose pins are its ghost pads; the graph is a pipeline.

#include "platform/com/unknown.h"

#include <cstdint>
#include <string>
#include <vector>

using ULONG = std::uint32_t;
using LPCWSTR = const wchar_t*;

enum PIN_DIRECTION { PINDIR_INPUT = 0, PINDIR_OUTPUT = 1 };

inline constexpr Guid MEDIATYPE_Stream = Guid::of("{E436EB83-524F-11CE-9F53-0020AF0BA770}");
inline constexpr Guid MEDIATYPE_Audio = Guid::of("{73647561-0000-0010-8000-00AA00389B71}");
inline constexpr Guid MEDIATYPE_Video = Guid::of("{73646976-0000-0010-8000-00AA00389B71}");

// A connection's or a pin's format. `format` is the stream's caps in their text form; capture pins also
// describe their format the platform's way: subtype, format type and the format block (a VIDEOINFOHEADER for
// FORMAT_VideoInfo, a WAVEFORMATEX for FORMAT_WaveFormatEx; see platform/media/capture_interfaces.h).
struct AM_MEDIA_TYPE {
    Guid majortype;
    std::string format;
    Guid subtype;
    Guid formattype;
    std::vector<std::uint8_t> formatBlock;
};
void FreeMediaType(AM_MEDIA_TYPE& type);

constexpr int MAX_FILTER_NAME = 128;
constexpr int MAX_PIN_NAME = 128;

struct FILTER_INFO {
    wchar_t achName[MAX_FILTER_NAME] = {};
};

struct IBaseFilter;

struct PIN_INFO {
    IBaseFilter* pFilter = nullptr; // holds a reference the caller releases
    PIN_DIRECTION dir = PINDIR_INPUT;
    wchar_t achName[MAX_PIN_NAME] = {};
};

struct IPin : IUnknown {
    static constexpr Guid IID = Guid::of("{56A86891-0AD4-11CE-B03A-0020AF0BA770}");

    // VFW_E_NOT_CONNECTED when the pin has no peer.
    virtual HRESULT ConnectedTo(IPin** pin) = 0;
    virtual HRESULT ConnectionMediaType(AM_MEDIA_TYPE* type) = 0;
    virtual HRESULT QueryDirection(PIN_DIRECTION* direction) = 0;
    virtual HRESULT QueryPinInfo(PIN_INFO* info) = 0;
};

struct IEnumPins : IUnknown {
    static constexpr Guid IID = Guid::of("{56A86892-0AD4-11CE-B03A-0020AF0BA770}");

    // S_OK when all requested were fetched, S_FALSE when fewer.
    virtual HRESULT Next(ULONG count, IPin** pins, ULONG* fetched) = 0;
    virtual HRESULT Skip(ULONG count) = 0;
    virtual HRESULT Reset() = 0;
};

struct IBaseFilter : IUnknown {
    static constexpr Guid IID = Guid::of("{56A86895-0AD4-11CE-B03A-0020AF0BA770}");

    virtual HRESULT EnumPins(IEnumPins** pins) = 0;
    // VFW_E_NOT_FOUND when no pin has that name.
    virtual HRESULT FindPin(LPCWSTR id, IPin** pin) = 0;
    virtual HRESULT QueryFilterInfo(FILTER_INFO* info) = 0;
};

struct IEnumFilters : IUnknown {
    static constexpr Guid IID = Guid::of("{56A86893-0AD4-11CE-B03A-0020AF0BA770}");

    virtual HRESULT Next(ULONG count, IBaseFilter** filters, ULONG* fetched) = 0;
    virtual HRESULT Skip(ULONG count) = 0;
    virtual HRESULT Reset() = 0;
};

struct IGraphBuilder : IUnknown {
    static constexpr Guid IID = Guid::of("{56A868A9-0AD4-11CE-B03A-0020AF0BA770}");

    virtual HRESULT AddFilter(IBaseFilter* filter, LPCWSTR name) = 0;
    // Disconnects the filter's pins and takes it out of the graph.
    virtual HRESULT RemoveFilter(IBaseFilter* filter) = 0;
    // Filters in the reverse order of their addition, the newest first.
    virtual HRESULT EnumFilters(IEnumFilters** filters) = 0;
    virtual HRESULT FindFilterByName(LPCWSTR name, IBaseFilter** filter) = 0;
    // Links two pins with no filter in between; with a type, both pins must accept it.
    virtual HRESULT ConnectDirect(IPin* output, IPin* input, const AM_MEDIA_TYPE* type) = 0;
    // Breaks the pin's connection (both ends); S_FALSE when it was not connected.
    virtual HRESULT Disconnect(IPin* pin) = 0;
    // Completes the chain from an output pin: decoders for a file's streams and a renderer for each stream,
    // reusing a free renderer input already in the graph.
    virtual HRESULT Render(IPin* output) = 0;
    // A "File Source" filter for the file, with the one output pin "Output".
    virtual HRESULT AddSourceFilter(LPCWSTR fileName, LPCWSTR filterName, IBaseFilter** filter) = 0;
};
