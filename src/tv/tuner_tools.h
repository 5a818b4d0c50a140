// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// TTunerTools: the one object through which the TV side drives a capture device. It makes the filters of the
// chosen video and audio capture devices and compressors, finds their control interfaces, builds the
// preview-only or the capture graph, runs and stops it, and reports every platform failure in an error box.
// Plain C++ over the platform's interfaces: no widget is touched, so it runs the same in the program, in
// corvane-ctl and in tests.

#include "crossbar.h"
#include "device_lock.h"
#include "platform/devices/device_enum.h"
#include "platform/devices/tv_device_interfaces.h"
#include "platform/media/capture_interfaces.h"
#include "platform/win/window_message.h"
#include "view/video_target.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

class Clock;
class CompressorOptions;
class MessageBoxes;
class TunerPlatform;

// Posted to notifyWindow for every graph event.
constexpr UINT CaptureNotifyMessage = WM_USER + 1;
static_assert(CaptureNotifyMessage == 0x0401);

// The range of one picture property of the device; the fallback when the device reports none.
struct ProcAmpRange {
    bool available = false;
    std::int32_t minimum = 0;
    std::int32_t maximum = 10000;
    std::int32_t step = 39;
    std::int32_t defaultValue = 5000;
};

class TTunerTools {
public:
    struct Services {
        TunerPlatform& platform;
        MessageBoxes& messageBoxes;
        Clock& clock;
    };

    TTunerTools(VideoTargetRecord* target, Services services);
    ~TTunerTools();
    TTunerTools(const TTunerTools&) = delete;
    TTunerTools& operator=(const TTunerTools&) = delete;

    // Devices and compressors. The same two monikers again do nothing unless a device among them could not
    // be made the last time, which is then tried again.
    void SelectSources(IMoniker* video, IMoniker* audio);
    void SelectCompressors(IMoniker* video, IMoniker* audio);

    // The preview-only graph and the capture graph.
    bool AssemblePreview();
    bool RunPreview();
    bool HaltPreview();
    bool AssembleCapture();
    bool RunCapture();
    // Stops the recording; one beside the preview ends alone, and the preview goes on.
    bool HaltCapture();
    // A recording that joins the running preview graph instead of a capture graph built anew, so the
    // picture and the card's sound go on without a break: it needs the preview running and wanted beside it.
    bool CanCaptureBesidePreview() const;
    // Builds the recording's branch onto the running preview and starts it. A failure is shown in a box and
    // takes the branch out again; the preview goes on.
    bool StartCaptureBesidePreview();
    void DismantleGraph();
    bool SetPreviewFormat(int width, int height);
    bool SetCaptureFormat(int width, int height);

    // The TV tuner (tuner_control.cpp). Only the three tuner properties report failures, in error boxes;
    // everything else fails silently with false (or 0). A card without a tuner makes them all no-ops.
    bool PrepareTvTuner();
    // True for every frequency but 0, whatever the tuner made of it.
    bool TuneFrequency(std::int32_t hertz);
    // The phase-locked loop's offset in Hz (carrier − tuned frequency), 0 when it cannot be read.
    std::int32_t ReadTunerOffset();
    bool SetVideoStandard(std::int32_t standard);
    bool IsSignalLocked();
    bool SetTvAudioMode(std::int32_t mode);
    // Makes the tuner the source of the decoder's sound and picture on the first crossbar.
    bool RouteTunerInputs();
    // The first tuner property that failed (and was shown) in the last TuneFrequency or ReadTunerOffset;
    // S_OK when none did. The search ends on it instead of showing it again at every step.
    HRESULT tunerFailure() const { return tunerFailure_; }

