// SPDX-License-Identifier: GPL-2.0-or-later
#include "tuner_tools.h"

#include "compressor_options.h"
#include "owned_media_type.h"
#include "platform/win/message_boxes.h"
#include "tuner_platform.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <vector>

namespace {

std::string Vformat(const char* format, va_list args) {
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (length <= 0) {
        return {};
    }
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, args);
    text.resize(static_cast<std::size_t>(length));
    return text;
}

} // namespace

TTunerTools::TTunerTools(VideoTargetRecord* videoTarget, Services services)
    : target(videoTarget), services_(services) {}

TTunerTools::~TTunerTools() {
    HaltPreview();
    HaltCapture();
    DismantleGraph();
    ReleaseFilters();
}

void TTunerTools::ShowGraphError(const char* format, ...) {
    va_list args;
    va_start(args, format);
    const std::string text = Vformat(format, args);
    va_end(args);
    services_.messageBoxes.show(errorOwner, QString::fromStdString(text), QString(), MessageIcon::Error);
}

void TTunerTools::ShowGraphErrorCode(HRESULT hr, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const std::string text = Vformat(format, args) + "\n" + FormatMessage(hr);
    va_end(args);
    services_.messageBoxes.show(errorOwner, QString::fromStdString(text), QString(), MessageIcon::Error);
}

std::string TTunerTools::LockFailure(DeviceLock& lock, IMoniker* moniker) {
    const std::string key = DeviceLockKey(moniker);
    // Devices several processes can share (the virtual card, sound-server sources) take no lock, and a
    // session without a usable lock folder records unguarded rather than not at all.
    if (key.empty() || lock.acquire(key, DeviceFriendlyName(moniker))) {
        return {};
    }
    return lock.busyMessage();
}

bool TTunerTools::LockDevice(DeviceLock& lock, IMoniker* moniker) {
    const std::string busy = LockFailure(lock, moniker);
    if (busy.empty()) {
        return true;
    }
    ShowGraphError("%s", busy.c_str());
    return false;
}

bool TTunerTools::PrepareFilters() {
    if (!builder) {
        const HRESULT hr = services_.platform.CreateCaptureGraphBuilder(builder.put());
        if (hr != S_OK || !builder) {
            builder = nullptr;
            ShowGraphErrorCode(hr, "Cannot instantiate ICaptureGraphBuilder2");
            return false;
        }
    }

    videoCapture = nullptr;
    HRESULT hr = S_OK;
    if (videoDevice) {
        if (!LockDevice(videoLock_, videoDevice.get())) {
            ReleaseFilters();
            return false;
        }
        hr = videoDevice->BindToObject(nullptr, nullptr, IBaseFilter::IID,
                                       reinterpret_cast<void**>(videoCapture.put()));
    }
    if (!videoCapture) {
        ShowGraphErrorCode(hr, "Cannot create video capture filter");
        ReleaseFilters();
        return false;
    }

    if (!graph) {
        hr = services_.platform.CreateFilterGraph(graph.put());
        if (hr != S_OK || !graph) {
            graph = nullptr;
            ShowGraphErrorCode(hr, "Cannot instantiate IGraphBuilder");
            ShowGraphError("Cannot instantiate filtergraph");
            ReleaseFilters();
            return false;
        }
    }
    if (FAILED(builder->SetFiltergraph(graph.get()))) {
        ShowGraphError("Cannot give graph to builder");
        ReleaseFilters();
        return false;
    }
    hr = graph->AddFilter(videoCapture.get(), nullptr);
    if (FAILED(hr)) {
        ShowGraphErrorCode(hr, "Cannot add vidcap to filtergraph");
        ReleaseFilters();
        return false;
    }

    FindControlInterfaces();
    BuildCrossbar();
    if (!PrepareAudio()) {
        ReleaseFilters();
        return false;
    }
    return true;
}

