// SPDX-License-Identifier: GPL-2.0-or-later
// TTunerTools' tuner operations on test doubles: the property structures the tuner receives, the failures
// only a double can give (a tuner without properties, a status read that fails halfway, a decoder that
// refuses a standard) and crossbars the virtual card does not have.
#include "tuner_test_card.h"
#include "tv/tv_audio_modes.h"

#include <gtest/gtest.h>

namespace {

// A tuner with kernel-streaming properties that records each call's sizes and answers with set results.
class PropertyTuner final : public FakeTunerOf<IKsPropertySet> {
public:
    struct Call {
        DWORD id;
        std::ptrdiff_t instanceOffset; // instance − data
        DWORD instanceLength;
        DWORD dataLength;
        ULONG mode = 0;
        ULONG frequency = 0;
        ULONG flags = 0;
    };

    HRESULT put_Mode(LONG mode) override { return record("put_Mode " + std::to_string(mode)); }
    HRESULT put_CountryCode(LONG country) override {
        return record("put_CountryCode " + std::to_string(country));
    }
    HRESULT put_InputType(LONG index, LONG type) override {
        return record("put_InputType " + std::to_string(index) + " " + std::to_string(type));
    }

    HRESULT Set(const Guid& set, DWORD id, void* instance, DWORD instanceLength, void* data,
                DWORD dataLength) override {
        EXPECT_EQ(set, PROPSETID_TUNER);
        Call call{id, static_cast<std::uint8_t*>(instance) - static_cast<std::uint8_t*>(data), instanceLength,
                  dataLength};
        if (id == KSPROPERTY_TUNER_MODE) {
            call.mode = static_cast<KSPROPERTY_TUNER_MODE_S*>(data)->Mode;
        } else if (id == KSPROPERTY_TUNER_FREQUENCY) {
            const auto* frequency = static_cast<KSPROPERTY_TUNER_FREQUENCY_S*>(data);
            call.frequency = frequency->Frequency;
            call.flags = frequency->TuningFlags;
        }
        calls.push_back(call);
        return id == KSPROPERTY_TUNER_MODE ? modeResult : frequencyResult;
    }
    HRESULT Get(const Guid& set, DWORD id, void* instance, DWORD instanceLength, void* data, DWORD dataLength,
                DWORD* returned) override {
        EXPECT_EQ(set, PROPSETID_TUNER);
        calls.push_back({id, static_cast<std::uint8_t*>(instance) - static_cast<std::uint8_t*>(data),
                         instanceLength, dataLength});
        auto* status = static_cast<KSPROPERTY_TUNER_STATUS_S*>(data);
        EXPECT_EQ(status->PLLOffset, 0) << "the structure is zeroed before the read";
        // A failing driver may still have written part of its answer.
        status->PLLOffset = offset;
        *returned = dataLength;
        return statusResult;
    }
    HRESULT QuerySupported(const Guid&, DWORD, DWORD*) override { return E_NOTIMPL; }

    HRESULT record(const std::string& call) {
        log.push_back(call);
        return S_OK;
    }

    CallLog log;
    std::vector<Call> calls;
    HRESULT modeResult = S_OK;
    HRESULT frequencyResult = S_OK;
    HRESULT statusResult = S_OK;
    LONG offset = 0;
};

class FakeDecoder final : public FakeFilterOf<IAMAnalogVideoDecoder> {
public:
    FakeDecoder() : FakeFilterOf("decoder") {}

    HRESULT get_AvailableTVFormats(LONG*) override { return E_NOTIMPL; }
    HRESULT put_TVFormat(LONG standard) override {
        log.push_back("put_TVFormat " + std::to_string(standard));
        return formatResult;
    }
    HRESULT get_TVFormat(LONG*) override { return E_NOTIMPL; }
    HRESULT get_HorizontalLocked(LONG* locked) override {
        *locked = lockedFlag;
        return lockedResult;
    }
    HRESULT put_VCRHorizontalLocking(LONG vcr) override {
        log.push_back("put_VCRHorizontalLocking " + std::to_string(vcr));
        return vcrResult;
    }
    HRESULT get_VCRHorizontalLocking(LONG*) override { return E_NOTIMPL; }
    HRESULT get_NumberOfLines(LONG*) override { return E_NOTIMPL; }
    HRESULT put_OutputEnable(LONG) override { return E_NOTIMPL; }
    HRESULT get_OutputEnable(LONG*) override { return E_NOTIMPL; }

    CallLog log;
    HRESULT formatResult = S_OK;
    HRESULT vcrResult = S_OK;
    HRESULT lockedResult = S_OK;
    LONG lockedFlag = 0;
};

struct ControlCard : TestCard {
    ControlCard() {
        tools.tuner = propertyTuner;
        tools.videoCapture = decoder;
        tools.builder = platform.builder;
    }
    void offerCrossbar(std::vector<FakeCrossbar::PinSpec> inputs,
                       std::vector<FakeCrossbar::PinSpec> outputs) {
        crossbar = MakeCom<FakeCrossbar>("xbar", std::move(inputs), std::move(outputs), log);
        platform.builder->offer(decoder.get(), PIN_CATEGORY_CAPTURE, RefPtr<IAMCrossbar>(crossbar.get()));
    }

