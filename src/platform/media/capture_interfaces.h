// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Capture graphs: the capture graph builder, stream formats, the AVI multiplexer and file writer, frame
// counters, compressor and driver dialogs, stream control, pin categories and the running object table.
// The engine implements them over GStreamer (platform/media/gst); the TV side programs against this header.

#include "platform/media/gst/control_interfaces.h"
#include "platform/media/gst/filter_interfaces.h"

#include <cstdint>
#include <string>
#include <vector>

using BOOL = std::int32_t;
using WORD = std::uint16_t;
using BYTE = std::uint8_t;
using LPCOLESTR = const wchar_t*;

// ---- Identifiers
// --------------------------------------------------------------------------------------------

inline constexpr Guid CLSID_CaptureGraphBuilder2 = Guid::of("{BF87B6E1-8C27-11D0-B3F0-00AA003761C5}");

// Pin categories, answered by a pin's IKsPropertySet (AMPROPSETID_Pin, AMPROPERTY_PIN_CATEGORY).
inline constexpr Guid PIN_CATEGORY_CAPTURE = Guid::of("{FB6C4281-0353-11D1-905F-0000C0CC16BA}");
inline constexpr Guid PIN_CATEGORY_PREVIEW = Guid::of("{FB6C4282-0353-11D1-905F-0000C0CC16BA}");
inline constexpr Guid PIN_CATEGORY_ANALOGVIDEOIN = Guid::of("{FB6C4283-0353-11D1-905F-0000C0CC16BA}");
inline constexpr Guid PIN_CATEGORY_VBI = Guid::of("{FB6C4284-0353-11D1-905F-0000C0CC16BA}");

// FindInterface "categories" that restrict the search to one direction from the filter.
inline constexpr Guid LOOK_UPSTREAM_ONLY = Guid::of("{AC798BE0-98E3-11D1-B3F1-00AA003761C5}");
inline constexpr Guid LOOK_DOWNSTREAM_ONLY = Guid::of("{AC798BE1-98E3-11D1-B3F1-00AA003761C5}");

inline constexpr Guid AMPROPSETID_Pin = Guid::of("{9B00F101-1567-11D1-B3F1-00AA003761C5}");
constexpr DWORD AMPROPERTY_PIN_CATEGORY = 0;

// Media types beyond those of filter_interfaces.h. MEDIATYPE_Interleaved is digital video with sound inside.
inline constexpr Guid MEDIATYPE_AnalogVideo = Guid::of("{0482DDE1-7817-11CF-8A03-00AA006ECB65}");
inline constexpr Guid MEDIATYPE_AnalogAudio = Guid::of("{0482DEE1-7817-11CF-8A03-00AA006ECB65}");
inline constexpr Guid MEDIATYPE_Interleaved = Guid::of("{73766169-0000-0010-8000-00AA00389B71}");
inline constexpr Guid MEDIASUBTYPE_Avi = Guid::of("{E436EB88-524F-11CE-9F53-0020AF0BA770}");
inline constexpr Guid MEDIASUBTYPE_RGB24 = Guid::of("{E436EB7D-524F-11CE-9F53-0020AF0BA770}");
inline constexpr Guid MEDIASUBTYPE_YUY2 = Guid::of("{32595559-0000-0010-8000-00AA00389B71}");
inline constexpr Guid MEDIASUBTYPE_I420 = Guid::of("{30323449-0000-0010-8000-00AA00389B71}");
inline constexpr Guid MEDIASUBTYPE_PCM = Guid::of("{00000001-0000-0010-8000-00AA00389B71}");

// Format types: what the format block of an AM_MEDIA_TYPE holds.
inline constexpr Guid FORMAT_VideoInfo = Guid::of("{05589F80-C356-11CE-BF01-00AA0055595A}");
inline constexpr Guid FORMAT_WaveFormatEx = Guid::of("{05589F81-C356-11CE-BF01-00AA0055595A}");
inline constexpr Guid FORMAT_DvInfo = Guid::of("{05589F84-C356-11CE-BF01-00AA0055595A}");