void TTunerTools::FindControlInterfaces() {
    auto find = [this](const Guid& category, const Guid& type, IBaseFilter* filter, auto& field) {
        using Interface = std::remove_reference_t<decltype(*field.get())>;
        return builder->FindInterface(&category, &type, filter, Interface::IID,
                                      reinterpret_cast<void**>(field.put()));
    };
    IBaseFilter* video = videoCapture.get();
    find(PIN_CATEGORY_CAPTURE, MEDIATYPE_Video, video, videoCompression);
    find(PIN_CATEGORY_PREVIEW, MEDIATYPE_Video, video, previewConfig);
    HRESULT hr = find(PIN_CATEGORY_CAPTURE, MEDIATYPE_Video, video, captureConfig);
    if (FAILED(hr) || !captureConfig) {
        captureConfig = nullptr;
        ShowGraphErrorCode(hr, "Cannot find VCapture:IAMStreamConfig");
    }

    audioAllowed = true;
    OwnedMediaType format;
    if (captureConfig && SUCCEEDED(captureConfig->GetFormat(&format.type)) && format.type) {
        if (const VIDEOINFOHEADER* info = VideoInfoOf(format.type)) {
            captureWidth = std::abs(info->bmiHeader.biWidth);
            captureHeight = std::abs(info->bmiHeader.biHeight);
        }
        if (format.type->majortype != MEDIATYPE_Video) {
            // DV and the like carry the sound inside the video stream.
            audioAllowed = false;
            audioWanted = false;
        }
    }
    OwnedMediaType preview;
    if (previewConfig && SUCCEEDED(previewConfig->GetFormat(&preview.type)) && preview.type) {
        if (const VIDEOINFOHEADER* info = VideoInfoOf(preview.type)) {
            target->videoWidth = std::abs(info->bmiHeader.biWidth);
            target->videoHeight = std::abs(info->bmiHeader.biHeight);
        }
    }

    // Looking for the tuner brings the card's tuner, crossbar and TV audio filters into the graph.
    // A capture device without tuner (every camera) is no failure: the page disables what needs one.
    if (FAILED(find(PIN_CATEGORY_CAPTURE, MEDIATYPE_Video, video, tuner))) {
        tuner = nullptr;
    }
    // The audio capture filter is not made yet, so the first look finds nothing on a card with a separate
    // TV audio filter; the second looks around the video capture filter.
    if (FAILED(find(PIN_CATEGORY_CAPTURE, MEDIATYPE_Audio, audioCapture.get(), tvAudio)) || !tvAudio) {
        if (FAILED(find(PIN_CATEGORY_CAPTURE, MEDIATYPE_Video, video, tvAudio))) {
            tvAudio = nullptr;
        }
    }
    if (SUCCEEDED(find(PIN_CATEGORY_CAPTURE, MEDIATYPE_Video, video, procAmp)) && procAmp) {
        ReadPictureRanges();
    } else {
        procAmp = nullptr;
    }
    if (FAILED(find(PIN_CATEGORY_CAPTURE, MEDIATYPE_Video, video, vfwDialogs))) {
        vfwDialogs = nullptr;
    }
}

void TTunerTools::ReadPictureRanges() {
    for (std::size_t property = 0; property < picture.size(); ++property) {
        LONG minimum = 0, maximum = 0, step = 0, defaultValue = 0, flags = 0;
        if (SUCCEEDED(procAmp->GetRange(static_cast<LONG>(property), &minimum, &maximum, &step, &defaultValue,
                                        &flags))) {
            picture[property] = ProcAmpRange{true, minimum, maximum, step, defaultValue};
        } else {
            picture[property] = ProcAmpRange{};
        }
    }
}

void TTunerTools::BuildCrossbar() {
    RefPtr<IEnumPins> pins;
    if (FAILED(videoCapture->EnumPins(pins.put())) || !pins) {
        return;
    }
    IPin* fetched = nullptr;
    while (pins->Next(1, &fetched, nullptr) == S_OK) {
        const RefPtr<IPin> pin = RefPtr<IPin>::adopt(fetched);
        PIN_DIRECTION direction = PINDIR_OUTPUT;
        if (FAILED(pin->QueryDirection(&direction)) || direction != PINDIR_INPUT) {
            continue;
        }
        const RefPtr<IKsPropertySet> properties = query<IKsPropertySet>(pin);
        Guid category;
        DWORD returned = 0;
        if (properties &&
            SUCCEEDED(properties->Get(AMPROPSETID_Pin, AMPROPERTY_PIN_CATEGORY, nullptr, 0, &category,
                                      sizeof category, &returned)) &&
            category == PIN_CATEGORY_ANALOGVIDEOIN) {
            crossbar = std::make_unique<CCrossbar>(pin.get());
            videoInputCount = crossbar->InputCount();
            return;
        }
    }
}

