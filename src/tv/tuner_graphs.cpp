// SPDX-License-Identifier: GPL-2.0-or-later
// TTunerTools: assembling, running and stopping the preview-only and the capture graph, and the pin formats.
#include "capture_file.h"
#include "tuner_tools.h"

#include "owned_media_type.h"

#include "platform/win/clock.h"

#include <cstdlib>
#include <filesystem>

void TTunerTools::PlaceVideoWindow() {
    IVideoWindow* window = target->window.get();
    window->put_Owner(target->owner);
    window->put_WindowStyle(WS_CHILD | WS_CLIPCHILDREN);
    window->put_MessageDrain(target->owner);
    window->SetWindowPosition(target->placeLeft, target->placeTop, target->clientWidth, target->clientHeight);
    window->put_Visible(OATRUE);
}

void TTunerTools::AttachVideoWindow() {
    target->videoWidth = 352;
    target->videoHeight = 288;
    if (!target->window) {
        target->window = query<IVideoWindow>(graph);
        if (!target->window) {
            ShowGraphError("This graph cannot preview properly");
        }
    }
    if (!target->window) {
        return;
    }
    OwnedMediaType format;
    if (previewConfig && SUCCEEDED(previewConfig->GetFormat(&format.type)) && format.type) {
        if (format.type->formattype == FORMAT_DvInfo) {
            const RefPtr<IBasicVideo> basic = query<IBasicVideo>(target->window);
            LONG width = 0;
            LONG height = 0;
            if (basic && SUCCEEDED(basic->GetVideoSize(&width, &height))) {
                target->videoWidth = std::abs(width);
                target->videoHeight = std::abs(height);
            }
        } else if (const VIDEOINFOHEADER* info = VideoInfoOf(format.type)) {
            target->videoWidth = std::abs(info->bmiHeader.biWidth);
            target->videoHeight = std::abs(info->bmiHeader.biHeight);
        }
    }
    PlaceVideoWindow();
}

bool TTunerTools::RenderPreview() {
    const HRESULT hr =
        builder->RenderStream(&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Video, videoCapture.get(), nullptr, nullptr);
    return SUCCEEDED(hr);
}

TTunerTools::FrameRateResult TTunerTools::ApplyFrameRate(IAMStreamConfig* config) {
    FrameRateResult result;
    OwnedMediaType format;
    if (!config || FAILED(config->GetFormat(&format.type)) || !format.type) {
        return result;
    }
    result.read = true;
    VIDEOINFOHEADER* info = VideoInfoOf(format.type);
    if (!info) {
        return result;
    }
    result.videoInfo = true;
    info->AvgTimePerFrame = FrameTimeOf(frameRate);
    result.written = config->SetFormat(format.type);
    return result;
}

void TTunerTools::ListenForEvents() {
    events = query<IMediaEventEx>(graph);
    if (events) {
        events->SetNotifyWindow(notifyWindow, CaptureNotifyMessage, 0);
    }
}

bool TTunerTools::AssemblePreview() {
    if (previewBuilt) {
        AttachVideoWindow();
        return true;
    }
    if (captureRunning || previewRunning || !videoCapture || (audioWanted && !audioCapture)) {
        return false;
    }
    if (captureBuilt) {
        DismantleGraph();
    }
    if (!RenderPreview()) {
        ShowGraphError("This graph cannot preview!");
    }
    AttachVideoWindow();
    RenderCardSound();
    if (const FrameRateResult rate = ApplyFrameRate(previewConfig.get());
        rate.videoInfo && FAILED(rate.written)) {
        ShowGraphErrorCode(rate.written, "Cannot set frame rate for preview");
    }
    ListenForEvents();
    const HRESULT hr = RegisterGraph();
    if (FAILED(hr)) {
        ShowGraphErrorCode(hr, "Failed to register filter graph with ROT!");
        rotCookie = 0;
    }
    previewBuilt = true;
    return true;
}