// Capture result codes.
constexpr HRESULT VFW_E_NO_CAPTURE_HARDWARE = MakeHResult(0x80040276u);
// VFW_S_NOPREVIEWPIN (platform/com/hresult.h) is a success: the preview was split off the capture pin.

// ---- Formats
// ------------------------------------------------------------------------------------------------

struct RECT {
    LONG left = 0;
    LONG top = 0;
    LONG right = 0;
    LONG bottom = 0;
};

constexpr DWORD BI_RGB = 0;

#pragma pack(push, 2)
struct BITMAPINFOHEADER {
    DWORD biSize = 40;
    LONG biWidth = 0;
    // Negative for a top-down picture; callers store the absolute value.
    LONG biHeight = 0;
    WORD biPlanes = 1;
    WORD biBitCount = 0;
    DWORD biCompression = BI_RGB; // a FOURCC for compressed and YUV formats
    DWORD biSizeImage = 0;
    LONG biXPelsPerMeter = 0;
    LONG biYPelsPerMeter = 0;
    DWORD biClrUsed = 0;
    DWORD biClrImportant = 0;
};

struct WAVEFORMATEX {
    WORD wFormatTag = 0;
    WORD nChannels = 0;
    DWORD nSamplesPerSec = 0;
    DWORD nAvgBytesPerSec = 0;
    WORD nBlockAlign = 0;
    WORD wBitsPerSample = 0;
    WORD cbSize = 0;
};
#pragma pack(pop)

constexpr WORD WAVE_FORMAT_PCM = 1;

struct VIDEOINFOHEADER {
    RECT rcSource;
    RECT rcTarget;
    DWORD dwBitRate = 0;
    DWORD dwBitErrorRate = 0;
    REFERENCE_TIME AvgTimePerFrame = 0; // 100 ns units per frame
    BITMAPINFOHEADER bmiHeader;
};

// The format block of a media type seen as a VIDEOINFOHEADER, or null when the type carries another format
// or its block is too short.
VIDEOINFOHEADER* VideoInfoOf(AM_MEDIA_TYPE* type);
const VIDEOINFOHEADER* VideoInfoOf(const AM_MEDIA_TYPE* type);
// The same for a WAVEFORMATEX (FORMAT_WaveFormatEx).
const WAVEFORMATEX* WaveFormatOf(const AM_MEDIA_TYPE* type);

// Media types handed out by GetFormat are allocated for the caller, who frees them with DeleteMediaType.
void DeleteMediaType(AM_MEDIA_TYPE* type);

// ---- Property sets
// ------------------------------------------------------------------------------------------

constexpr DWORD KSPROPERTY_SUPPORT_GET = 1;
constexpr DWORD KSPROPERTY_SUPPORT_SET = 2;

// Kernel-streaming properties of an object: pins answer their category (AMPROPSETID_Pin), tuners their
// tuner properties (PROPSETID_TUNER, see platform/devices/tv_device_interfaces.h). For a structure that
// starts with a KSPROPERTY header, instance is the part past the header and data the whole structure.
struct IKsPropertySet : IUnknown {
    static constexpr Guid IID = Guid::of("{31EFAC30-515C-11D0-A9AA-00AA0061BE93}");

    virtual HRESULT Set(const Guid& set, DWORD id, void* instance, DWORD instanceLength, void* data,
                        DWORD dataLength) = 0;
    // returned receives the bytes written into data.
    virtual HRESULT Get(const Guid& set, DWORD id, void* instance, DWORD instanceLength, void* data,
                        DWORD dataLength, DWORD* returned) = 0;
    // support receives KSPROPERTY_SUPPORT_GET and/or KSPROPERTY_SUPPORT_SET; E_PROP_ID_UNSUPPORTED or
    // E_PROP_SET_UNSUPPORTED when the property is unknown.
    virtual HRESULT QuerySupported(const Guid& set, DWORD id, DWORD* support) = 0;
};