    // Error boxes: the formatted text, and for the code variant a line feed and the system's text for hr.
    void ShowGraphError(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void ShowGraphErrorCode(HRESULT hr, const char* format, ...) __attribute__((format(printf, 3, 4)));

    // Takes filter's downstream chain out of the graph, depth first; the filter itself stays.
    void RemoveDownstream(IBaseFilter* filter);

    // Fields, in the order the TV page and its sheets rely on.
    VideoTargetRecord* target;
    OAHWND errorOwner = nullptr;
    OAHWND dialogOwner = nullptr;
    QObject* notifyWindow = nullptr;
    std::int32_t captureWidth = 0;
    std::int32_t captureHeight = 0;
    std::int32_t droppedBase = 0;
    std::int32_t notDroppedBase = 0;
    std::uint32_t captureStartMs = 0;
    RefPtr<ICaptureGraphBuilder2> builder;
    RefPtr<IGraphBuilder> graph;
    RefPtr<IMoniker> videoDevice;
    RefPtr<IMoniker> audioDevice;
    RefPtr<IMoniker> videoCodec;
    RefPtr<IMoniker> audioCodec;
    RefPtr<IBaseFilter> videoCapture;
    RefPtr<IBaseFilter> audioCapture;
    RefPtr<IBaseFilter> mux;
    RefPtr<IBaseFilter> videoCompressor;
    RefPtr<IBaseFilter> audioCompressor;
    RefPtr<IFileSinkFilter> fileSink;
    RefPtr<IConfigAviMux> aviMux;
    RefPtr<IAMDroppedFrames> droppedFrames;
    RefPtr<IAMVideoCompression> videoCompression;
    RefPtr<IAMStreamConfig> captureConfig;
    RefPtr<IAMStreamConfig> previewConfig;
    RefPtr<IAMVfwCaptureDialogs> vfwDialogs;
    RefPtr<IAMStreamConfig> audioConfig;
    RefPtr<IAMTVTuner> tuner;
    RefPtr<IAMTVAudio> tvAudio;
    RefPtr<IAMVideoProcAmp> procAmp;
    bool audioAllowed = false;
    bool audioWanted = false;
    std::unique_ptr<CCrossbar> crossbar;
    std::int32_t videoInputCount = 0;
    bool captureBuilt = false;
    bool previewBuilt = false;
    bool previewRunning = false;
    bool previewWanted = false;
    bool captureRunning = false;
    const double frameRate = 25.0;
    RefPtr<IMediaEventEx> events;
    std::array<ProcAmpRange, 4> picture{};
    std::uint32_t rotCookie = 0;

    // The card-sound renderer the owner hands in, or null. Both graphs play the audio capture device's sound
    // through it from a tee behind the device, so one capture serves listening and recording
    // (card_sound_branch.cpp).
    RefPtr<IBaseFilter> cardSound;

    // The recording runs beside the preview, in the preview's graph (StartCaptureBesidePreview).
    bool captureBesidePreview = false;

    // Where recordings go: "capture.avi" in the current directory unless the owner says otherwise. A file
    // already there is kept under a dated name before the next recording starts.
    std::wstring outputFile = L"capture.avi";

    // The settings stored per compressor, which every compressor bound takes; the owner's, or none.
    CompressorOptions* compressorOptions = nullptr;

private:
    bool PrepareFilters();
    void ReleaseFilters();
    HRESULT RegisterGraph();
    HRESULT RevokeGraph();
    void AttachVideoWindow();
    // AttachVideoWindow step 5: the window becomes the video window's child and is shown.
    void PlaceVideoWindow();
    // The preview stream of both assemble operations; VFW_S_NOPREVIEWPIN is success.
    bool RenderPreview();
    // Sets the pin format's frame time from frameRate and writes it back, for a FORMAT_VideoInfo format.
    struct FrameRateResult {
        bool read = false;
        bool videoInfo = false;
        HRESULT written = E_FAIL;
    };
    FrameRateResult ApplyFrameRate(IAMStreamConfig* config);
    void ListenForEvents();
    // The recording's start in both kinds of graph: its compressors, the multiplexer and the file writer.
    bool AddRecordingFilters();
    // The recording's compressors, multiplexer and file writer out of the graph; a running one finishes the
    // file first.
    void RemoveRecordingFilters();
    // The recording beside the preview is over: its branch goes, and the graph is the preview's alone.
    void EndCaptureBesidePreview();
    // Moves a previous recording aside; false (with a box) when it could not be kept.
    bool KeepPreviousRecording();
    // The recording's frame counters start from here.
    void StartCounting();
    bool SetPinFormat(bool preview, int width, int height);
    // Whether the pin's format is the one SetPinFormat would write for that size.
    bool PinHasFormat(IAMStreamConfig* config, int width, int height) const;
    // Takes the device's lock where it has one; the busy message when another process holds it.
    std::string LockFailure(DeviceLock& lock, IMoniker* moniker);
    // LockFailure's message in a box; false when the device is busy.
    bool LockDevice(DeviceLock& lock, IMoniker* moniker);
    // A device chosen (and, for sound, wanted) whose filter could not be made.
    bool MissesChosenDevice() const;
    void FindControlInterfaces();
    void ReadPictureRanges();
    void BuildCrossbar();
    bool PrepareAudio();
    // Plays the audio capture device's sound through cardSound; a graph that cannot is built without it.
    void RenderCardSound();

    // The tuner property failure of the last tuning or offset read, shown in a box as it happened.
    void ReportTunerFailure(HRESULT hr, const char* property);

    Services services_;
    HRESULT tunerFailure_ = S_OK;
    DeviceLock videoLock_;
    DeviceLock audioLock_;
};

// The average frame time written into video formats: 10,000,000 / frame rate, truncated.
constexpr REFERENCE_TIME FrameTimeOf(double frameRate) {
    return static_cast<REFERENCE_TIME>(10000000.0 / frameRate);
}