bool TTunerTools::AssembleCapture() {
    if (captureBuilt) {
        return true;
    }
    if (captureRunning || previewRunning || !videoCapture || (audioWanted && !audioCapture)) {
        return false;
    }
    if (previewBuilt) {
        DismantleGraph();
    }
    if (!AddRecordingFilters()) {
        DismantleGraph();
        return false;
    }
    if (FAILED(builder->RenderStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, videoCapture.get(),
                                     videoCompressor.get(), mux.get()))) {
        ShowGraphError("Cannot render video capture stream");
        DismantleGraph();
        return false;
    }
    if (previewWanted && !RenderPreview()) {
        ShowGraphError("Cannot render video preview stream");
        DismantleGraph();
        return false;
    }
    if (audioWanted && FAILED(builder->RenderStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Audio,
                                                    audioCapture.get(), audioCompressor.get(), mux.get()))) {
        ShowGraphError("Cannot render audio capture stream");
        DismantleGraph();
        return false;
    }
    RenderCardSound();
    if (previewWanted) {
        target->window = query<IVideoWindow>(graph);
        if (target->window) {
            PlaceVideoWindow();
        } else {
            ShowGraphError("This graph cannot preview");
        }
    }
    // A format of another type is left alone without a word.
    if (const FrameRateResult rate = ApplyFrameRate(captureConfig.get());
        !rate.read || (rate.videoInfo && FAILED(rate.written))) {
        ShowGraphError("Cannot set frame rate for capture");
    }
    ListenForEvents();
    const HRESULT hr = RegisterGraph();
    if (FAILED(hr)) {
        ShowGraphErrorCode(hr, "Failed to register filter graph with ROT!");
        rotCookie = 0;
    }
    captureBuilt = true;
    return true;
}

bool TTunerTools::AddRecordingFilters() {
    if (videoCompressor) {
        graph->AddFilter(videoCompressor.get(), nullptr);
    }
    if (audioCompressor) {
        graph->AddFilter(audioCompressor.get(), nullptr);
    }
    if (FAILED(
            builder->SetOutputFileName(&MEDIASUBTYPE_Avi, outputFile.c_str(), mux.put(), fileSink.put())) ||
        !mux) {
        ShowGraphError("Cannot set output file");
        return false;
    }
    aviMux = query<IConfigAviMux>(mux);
    if (aviMux) {
        aviMux->SetOutputCompatibilityIndex(OATRUE);
        if (audioWanted && FAILED(aviMux->SetMasterStream(0))) {
            ShowGraphError("SetMasterStream failed!");
        }
    }
    return true;
}

void TTunerTools::RemoveRecordingFilters() {
    // The multiplexer first: it finishes the file while its streams still reach it.
    const RefPtr<IBaseFilter> writer = query<IBaseFilter>(fileSink);
    for (IBaseFilter* filter : {mux.get(), writer.get(), videoCompressor.get(), audioCompressor.get()}) {
        if (filter) {
            graph->RemoveFilter(filter);
        }
    }
    fileSink = nullptr;
    aviMux = nullptr;
    mux = nullptr;
}

bool TTunerTools::KeepPreviousRecording() {
    if (const std::error_code kept = KeepPreviousCapture(std::filesystem::path(outputFile)); kept) {
        ShowGraphError("Cannot keep the previous recording %s: %s", std::filesystem::path(outputFile).c_str(),
                       kept.message().c_str());
        return false;
    }
    return true;
}

void TTunerTools::StartCounting() {
    if (!droppedFrames) {
        builder->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, videoCapture.get(),
                               IAMDroppedFrames::IID, reinterpret_cast<void**>(droppedFrames.put()));
    }
    if (droppedFrames) {
        LONG dropped = 0;
        LONG delivered = 0;
        droppedFrames->GetNumDropped(&dropped);
        droppedFrames->GetNumNotDropped(&delivered);
        droppedBase = dropped;
        notDroppedBase = delivered;
    }
}

