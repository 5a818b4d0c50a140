// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A card made of test doubles around one TTunerTools: a video capture filter with an analog video input, its
// capture and preview formats, a tuner and a picture amplifier, and an audio capture filter.

#include "capture_doubles.h"
#include "error_boxes.h"
#include "platform/win/clock.h"
#include "platform/win/message_boxes.h"
#include "tv/tuner_tools.h"

#include <QString>

#include <gtest/gtest.h>

#include <algorithm>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

// A tuner that takes every setting and answers no question; Extra are further interfaces it offers.
template <typename... Extra> class FakeTunerOf : public ComObject<IAMTVTuner, Extra...> {
public:
    HRESULT put_Mode(LONG) override { return S_OK; }
    HRESULT get_Mode(LONG*) override { return E_NOTIMPL; }
    HRESULT GetAvailableModes(LONG*) override { return E_NOTIMPL; }
    HRESULT put_CountryCode(LONG) override { return S_OK; }
    HRESULT get_CountryCode(LONG*) override { return E_NOTIMPL; }
    HRESULT SignalPresent(LONG*) override { return E_NOTIMPL; }
    HRESULT get_NumInputConnections(LONG*) override { return E_NOTIMPL; }
    HRESULT put_InputType(LONG, LONG) override { return S_OK; }
    HRESULT get_InputType(LONG, LONG*) override { return E_NOTIMPL; }
    HRESULT put_ConnectInput(LONG) override { return S_OK; }
    HRESULT get_ConnectInput(LONG*) override { return E_NOTIMPL; }
    HRESULT get_VideoFrequency(LONG*) override { return E_NOTIMPL; }
    HRESULT get_AudioFrequency(LONG*) override { return E_NOTIMPL; }
    HRESULT get_AvailableTVFormats(LONG*) override { return E_NOTIMPL; }
    HRESULT get_TVFormat(LONG*) override { return E_NOTIMPL; }
};

class FakeTuner final : public FakeTunerOf<> {};

// Knows a range for brightness only.
class FakeProcAmp final : public ComObject<IAMVideoProcAmp> {
public:
    HRESULT GetRange(LONG property, LONG* minimum, LONG* maximum, LONG* step, LONG* defaultValue,
                     LONG* flags) override {
        if (property != VideoProcAmp_Brightness) {
            return E_PROP_ID_UNSUPPORTED;
        }
        *minimum = 0;
        *maximum = 255;
        *step = 1;
        *defaultValue = 128;
        *flags = VideoProcAmp_Flags_Manual;
        return S_OK;
    }
    HRESULT Set(LONG, LONG, LONG) override { return S_OK; }
    HRESULT Get(LONG, LONG*, LONG*) override { return E_NOTIMPL; }
};

struct TestCard {
    TestCard() : platform(log), tools(&target, TTunerTools::Services{platform, boxes, clock}) {
        videoFilter->addPin(PINDIR_INPUT, PIN_CATEGORY_ANALOGVIDEOIN);
        platform.builder->sources[videoFilter.get()] = videoFilter.get();
        platform.builder->sources[audioFilter.get()] = audioFilter.get();
        platform.builder->offer(videoFilter.get(), PIN_CATEGORY_CAPTURE, captureConfig);
        platform.builder->offer(videoFilter.get(), PIN_CATEGORY_PREVIEW, previewConfig);
        platform.builder->offer(videoFilter.get(), PIN_CATEGORY_CAPTURE, MakeCom<FakeTuner>());
        platform.builder->offer(videoFilter.get(), PIN_CATEGORY_CAPTURE, MakeCom<FakeProcAmp>());
        platform.builder->offer(videoFilter.get(), PIN_CATEGORY_CAPTURE, droppedFrames);
        platform.builder->offer(audioFilter.get(), PIN_CATEGORY_CAPTURE, audioConfig);
        tools.audioWanted = true;
    }

    // The texts of the boxes shown so far; each box must be an error box without a caption.
    std::vector<std::string> shown() const { return ErrorBoxTexts(boxes); }
    bool logged(const std::string& entry) const {
        return std::find(log.begin(), log.end(), entry) != log.end();
    }
    void select() { tools.SelectSources(videoMoniker.get(), audioMoniker.get()); }

    CallLog log;
    FakeTunerPlatform platform;
    RecordingMessageBoxes boxes;
    VirtualClock clock;
    VideoTargetRecord target;
    RefPtr<FakeFilter> videoFilter = MakeCom<FakeFilter>("video capture");
    RefPtr<FakeFilter> audioFilter = MakeCom<FakeFilter>("audio capture");
    RefPtr<FakeStreamConfig> captureConfig = MakeCom<FakeStreamConfig>("capture", log, 352, -288);
    RefPtr<FakeStreamConfig> previewConfig = MakeCom<FakeStreamConfig>("preview", log, 704, -576);
    RefPtr<FakeStreamConfig> audioConfig = MakeCom<FakeStreamConfig>("audio", log, 0, 0, MEDIATYPE_Audio);
    RefPtr<FakeDroppedFrames> droppedFrames = MakeCom<FakeDroppedFrames>();
    RefPtr<FakeMoniker> videoMoniker =
        MakeCom<FakeMoniker>("Test Card", RefPtr<IUnknown>(static_cast<IBaseFilter*>(videoFilter.get())));
    RefPtr<FakeMoniker> audioMoniker = MakeCom<FakeMoniker>(
        "Test Card Audio", RefPtr<IUnknown>(static_cast<IBaseFilter*>(audioFilter.get())));
    TTunerTools tools;
};