bool TTunerTools::PrepareAudio() {
    if (!audioAllowed) {
        return true;
    }
    if (!audioDevice) {
        audioWanted = false;
        return true;
    }
    audioCapture = nullptr;
    // A sound card another process holds leaves the picture working without sound, as one that cannot be
    // bound does.
    const std::string busy = LockFailure(audioLock_, audioDevice.get());
    if (busy.empty()) {
        audioDevice->BindToObject(nullptr, nullptr, IBaseFilter::IID,
                                  reinterpret_cast<void**>(audioCapture.put()));
    }
    if (!audioCapture) {
        audioLock_.release();
        audioWanted = false;
        if (busy.empty()) {
            ShowGraphError("Cannot create audio capture filter");
        } else {
            ShowGraphError("Cannot create audio capture filter\n%s", busy.c_str());
        }
        return true;
    }
    const HRESULT hr = graph->AddFilter(audioCapture.get(), nullptr);
    if (FAILED(hr)) {
        ShowGraphErrorCode(hr, "Cannot add audcap to filtergraph");
        return false;
    }
    if (FAILED(builder->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Audio, audioCapture.get(),
                                      IAMStreamConfig::IID, reinterpret_cast<void**>(audioConfig.put()))) ||
        !audioConfig) {
        audioConfig = nullptr;
        ShowGraphError("Cannot find ACapture:IAMStreamConfig");
    }
    return true;
}

bool TTunerTools::MissesChosenDevice() const {
    return (videoDevice && !videoCapture) || (audioWanted && audioAllowed && audioDevice && !audioCapture);
}

void TTunerTools::SelectSources(IMoniker* video, IMoniker* audio) {
    if (video == videoDevice.get() && audio == audioDevice.get()) {
        // The same devices again rebuild nothing, unless one of them could not be made last time (busy,
        // unplugged): choosing it again is how the user retries it.
        if (!MissesChosenDevice()) {
            if (!audioCapture) {
                audioWanted = false;
            }
            return;
        }
    }
    videoDevice = RefPtr<IMoniker>(video);
    audioDevice = RefPtr<IMoniker>(audio);
    if (previewRunning) {
        HaltPreview();
    }
    if (captureBuilt || previewBuilt) {
        DismantleGraph();
    }
    ReleaseFilters();
    PrepareFilters();
    // The new filters take the compressors chosen before; the monikers outlived the old filters.
    SelectCompressors(videoCodec.get(), audioCodec.get());
    if (previewWanted) {
        AssemblePreview();
        RunPreview();
    }
}

void TTunerTools::SelectCompressors(IMoniker* video, IMoniker* audio) {
    struct Side {
        IMoniker* moniker;
        RefPtr<IMoniker>& codec;
        RefPtr<IBaseFilter>& compressor;
        bool bind;
    };
    for (Side side : {Side{video, videoCodec, videoCompressor, true},
                      Side{audio, audioCodec, audioCompressor, audioWanted}}) {
        if (side.moniker != side.codec.get()) {
            side.codec = RefPtr<IMoniker>(side.moniker);
            if (side.compressor) {
                // A built capture graph holds the compressor: it goes, and the recording with it, first.
                if (captureBuilt) {
                    DismantleGraph();
                }
                RemoveDownstream(side.compressor.get());
                side.compressor = nullptr;
            }
        }
        // The filters of the last device or sound change went with it; the chosen compressor is made again.
        if (side.codec && side.bind && !side.compressor) {
            IMoniker* moniker = side.codec.get();
            // A compressor that cannot be made leaves the recording uncompressed, without a word.
            moniker->BindToObject(nullptr, nullptr, IBaseFilter::IID,
                                  reinterpret_cast<void**>(side.compressor.put()));
            // Every recording, whoever starts it, compresses with the settings the user stored.
            if (side.compressor && compressorOptions) {
                ApplyStoredSettings(side.compressor.get(), *compressorOptions, stderr);
            }
        }
    }
}

