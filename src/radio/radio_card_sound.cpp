// SPDX-License-Identifier: GPL-2.0-or-later
#include "radio_card_sound.h"

#include "tv/capture_events.h"
#include "tv/tuner_platform.h"

#include "platform/win/message_receiver.h"

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

namespace {

// What the sound graph posts for each of its events.
constexpr UINT kSoundGraphMessage = WM_USER + 3;

} // namespace

RadioCardSound::RadioCardSound(Services services)
    : services_(std::move(services)),
      graphEvents_(std::make_unique<MessageReceiver>([this](const WindowMessageEvent& message) {
          if (message.message() == kSoundGraphMessage) {
              handleGraphEvents();
          }
      })) {}

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
    // Events are posted from the start: a device failing while the graph starts is told too.
    if (const RefPtr<IMediaEventEx> events = query<IMediaEventEx>(graph_)) {
        events->SetNotifyWindow(graphEvents_.get(), LONG(kSoundGraphMessage), 0);
    }
    const RefPtr<IMediaControl> control = query<IMediaControl>(graph_);
    if (!control || FAILED(hr = control->Run())) {
        return Fail("the audio device does not start", control ? hr : E_NOINTERFACE);
    }
    running_ = true;
    return true;
}

void RadioCardSound::handleGraphEvents() {
    const RefPtr<IMediaEventEx> events = query<IMediaEventEx>(graph_);
    LONG code = 0;
    LONG_PTR param1 = 0;
    LONG_PTR param2 = 0;
    bool failed = false;
    std::string words;
    while (events && SUCCEEDED(events->GetEvent(&code, &param1, &param2, 0))) {
        if (code == EC_STREAM_ERROR_STOPPED || code == EC_ERRORABORT) {
            failed = true;
            // A failing source reports more than once; only its first event carries its words.
            if (words.empty()) {
                words = code == EC_STREAM_ERROR_STOPPED ? StreamErrorWords(param1, param2)
                                                        : FormatMessage(static_cast<HRESULT>(param1));
            }
        } else if (code == EC_DEVICE_LOST) {
            failed = true;
            if (words.empty()) {
                words = "the device went away";
            }
        }
        events->FreeEventParams(code, param1, param2);
    }
    if (!failed || !running_) {
        return;
    }
    // Nothing asks the user anything, so no box: the radio stays tuned, silent, and says so once. The
    // filters stay until Stop, as the presets hold the stream's mute.
    std::fprintf(stderr, "corvane: the radio's sound stopped, the station stays tuned: %s\n", words.c_str());
    running_ = false;
    if (const RefPtr<IMediaControl> control = query<IMediaControl>(graph_)) {
        control->Stop();
    }
    if (services_.stopped) {
        services_.stopped();
    }
}

void RadioCardSound::Stop() {
    if (graph_) {
        if (const RefPtr<IMediaControl> control = query<IMediaControl>(graph_)) {
            control->Stop();
        }
        // Nothing more is posted to the receiver; what was posted already finds no graph and does nothing.
        if (const RefPtr<IMediaEventEx> events = query<IMediaEventEx>(graph_)) {
            events->SetNotifyWindow(nullptr, 0, 0);
        }
    }
    running_ = false;
    sound_ = nullptr;
    renderer_ = nullptr;
    capture_ = nullptr;
    graph_ = nullptr;
    device_ = nullptr;
}