    RefPtr<PropertyTuner> propertyTuner = MakeCom<PropertyTuner>();
    RefPtr<FakeDecoder> decoder = MakeCom<FakeDecoder>();
    RefPtr<FakeCrossbar> crossbar;
};

TEST(TunerControl, PreparesTheTunerForCableTv) {
    ControlCard card;
    EXPECT_TRUE(card.tools.PrepareTvTuner());
    EXPECT_EQ(card.propertyTuner->log, (CallLog{"put_Mode 1", "put_CountryCode 7",
                                                "put_InputType 0 " + std::to_string(TunerInputCable)}));

    card.tools.tuner = nullptr;
    EXPECT_FALSE(card.tools.PrepareTvTuner());
    EXPECT_FALSE(card.tools.TuneFrequency(175250000));
    EXPECT_EQ(card.tools.ReadTunerOffset(), 0);
    EXPECT_TRUE(card.shown().empty());
}

TEST(TunerControl, PropertiesTravelPastTheirHeaderAsInstanceData) {
    ControlCard card;
    card.propertyTuner->offset = -62500;

    EXPECT_TRUE(card.tools.TuneFrequency(175250000));
    EXPECT_EQ(card.tools.ReadTunerOffset(), -62500);

    const auto& calls = card.propertyTuner->calls;
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].id, static_cast<DWORD>(KSPROPERTY_TUNER_MODE));
    EXPECT_EQ(calls[0].mode, KSPROPERTY_TUNER_MODE_TV);
    EXPECT_EQ(calls[1].id, static_cast<DWORD>(KSPROPERTY_TUNER_FREQUENCY));
    EXPECT_EQ(calls[1].frequency, 175250000u);
    EXPECT_EQ(calls[1].flags, KS_TUNER_TUNING_EXACT);
    EXPECT_EQ(calls[2].id, static_cast<DWORD>(KSPROPERTY_TUNER_STATUS));
    const std::pair<DWORD, DWORD> sizes[] = {{8, 32}, {32, 56}, {16, 40}};
    for (std::size_t i = 0; i < calls.size(); ++i) {
        EXPECT_EQ(calls[i].instanceOffset, 24) << i;
        EXPECT_EQ(calls[i].instanceLength, sizes[i].first) << i;
        EXPECT_EQ(calls[i].dataLength, sizes[i].second) << i;
    }
    EXPECT_TRUE(card.shown().empty());
}

TEST(TunerControl, ResultSaysOnlyWhetherTheFrequencyWasZero) {
    ControlCard card;
    EXPECT_FALSE(card.tools.TuneFrequency(0));
    EXPECT_TRUE(card.shown().empty());

    // Both sets fail: still true, and a box for each, in the order they were made.
    card.propertyTuner->modeResult = E_FAIL;
    card.propertyTuner->frequencyResult = E_INVALIDARG;
    EXPECT_TRUE(card.tools.TuneFrequency(48250000));
    const auto texts = card.shown();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].rfind("KSPROPERTY_TUNER_MODE\n", 0), 0u) << texts[0];
    EXPECT_EQ(texts[1].rfind("KSPROPERTY_TUNER_FREQUENCY\n", 0), 0u) << texts[1];
    EXPECT_GT(texts[1].size(), std::string("KSPROPERTY_TUNER_FREQUENCY\n").size()) << "the system's text";
}

TEST(TunerControl, TunerWithoutPropertiesTunesNothingButAnswersAsIfItDid) {
    ControlCard card;
    card.tools.tuner = MakeCom<FakeTuner>();
    EXPECT_TRUE(card.tools.TuneFrequency(175250000));
    EXPECT_FALSE(card.tools.TuneFrequency(0));
    EXPECT_EQ(card.tools.ReadTunerOffset(), 0);
    EXPECT_TRUE(card.shown().empty());
}

TEST(TunerControl, FailedStatusReadShowsItsBoxAndGivesNoOffset) {
    ControlCard card;
    card.propertyTuner->statusResult = E_FAIL;
    card.propertyTuner->offset = 1234567;
    EXPECT_EQ(card.tools.ReadTunerOffset(), 0);
    const auto texts = card.shown();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].rfind("KSPROPERTY_TUNER_STATUS\n", 0), 0u) << texts[0];
}

TEST(TunerControl, DecoderStandardAndLock) {
    ControlCard card;
    // The standard's own result does not count; the horizontal locking's does.
    card.decoder->formatResult = E_INVALIDARG;
    EXPECT_TRUE(card.tools.SetVideoStandard(AnalogVideo_PAL_D));
    EXPECT_EQ(card.decoder->log, (CallLog{"put_TVFormat 32", "put_VCRHorizontalLocking 0"}));
    card.decoder->vcrResult = E_FAIL;
    EXPECT_FALSE(card.tools.SetVideoStandard(AnalogVideo_PAL_B));

    EXPECT_FALSE(card.tools.IsSignalLocked());
    card.decoder->lockedFlag = 1;
    EXPECT_TRUE(card.tools.IsSignalLocked());
    card.decoder->lockedResult = E_FAIL;
    EXPECT_FALSE(card.tools.IsSignalLocked());

    // A capture filter that is no decoder.
    card.tools.videoCapture = card.videoFilter;
    EXPECT_FALSE(card.tools.SetVideoStandard(AnalogVideo_PAL_B));
    EXPECT_FALSE(card.tools.IsSignalLocked());
    EXPECT_TRUE(card.shown().empty());
}