bool TTunerTools::CanCaptureBesidePreview() const {
    return previewRunning && previewBuilt && previewWanted && !captureBuilt && !captureRunning &&
           videoCapture && (!audioWanted || audioCapture);
}

bool TTunerTools::StartCaptureBesidePreview() {
    if (!CanCaptureBesidePreview()) {
        return false;
    }
    // The writer opens its file as it joins the running graph: the previous recording goes aside first.
    if (!KeepPreviousRecording() || !AddRecordingFilters()) {
        RemoveRecordingFilters();
        return false;
    }
    const char* failure = nullptr;
    if (FAILED(builder->RenderStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, videoCapture.get(),
                                     videoCompressor.get(), mux.get()))) {
        failure = "Cannot render video capture stream";
    } else if (audioWanted &&
               FAILED(builder->RenderStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Audio, audioCapture.get(),
                                            audioCompressor.get(), mux.get()))) {
        failure = "Cannot render audio capture stream";
    }
    const RefPtr<IMediaControl> control = query<IMediaControl>(graph);
    // Telling the running graph to run lets the streams into the multiplexer, all of them connected now.
    const HRESULT hr = failure || !control ? E_FAIL : control->Run();
    if (failure || FAILED(hr)) {
        if (failure) {
            ShowGraphError("%s", failure);
        } else {
            ShowGraphErrorCode(hr, "Cannot start graph");
        }
        RemoveRecordingFilters();
        return false;
    }
    // No stream control: the capture pins feed the preview too, and the branch takes data only from now.
    droppedBase = 0;
    notDroppedBase = 0;
    StartCounting();
    captureBuilt = true;
    captureBesidePreview = true;
    captureStartMs = services_.clock.timeGetTime();
    captureRunning = true;
    return true;
}

void TTunerTools::EndCaptureBesidePreview() {
    RemoveRecordingFilters();
    captureBesidePreview = false;
    captureBuilt = false;
    captureRunning = false;
}

bool TTunerTools::RunPreview() {
    if (previewRunning) {
        return true;
    }
    if (!previewBuilt) {
        return false;
    }
    const RefPtr<IMediaControl> control = query<IMediaControl>(graph);
    HRESULT hr = control ? control->Run() : E_NOINTERFACE;
    if (control && FAILED(hr)) {
        control->Stop();
    }
    if (FAILED(hr)) {
        ShowGraphErrorCode(hr, "Cannot run preview graph");
        return false;
    }
    previewRunning = true;
    return true;
}

bool TTunerTools::HaltPreview() {
    if (!previewRunning) {
        return false;
    }
    const RefPtr<IMediaControl> control = query<IMediaControl>(graph);
    const HRESULT hr = control ? control->Stop() : E_NOINTERFACE;
    if (FAILED(hr)) {
        ShowGraphErrorCode(hr, "Cannot stop preview graph");
        return false;
    }
    previewRunning = false;
    // A recording beside the preview ran in the same graph: it ended with it, its file finished, and its
    // branch goes, so the graph runs again as the preview alone.
    if (captureBesidePreview) {
        EndCaptureBesidePreview();
    }
    return true;
}

bool TTunerTools::RunCapture() {
    if (captureRunning) {
        return true;
    }
    if (previewRunning) {
        HaltPreview();
    }
    if (!captureBuilt) {
        return false;
    }
    // The writer opens the file when the graph starts: the previous recording is moved aside first, and a
    // recording that could not be kept stops this one from starting.
    if (!KeepPreviousRecording()) {
        return false;
    }
    droppedBase = 0;
    notDroppedBase = 0;
    REFERENCE_TIME never = MAXLONGLONG;
    const bool streamControl =
        SUCCEEDED(builder->ControlStream(&PIN_CATEGORY_CAPTURE, nullptr, nullptr, &never, nullptr, 0, 0));
    const RefPtr<IMediaControl> control = query<IMediaControl>(graph);
    if (!control) {
        ShowGraphErrorCode(E_NOINTERFACE, "Cannot get IMediaControl");
        return false;
    }
    HRESULT hr = streamControl ? control->Run() : control->Pause();
    if (FAILED(hr)) {
        control->Stop();
        ShowGraphErrorCode(hr, "Cannot start graph");
        return false;
    }
    if (streamControl) {
        builder->ControlStream(&PIN_CATEGORY_CAPTURE, nullptr, nullptr, nullptr, &never, 0, 0);
        StartCounting();
    } else {
        hr = control->Run();
        if (FAILED(hr)) {
            control->Stop();
            ShowGraphErrorCode(hr, "Cannot run graph");
            return false;
        }
    }
    captureStartMs = services_.clock.timeGetTime();
    captureRunning = true;
    return true;
}