constexpr HRESULT E_PROP_SET_UNSUPPORTED = MakeHResult(0x80070492u);
constexpr HRESULT E_PROP_ID_UNSUPPORTED = MakeHResult(0x80070490u);

// ---- Capture graph builder
// ----------------------------------------------------------------------------------

struct IFileSinkFilter;

struct ICaptureGraphBuilder2 : IUnknown {
    static constexpr Guid IID = Guid::of("{93E5A4E0-2D50-11D2-ABFA-00A0C9C6E38D}");

    virtual HRESULT SetFiltergraph(IGraphBuilder* graph) = 0;
    // E_UNEXPECTED before SetFiltergraph.
    virtual HRESULT GetFiltergraph(IGraphBuilder** graph) = 0;
    // MEDIASUBTYPE_Avi only: adds an AVI multiplexer and a file writer for the file to the graph, connected,
    // and hands out both (either out-parameter may be null). E_INVALIDARG for another type or no file name.
    virtual HRESULT SetOutputFileName(const Guid* type, LPCOLESTR fileName, IBaseFilter** mux,
                                      IFileSinkFilter** sink) = 0;
    // Looks for interface iid on the filter, then on its pins of the category and media type (either may be
    // null: any), then on the filters downstream and upstream of it (LOOK_UPSTREAM_ONLY and
    // LOOK_DOWNSTREAM_ONLY as category restrict the direction and skip the filter itself). A capture filter
    // whose analog input is not yet connected has the card's crossbars, tuner and TV audio brought into the
    // graph and connected first. E_NOINTERFACE when nothing offers it.
    virtual HRESULT FindInterface(const Guid* category, const Guid* type, IBaseFilter* filter,
                                  const Guid& iid, void** object) = 0;
    // Connects the source's unconnected output pin of the category and media type (source is a filter or an
    // output pin) through the intermediate filter (optional) into the sink (optional: a video or audio
    // renderer is added when null). A preview asked of a device without a preview pin is split off its
    // capture pin and the result is VFW_S_NOPREVIEWPIN. VFW_E_NOT_FOUND when the source has no such pin.
    virtual HRESULT RenderStream(const Guid* category, const Guid* type, IUnknown* source,
                                 IBaseFilter* intermediate, IBaseFilter* sink) = 0;
    // Schedules the pins of the category and media type on the filter (null: every capture filter in the
    // graph): start and stop are reference times of the running graph, null meaning now for start and never
    // for stop; MAXLONGLONG as start keeps the pin idle. E_NOTIMPL when no such pin supports stream control.
    virtual HRESULT ControlStream(const Guid* category, const Guid* type, IBaseFilter* filter,
                                  REFERENCE_TIME* start, REFERENCE_TIME* stop, WORD startCookie,
                                  WORD stopCookie) = 0;
};

constexpr REFERENCE_TIME MAXLONGLONG = 0x7FFFFFFFFFFFFFFFLL;

// ---- Pin and filter interfaces of a capture graph
// -----------------------------------------------------------

struct IAMStreamConfig : IUnknown {
    static constexpr Guid IID = Guid::of("{C6E13340-30AC-11D0-A18C-00A0C9118956}");

    // The pin's current format, allocated for the caller (free it with DeleteMediaType).
    virtual HRESULT GetFormat(AM_MEDIA_TYPE** type) = 0;
    // The format the pin will deliver from its next connection on. VFW_E_INVALIDMEDIATYPE for a size or
    // rate the device cannot give; VFW_E_WRONG_STATE while the graph runs.
    virtual HRESULT SetFormat(AM_MEDIA_TYPE* type) = 0;
    // How many formats GetStreamCaps can list, and the size of its capability block.
    virtual HRESULT GetNumberOfCapabilities(int* count, int* size) = 0;
    // Format number index (allocated for the caller); caps may be null.
    virtual HRESULT GetStreamCaps(int index, AM_MEDIA_TYPE** type, BYTE* caps) = 0;
};

