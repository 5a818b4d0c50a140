// SPDX-License-Identifier: GPL-2.0-or-later
#include "radio_card_sound.h"

#include "tv/tuner_platform.h"

#include <cstdio>

RefPtr<IMoniker> TunerSoundDevice(IMoniker* tuner, ICreateDevEnum* devices) {
    RefPtr<IPropertyBag> bag;
    std::string wanted;
    if (!tuner || !devices ||
        FAILED(
            tuner->BindToStorage(nullptr, nullptr, IPropertyBag::IID, reinterpret_cast<void**>(bag.put()))) ||
        !bag || FAILED(bag->Read("SoundDevice", &wanted))) {
        return {};
    }
    RefPtr<IEnumMoniker> list;
    if (devices->CreateClassEnumerator(CLSID_AudioInputDeviceCategory, list.put(), 0) != S_OK || !list) {
        return {};
    }
    IMoniker* next = nullptr;
    while (list->Next(1, &next, nullptr) == S_OK) {
        RefPtr<IMoniker> moniker = RefPtr<IMoniker>::adopt(next);
        std::string name;
        if (SUCCEEDED(moniker->GetDisplayName(nullptr, nullptr, &name)) && name == wanted) {
            return moniker;
        }
    }
    return {};
}

RadioCardSound::RadioCardSound(Services services) : services_(std::move(services)) {}

RadioCardSound::~RadioCardSound() {
    Stop();
}

bool RadioCardSound::Fail(const char* what, HRESULT hr) {
    std::fprintf(stderr, "corvane: the radio's sound cannot be played: %s (%s)\n", what,
                 FormatMessage(hr).c_str());
    Stop();
    return false;
}

bool RadioCardSound::Play(IMoniker* audioDevice) {
    if (running_ && audioDevice && device_ && audioDevice->IsEqual(device_.get()) == S_OK) {
        return true;
    }
    Stop();
    if (!audioDevice) {
        return false;
    }
    device_ = RefPtr<IMoniker>(audioDevice);
    RefPtr<ICaptureGraphBuilder2> builder;
    HRESULT hr = services_.platform.CreateCaptureGraphBuilder(builder.put());
    if (FAILED(hr) || FAILED(hr = services_.platform.CreateFilterGraph(graph_.put())) ||
        FAILED(hr = builder->SetFiltergraph(graph_.get()))) {
        return Fail("no graph", hr);
    }
    hr = audioDevice->BindToObject(nullptr, nullptr, IBaseFilter::IID,
                                   reinterpret_cast<void**>(capture_.put()));
    if (FAILED(hr) || !capture_) {
        return Fail("the audio device cannot be opened", FAILED(hr) ? hr : E_FAIL);
    }
    if (!services_.makeRenderer ||
        FAILED(hr = services_.makeRenderer(CardSoundRole::Music, renderer_.put())) || !renderer_) {
        return Fail("no sound output", FAILED(hr) ? hr : E_FAIL);
    }
    sound_ = query<ICardSound>(renderer_);
    if (sound_) {
        // Heard only once a station is tuned: the tuning that follows unmutes it.
        sound_->SetMuted(true);
    }
    if (FAILED(hr = graph_->AddFilter(capture_.get(), L"Radio Sound")) ||
        FAILED(hr = graph_->AddFilter(renderer_.get(), kCardSoundRendererName)) ||
        FAILED(hr = builder->RenderStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Audio, capture_.get(), nullptr,
                                          renderer_.get()))) {
        return Fail("the audio device's sound does not reach the output", hr);
    }
    const RefPtr<IMediaControl> control = query<IMediaControl>(graph_);
    if (!control || FAILED(hr = control->Run())) {
        return Fail("the audio device does not start", control ? hr : E_NOINTERFACE);
    }
    running_ = true;
    return true;
}

void RadioCardSound::Stop() {
    if (graph_) {
        if (const RefPtr<IMediaControl> control = query<IMediaControl>(graph_)) {
            control->Stop();
        }
    }
    running_ = false;
    sound_ = nullptr;
    renderer_ = nullptr;
    capture_ = nullptr;
    graph_ = nullptr;
    device_ = nullptr;
}