bool TTunerTools::HaltCapture() {
    if (!captureRunning) {
        return false;
    }
    if (captureBesidePreview) {
        // The recording's branch goes, its file finished; the preview's graph runs on as it was.
        EndCaptureBesidePreview();
        return true;
    }
    const RefPtr<IMediaControl> control = query<IMediaControl>(graph);
    const HRESULT hr = control ? control->Stop() : E_NOINTERFACE;
    if (FAILED(hr)) {
        ShowGraphErrorCode(hr, "Cannot stop graph");
        return false;
    }
    captureRunning = false;
    return true;
}

bool TTunerTools::PinHasFormat(IAMStreamConfig* config, int width, int height) const {
    OwnedMediaType format;
    if (!config || config->GetFormat(&format.type) != S_OK || !format.type) {
        return false;
    }
    const VIDEOINFOHEADER* info = VideoInfoOf(format.type);
    return info && info->bmiHeader.biWidth == width && info->bmiHeader.biHeight == height &&
           info->bmiHeader.biBitCount == 16 && info->AvgTimePerFrame == FrameTimeOf(frameRate);
}

bool TTunerTools::SetPinFormat(bool preview, int width, int height) {
    // The size a running preview's pin already has changes nothing: the graph is not rebuilt for it, so
    // what the user sees and hears goes on (the record buttons set both sizes again).
    if (previewRunning && PinHasFormat(preview ? previewConfig.get() : captureConfig.get(), width, height)) {
        return true;
    }
    if (previewWanted) {
        HaltPreview();
    }
    if (captureBuilt || previewBuilt) {
        DismantleGraph();
    }
    IAMStreamConfig* config = preview ? previewConfig.get() : captureConfig.get();
    bool written = false;
    OwnedMediaType format;
    if (config && config->GetFormat(&format.type) == S_OK && format.type) {
        if (VIDEOINFOHEADER* info = VideoInfoOf(format.type)) {
            info->bmiHeader.biWidth = width;
            info->bmiHeader.biHeight = height;
            info->bmiHeader.biBitCount = 16;
            info->rcSource = RECT{};
            info->rcTarget = RECT{};
            info->AvgTimePerFrame = FrameTimeOf(frameRate);
            // A refused size is not reported: the size read back shows what the device took.
            config->SetFormat(format.type);
            written = true;
            OwnedMediaType now;
            if (SUCCEEDED(config->GetFormat(&now.type)) && now.type) {
                if (const VIDEOINFOHEADER* read = VideoInfoOf(now.type)) {
                    std::int32_t& storedWidth = preview ? target->videoWidth : captureWidth;
                    std::int32_t& storedHeight = preview ? target->videoHeight : captureHeight;
                    storedWidth = std::abs(read->bmiHeader.biWidth);
                    storedHeight = std::abs(read->bmiHeader.biHeight);
                }
            }
        }
    }
    if (previewWanted) {
        AssemblePreview();
        RunPreview();
    }
    return written;
}

bool TTunerTools::SetPreviewFormat(int width, int height) {
    return SetPinFormat(true, width, height);
}

bool TTunerTools::SetCaptureFormat(int width, int height) {
    return SetPinFormat(false, width, height);
}