struct IConfigAviMux : IUnknown {
    static constexpr Guid IID = Guid::of("{5ACD6AA0-F482-11CE-8B67-00AA00A3F1A6}");

    // The stream the others are timed against, -1 for none.
    virtual HRESULT SetMasterStream(LONG stream) = 0;
    virtual HRESULT GetMasterStream(LONG* stream) = 0;
    // The idx1 index after the movi list (always written by this multiplexer; false is refused).
    virtual HRESULT SetOutputCompatibilityIndex(BOOL index) = 0;
    virtual HRESULT GetOutputCompatibilityIndex(BOOL* index) = 0;
};

struct IFileSinkFilter : IUnknown {
    static constexpr Guid IID = Guid::of("{A2104830-7C70-11CF-8BCE-00AA00A3F1A6}");

    virtual HRESULT SetFileName(LPCOLESTR fileName, const AM_MEDIA_TYPE* type) = 0;
    virtual HRESULT GetCurFile(std::wstring* fileName, AM_MEDIA_TYPE* type) = 0;
};

struct IAMDroppedFrames : IUnknown {
    static constexpr Guid IID = Guid::of("{C6E13344-30AC-11D0-A18C-00A0C9118956}");

    // Frames the pin could not deliver since the graph last started running.
    virtual HRESULT GetNumDropped(LONG* dropped) = 0;
    // Frames the pin delivered since the graph last started running.
    virtual HRESULT GetNumNotDropped(LONG* delivered) = 0;
    // Frame numbers of the first dropped frames, up to size of them.
    virtual HRESULT GetDroppedInfo(LONG size, LONG* frames, LONG* copied) = 0;
    // Average bytes per delivered frame.
    virtual HRESULT GetAverageFrameSize(LONG* bytes) = 0;
};

// GetInfo capabilities.
constexpr LONG CompressionCaps_CanQuality = 0x01;
constexpr LONG CompressionCaps_CanCrunch = 0x02;
constexpr LONG CompressionCaps_CanKeyFrame = 0x04;
constexpr LONG CompressionCaps_CanBFrame = 0x08;
constexpr LONG CompressionCaps_CanWindow = 0x10;

struct IAMVideoCompression : IUnknown {
    static constexpr Guid IID = Guid::of("{C6E13343-30AC-11D0-A18C-00A0C9118956}");

    // Each output may be null. versionLength and descriptionLength give the buffers' sizes in characters and
    // receive the lengths written (with the terminating zero).
    virtual HRESULT GetInfo(wchar_t* version, int* versionLength, wchar_t* description,
                            int* descriptionLength, LONG* defaultKeyFrameRate, LONG* defaultPFramesPerKey,
                            double* defaultQuality, LONG* capabilities) = 0;
    virtual HRESULT put_KeyFrameRate(LONG rate) = 0;
    virtual HRESULT get_KeyFrameRate(LONG* rate) = 0;
    // 0.0 .. 1.0, negative for the default.
    virtual HRESULT put_Quality(double quality) = 0;
    virtual HRESULT get_Quality(double* quality) = 0;
};

enum VfwCaptureDialogs {
    VfwCaptureDialog_Source = 0x01,
    VfwCaptureDialog_Format = 0x02,
    VfwCaptureDialog_Display = 0x04,
};

struct IAMVfwCaptureDialogs : IUnknown {
    static constexpr Guid IID = Guid::of("{D8D715A0-6E5E-11D0-B3F0-00AA003761C5}");

    // S_OK when the driver has the dialog, S_FALSE when not.
    virtual HRESULT HasDialog(int dialog) = 0;
    // Modal; VFW_E_CANNOT_CONNECT when the format chosen no longer fits the built graph.
    virtual HRESULT ShowDialog(int dialog, OAHWND owner) = 0;
};