void TTunerTools::DismantleGraph() {
    // A recording is never taken apart under way: it ends as a stop ends it, so its file is complete.
    if (captureRunning) {
        HaltCapture();
        captureRunning = false;
    }
    // Nor is a graph taken apart while it runs (the preview a recording beside it leaves running).
    if (previewRunning) {
        HaltPreview();
    }
    fileSink = nullptr;
    aviMux = nullptr;
    mux = nullptr;
    if (target->window) {
        target->window->put_MessageDrain(nullptr);
        target->window->put_Visible(OAFALSE);
        target->window->put_Owner(nullptr);
        target->window = nullptr;
    }
    events = nullptr;
    droppedFrames = nullptr;
    for (IBaseFilter* filter :
         {videoCapture.get(), audioCapture.get(), videoCompressor.get(), audioCompressor.get()}) {
        if (filter) {
            RemoveDownstream(filter);
        }
    }
    if (rotCookie != 0) {
        RevokeGraph();
        rotCookie = 0;
    }
    captureBuilt = false;
    previewBuilt = false;
}

void TTunerTools::RemoveDownstream(IBaseFilter* filter) {
    if (!filter || !graph) {
        return;
    }
    RefPtr<IEnumPins> pins;
    if (FAILED(filter->EnumPins(pins.put())) || !pins) {
        return;
    }
    pins->Reset();
    IPin* fetched = nullptr;
    while (pins->Next(1, &fetched, nullptr) == S_OK) {
        const RefPtr<IPin> pin = RefPtr<IPin>::adopt(fetched);
        RefPtr<IPin> far;
        if (FAILED(pin->ConnectedTo(far.put())) || !far) {
            continue;
        }
        PIN_INFO info;
        if (SUCCEEDED(far->QueryPinInfo(&info))) {
            const RefPtr<IBaseFilter> farFilter = RefPtr<IBaseFilter>::adopt(info.pFilter);
            if (info.dir == PINDIR_INPUT && farFilter) {
                RemoveDownstream(farFilter.get());
                graph->Disconnect(far.get());
                graph->Disconnect(pin.get());
                graph->RemoveFilter(farFilter.get());
            }
        }
    }
}

void TTunerTools::ReleaseFilters() {
    graph = nullptr;
    builder = nullptr;
    videoCapture = nullptr;
    audioCapture = nullptr;
    videoCompressor = nullptr;
    audioCompressor = nullptr;
    audioConfig = nullptr;
    captureConfig = nullptr;
    previewConfig = nullptr;
    videoCompression = nullptr;
    vfwDialogs = nullptr;
    tuner = nullptr;
    tvAudio = nullptr;
    procAmp = nullptr;
    crossbar.reset();
    videoLock_.release();
    audioLock_.release();
}

HRESULT TTunerTools::RegisterGraph() {
    RefPtr<IRunningObjectTable> table;
    if (FAILED(services_.platform.GetRunningObjectTable(table.put())) || !table) {
        return E_FAIL;
    }
    wchar_t name[128];
    std::swprintf(name, std::size(name), L"FilterGraph %08x pid %08x",
                  static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(graph.get())),
                  static_cast<unsigned>(services_.platform.GetCurrentProcessId()));
    RefPtr<IMoniker> moniker;
    HRESULT hr = services_.platform.CreateItemMoniker(L"!", name, moniker.put());
    if (SUCCEEDED(hr)) {
        DWORD cookie = 0;
        hr = table->Register(0, graph.get(), moniker.get(), &cookie);
        rotCookie = cookie;
    }
    return hr;
}

HRESULT TTunerTools::RevokeGraph() {
    RefPtr<IRunningObjectTable> table;
    if (FAILED(services_.platform.GetRunningObjectTable(table.put())) || !table) {
        return E_FAIL;
    }
    return table->Revoke(rotCookie);
}