TEST(TunerControl, RoutesSoundAndPictureFromTheTuner) {
    ControlCard card;
    // Inputs: composite, video tuner, audio line, audio tuner; outputs: video decoder, audio decoder.
    card.offerCrossbar({{PhysConn_Video_Composite, 2},
                        {PhysConn_Video_Tuner, 3},
                        {PhysConn_Audio_Line, 0},
                        {PhysConn_Audio_Tuner, 1}},
                       {{PhysConn_Video_VideoDecoder, 1}, {PhysConn_Audio_AudioDecoder, 0}});
    card.log.clear();
    EXPECT_TRUE(card.tools.RouteTunerInputs());
    EXPECT_EQ(card.log, (CallLog{"xbar Route 1 3", "xbar Route 0 1"}));

    // The picture route decides, even when the sound was routed.
    card.crossbar->refused = {{0, 1}};
    EXPECT_FALSE(card.tools.RouteTunerInputs());
    // And the other way round.
    card.crossbar->refused = {{1, 3}};
    EXPECT_TRUE(card.tools.RouteTunerInputs());
}

TEST(TunerControl, PictureIsRoutedWhenTheSoundHasNoTunerInput) {
    ControlCard card;
    card.offerCrossbar({{PhysConn_Video_SVideo, -1}, {PhysConn_Audio_Line, -1}, {PhysConn_Video_Tuner, -1}},
                       {{PhysConn_Audio_AudioDecoder, -1}, {PhysConn_Video_VideoDecoder, -1}});
    card.log.clear();
    EXPECT_TRUE(card.tools.RouteTunerInputs());
    EXPECT_EQ(card.log, CallLog{"xbar Route 1 2"});

    card.crossbar->refused = {{1, 2}};
    EXPECT_FALSE(card.tools.RouteTunerInputs());
}

TEST(TunerControl, NothingToRouteIsAFailure) {
    ControlCard card;
    EXPECT_FALSE(card.tools.RouteTunerInputs()) << "no crossbar";

    // A crossbar with only line inputs performs no route.
    card.offerCrossbar({{PhysConn_Video_Composite, 1}, {PhysConn_Audio_Line, 0}},
                       {{PhysConn_Video_VideoDecoder, 1}, {PhysConn_Audio_AudioDecoder, 0}});
    card.log.clear();
    EXPECT_FALSE(card.tools.RouteTunerInputs());
    EXPECT_TRUE(card.log.empty());

    card.tools.builder = nullptr;
    EXPECT_FALSE(card.tools.RouteTunerInputs());
}

class FakeTvAudio final : public ComObject<IAMTVAudio> {
public:
    HRESULT GetHardwareSupportedTVAudioModes(LONG* modes) override {
        *modes = supported;
        return supportedResult;
    }
    HRESULT GetAvailableTVAudioModes(LONG*) override { return E_NOTIMPL; }
    HRESULT get_TVAudioMode(LONG* mode) override {
        *mode = current;
        return currentResult;
    }
    HRESULT put_TVAudioMode(LONG) override { return E_NOTIMPL; }

    LONG supported = AMTVAUDIO_MODE_STEREO | AMTVAUDIO_MODE_MONO;
    HRESULT supportedResult = S_OK;
    LONG current = AMTVAUDIO_MODE_STEREO;
    HRESULT currentResult = S_OK;
};

TEST(TunerControl, SoundModeBoxOfAMonoAndStereoDevice) {
    const RefPtr<FakeTvAudio> audio = MakeCom<FakeTvAudio>();
    TvAudioModeBox box = ReadTvAudioModes(audio.get());
    ASSERT_EQ(box.items.size(), 2u);
    EXPECT_STREQ(box.items[0].text, "Mono");
    EXPECT_EQ(box.items[0].mode, AMTVAUDIO_MODE_MONO);
    EXPECT_STREQ(box.items[1].text, "Stereo");
    EXPECT_EQ(box.selected, 1);
    EXPECT_TRUE(box.enabled);

    // A mode in use that the box does not offer, or one that cannot be read, selects nothing.
    audio->current = AMTVAUDIO_MODE_LANG_C;
    EXPECT_EQ(ReadTvAudioModes(audio.get()).selected, -1);
    audio->current = AMTVAUDIO_MODE_MONO;
    audio->currentResult = E_FAIL;
    EXPECT_EQ(ReadTvAudioModes(audio.get()).selected, -1);

    // Modes that cannot be read make an empty box that is still enabled.
    audio->supportedResult = E_FAIL;
    box = ReadTvAudioModes(audio.get());
    EXPECT_TRUE(box.items.empty());
    EXPECT_TRUE(box.enabled);
}

} // namespace