enum VfwCompressDialogs {
    VfwCompressDialog_Config = 0x01,
    VfwCompressDialog_About = 0x02,
    VfwCompressDialog_QueryConfig = 0x04,
    VfwCompressDialog_QueryAbout = 0x08,
};

struct IAMVfwCompressDialogs : IUnknown {
    static constexpr Guid IID = Guid::of("{D8D715A3-6E5E-11D0-B3F0-00AA003761C5}");

    virtual HRESULT ShowDialog(int dialog, OAHWND owner) = 0;
};

struct AM_STREAM_INFO {
    REFERENCE_TIME tStart = 0;
    REFERENCE_TIME tStop = 0;
    DWORD dwStartCookie = 0;
    DWORD dwStopCookie = 0;
    DWORD dwFlags = 0;
};
constexpr DWORD AM_STREAM_INFO_START_DEFINED = 0x1;
constexpr DWORD AM_STREAM_INFO_STOP_DEFINED = 0x2;
constexpr DWORD AM_STREAM_INFO_DISCARDING = 0x4;

// Scheduled start and stop of one pin's stream while the graph runs. A pin that is not started delivers
// nothing (frames are discarded, not counted as dropped).
struct IAMStreamControl : IUnknown {
    static constexpr Guid IID = Guid::of("{36B73881-C2C8-11CF-8B46-00805F6CEF60}");

    // Null start: now; MAXLONGLONG: never (the pin idles).
    virtual HRESULT StartAt(const REFERENCE_TIME* start, DWORD cookie) = 0;
    // Null stop: now; MAXLONGLONG: never.
    virtual HRESULT StopAt(const REFERENCE_TIME* stop, BOOL sendExtra, DWORD cookie) = 0;
    virtual HRESULT GetInfo(AM_STREAM_INFO* info) = 0;
};

// ---- Running object table
// -----------------------------------------------------------------------------------

struct IMoniker;

// Where running graphs are announced, so a user can find the graph that runs. The program names each TV
// graph "FilterGraph %08x pid %08x". With CORVANE_GRAPH_DUMP set, every registered graph is also written as
// a Graphviz file "<name>.dot" into $XDG_RUNTIME_DIR/corvane/ when it is registered and again while it runs.
struct IRunningObjectTable : IUnknown {
    static constexpr Guid IID = Guid::of("{00000010-0000-0000-C000-000000000046}");

    // flags must be 0 or ROTFLAGS_REGISTRATIONKEEPSALIVE; cookie receives a non-zero registration number.
    virtual HRESULT Register(DWORD flags, IUnknown* object, IMoniker* name, DWORD* cookie) = 0;
    // E_INVALIDARG for a cookie that is not registered.
    virtual HRESULT Revoke(DWORD cookie) = 0;
    // S_OK when an object is registered under that name, S_FALSE otherwise.
    virtual HRESULT IsRunning(IMoniker* name) = 0;
    virtual HRESULT GetObject(IMoniker* name, IUnknown** object) = 0;
};
constexpr DWORD ROTFLAGS_REGISTRATIONKEEPSALIVE = 0x1;

// The process's table; E_FAIL while it is unavailable (see SetRunningObjectTableAvailable).
HRESULT GetRunningObjectTable(DWORD reserved, IRunningObjectTable** table);
// A moniker named delimiter + item ("!FilterGraph 0804c2a0 pid 00001f3c"); its display name is that text.
HRESULT CreateItemMoniker(LPCOLESTR delimiter, LPCOLESTR item, IMoniker** moniker);
// Lets tests take the table away, as when the platform's table cannot be reached.
void SetRunningObjectTableAvailable(bool available);

// The names registered now, in registration order (what a graph viewer would list).
std::vector<std::wstring> RunningObjectNames();

// Enters a graph in the table as "FilterGraph %08x pid %08x" (the graph object's address, the process id),
// under an item moniker with delimiter "!"; cookie receives the registration. E_FAIL without a table.
HRESULT RegisterGraph(IUnknown* graph, DWORD* cookie);
HRESULT RevokeGraph(DWORD cookie);
