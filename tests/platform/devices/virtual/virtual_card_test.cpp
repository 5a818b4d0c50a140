// SPDX-License-Identifier: GPL-2.0-or-later
// The virtual TV card through the interfaces the TV and radio sides use: its devices in the lists, the
// tuner's kernel-streaming properties, crossbars, TV sound, picture ranges, what the picture shows, and the
// faults it can be told to show.

#include "platform/devices/device_provider.h"
#include "platform/devices/tv_device_interfaces.h"
#include "platform/devices/virtual/card_sources.h"
#include "platform/devices/virtual/virtual_audio_filter.h"
#include "platform/devices/virtual/virtual_capture_filter.h"
#include "platform/devices/virtual/virtual_card_provider.h"
#include "platform/media/gst/com_factory.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

template <typename T>
RefPtr<T> Bind(const std::shared_ptr<VirtualCard>& card, const Guid& category, HRESULT* result = nullptr) {
    auto devices = MakeVirtualCardProvider(card)->devices(category);
    RefPtr<T> object;
    const HRESULT hr = devices.at(0).bind(T::IID, reinterpret_cast<void**>(object.put()));
    if (result) {
        *result = hr;
    }
    return object;
}

std::shared_ptr<VirtualCard> MakeCard(CardDefinition definition = BuiltInCardDefinition()) {
    return std::make_shared<VirtualCard>(std::move(definition));
}

HRESULT Tune(IKsPropertySet* tuner, ULONG mode, ULONG hertz, ULONG flags) {
    KSPROPERTY_TUNER_MODE_S modeProperty;
    modeProperty.Mode = mode;
    HRESULT hr = tuner->Set(PROPSETID_TUNER, KSPROPERTY_TUNER_MODE, InstanceDataOf(modeProperty),
                            InstanceSizeOf<KSPROPERTY_TUNER_MODE_S>(), &modeProperty, sizeof modeProperty);
    if (FAILED(hr)) {
        return hr;
    }
    KSPROPERTY_TUNER_FREQUENCY_S frequency;
    frequency.Frequency = hertz;
    frequency.TuningFlags = flags;
    return tuner->Set(PROPSETID_TUNER, KSPROPERTY_TUNER_FREQUENCY, InstanceDataOf(frequency),
                      InstanceSizeOf<KSPROPERTY_TUNER_FREQUENCY_S>(), &frequency, sizeof frequency);
}

LONG PllOffset(IKsPropertySet* tuner) {
    KSPROPERTY_TUNER_STATUS_S status;
    DWORD returned = 0;
    EXPECT_EQ(tuner->Get(PROPSETID_TUNER, KSPROPERTY_TUNER_STATUS, InstanceDataOf(status),
                         InstanceSizeOf<KSPROPERTY_TUNER_STATUS_S>(), &status, sizeof status, &returned),
              S_OK);
    EXPECT_EQ(returned, sizeof status);
    return status.PLLOffset;
}

std::vector<std::string> Names(const Guid& category) {
    RefPtr<ICreateDevEnum> enumerator = MakeDeviceEnum(SelectedDeviceProviders());
    RefPtr<IEnumMoniker> monikers;
    std::vector<std::string> names;
    if (enumerator->CreateClassEnumerator(category, monikers.put(), 0) != S_OK) {
        return names;
    }
    IMoniker* moniker = nullptr;
    while (monikers->Next(1, &moniker, nullptr) == S_OK) {
        RefPtr<IPropertyBag> bag;
        moniker->BindToStorage(nullptr, nullptr, IPropertyBag::IID, reinterpret_cast<void**>(bag.put()));
        std::string name;
        bag->Read("FriendlyName", &name);
        names.push_back(name);
        moniker->Release();
    }
    return names;
}

bool Contains(const std::vector<std::string>& names, const char* name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

} // namespace

TEST(VirtualCard, IsListedInItsCategoriesWhenTheSelectionAllowsIt) {
    for (const char* selection : {"all", "virtual"}) {
        setenv("CORVANE_DEVICES", selection, 1);
        EXPECT_TRUE(Contains(Names(CLSID_VideoInputDeviceCategory), "Corvane Virtual TV Card")) << selection;
        EXPECT_TRUE(Contains(Names(AM_KSCATEGORY_TVTUNER), "Corvane Virtual TV Card")) << selection;
        EXPECT_TRUE(Contains(Names(AM_KSCATEGORY_TVAUDIO), "Corvane Virtual TV Card")) << selection;
        EXPECT_TRUE(Contains(Names(AM_KSCATEGORY_CROSSBAR), "Corvane Virtual TV Card")) << selection;
        EXPECT_TRUE(Contains(Names(CLSID_AudioInputDeviceCategory), "Corvane Virtual TV Card Audio"))
            << selection;
        EXPECT_FALSE(Contains(Names(CLSID_VideoCompressorCategory), "Corvane Virtual TV Card")) << selection;
    }
    for (const char* selection : {"none", "v4l2"}) {
        setenv("CORVANE_DEVICES", selection, 1);
        EXPECT_FALSE(Contains(Names(CLSID_VideoInputDeviceCategory), "Corvane Virtual TV Card")) << selection;
    }
    unsetenv("CORVANE_DEVICES");
}

TEST(VirtualCard, TunerPropertiesTuneAndReportTheSignedOffset) {
    auto card = MakeCard();
    RefPtr<IAMTVTuner> tuner = Bind<IAMTVTuner>(card, AM_KSCATEGORY_TVTUNER);
    ASSERT_TRUE(tuner);
    RefPtr<IKsPropertySet> properties = query<IKsPropertySet>(tuner);
    ASSERT_TRUE(properties);
    EXPECT_EQ(Tune(properties.get(), KSPROPERTY_TUNER_MODE_TV, 175000000, KS_TUNER_TUNING_EXACT), S_OK);
    EXPECT_EQ(PllOffset(properties.get()), 250000);
    EXPECT_EQ(Tune(properties.get(), KSPROPERTY_TUNER_MODE_TV, 175500000, KS_TUNER_TUNING_EXACT), S_OK);
    EXPECT_EQ(PllOffset(properties.get()), -250000);
    LONG signal = 0;
    tuner->SignalPresent(&signal);
    EXPECT_EQ(signal, AMTUNER_SIGNALPRESENT);

    // Out of the band: refused, the tuner stays where it was.
    EXPECT_EQ(Tune(properties.get(), KSPROPERTY_TUNER_MODE_TV, 39999999, KS_TUNER_TUNING_EXACT),
              E_INVALIDARG);
    EXPECT_EQ(card->frequency(), 175500000);
    EXPECT_EQ(Tune(properties.get(), KSPROPERTY_TUNER_MODE_FM_RADIO, 175250000, KS_TUNER_TUNING_FINE),
              E_INVALIDARG);
    EXPECT_EQ(Tune(properties.get(), 7, 175250000, KS_TUNER_TUNING_EXACT), E_INVALIDARG);

    // FM: the same tuner, bound on its own as the radio binds it, shares the card.
    RefPtr<IKsPropertySet> radio = query<IKsPropertySet>(Bind<IAMTVTuner>(card, AM_KSCATEGORY_TVTUNER));
    EXPECT_EQ(Tune(radio.get(), KSPROPERTY_TUNER_MODE_FM_RADIO, 95900000, KS_TUNER_TUNING_FINE), S_OK);
    EXPECT_EQ(PllOffset(properties.get()), -100000);
    LONG mode = 0;
    tuner->get_Mode(&mode);
    EXPECT_EQ(mode, AMTUNER_MODE_FM_RADIO);
    EXPECT_EQ(tuner->put_Mode(AMTUNER_MODE_AM_RADIO), E_INVALIDARG);
    EXPECT_EQ(tuner->put_InputType(0, TunerInputCable), S_OK);
    EXPECT_EQ(tuner->put_InputType(1, TunerInputCable), E_INVALIDARG);
}

TEST(VirtualCard, FaultedPropertySetsFailWhileReadsStillWork) {
    CardDefinition definition = BuiltInCardDefinition();
    definition.faults.setProperty = true;
    auto card = MakeCard(definition);
    RefPtr<IKsPropertySet> properties = query<IKsPropertySet>(Bind<IAMTVTuner>(card, AM_KSCATEGORY_TVTUNER));
    EXPECT_EQ(Tune(properties.get(), KSPROPERTY_TUNER_MODE_TV, 175250000, KS_TUNER_TUNING_EXACT), E_FAIL);
    EXPECT_EQ(PllOffset(properties.get()), 0);
}

TEST(VirtualCard, OneCrossbarOffersTheConnectorsWithTheirCompanions) {
    auto card = MakeCard();
    RefPtr<IAMCrossbar> crossbar = Bind<IAMCrossbar>(card, AM_KSCATEGORY_CROSSBAR);
    ASSERT_TRUE(crossbar);
    LONG outputs = 0;
    LONG inputs = 0;
    crossbar->get_PinCounts(&outputs, &inputs);
    ASSERT_EQ(outputs, 2);
    ASSERT_EQ(inputs, 5);
    const LONG expectedTypes[] = {PhysConn_Video_Tuner, PhysConn_Video_Composite, PhysConn_Video_SVideo,
                                  PhysConn_Audio_Tuner, PhysConn_Audio_Line};
    const LONG expectedRelated[] = {3, 4, 4, 0, 1};
    for (LONG i = 0; i < inputs; ++i) {
        LONG related = 0;
        LONG type = 0;
        ASSERT_EQ(crossbar->get_CrossbarPinInfo(1, i, &related, &type), S_OK);
        EXPECT_EQ(type, expectedTypes[i]);
        EXPECT_EQ(related, expectedRelated[i]);
    }
    LONG related = 0;
    LONG type = 0;
    crossbar->get_CrossbarPinInfo(0, 1, &related, &type);
    EXPECT_EQ(type, PhysConn_Audio_AudioDecoder);
    EXPECT_EQ(related, 0);
    EXPECT_EQ(crossbar->get_CrossbarPinInfo(0, 2, &related, &type), E_INVALIDARG);

    EXPECT_EQ(crossbar->CanRoute(0, 1), S_OK);
    EXPECT_EQ(crossbar->CanRoute(0, 3), S_FALSE); // sound never reaches the picture's output
    EXPECT_EQ(crossbar->Route(0, 3), VFW_E_CANNOT_CONNECT);
    EXPECT_EQ(crossbar->Route(0, 5), E_INVALIDARG);
    EXPECT_EQ(crossbar->Route(2, 0), E_INVALIDARG);
    EXPECT_EQ(crossbar->Route(-1, 0), E_INVALIDARG);
    LONG routed = -1;
    crossbar->get_IsRoutedTo(0, &routed);
    EXPECT_EQ(routed, 0); // still the tuner
}

TEST(VirtualCard, RoutingChoosesWhatThePictureAndSoundCarry) {
    auto card = MakeCard();
    card->setFrequency(175250000);
    RefPtr<IAMCrossbar> crossbar = Bind<IAMCrossbar>(card, AM_KSCATEGORY_CROSSBAR);
    EXPECT_EQ(card->picture().kind, PictureState::Kind::Channel);
    EXPECT_EQ(card->picture().label, "Corvane Two");
    EXPECT_FALSE(card->sound().silent);

    ASSERT_EQ(crossbar->Route(0, 2), S_OK);
    EXPECT_EQ(card->picture().kind, PictureState::Kind::ColourBars);
    EXPECT_EQ(card->picture().label, "Video SVideo");
    EXPECT_TRUE(card->horizontalLocked());
    ASSERT_EQ(crossbar->Route(1, 4), S_OK);
    EXPECT_TRUE(card->sound().silent); // nothing on the line input
}

TEST(VirtualCard, TwoCrossbarsChainTheOuterConnectorsThroughTheInnerTunerInput) {
    CardDefinition definition = BuiltInCardDefinition();
    definition.crossbars = 2;
    auto card = MakeCard(definition);
    ASSERT_EQ(card->crossbarCount(), 2);
    card->setFrequency(183250000);
    EXPECT_EQ(card->picture().label, "Corvane Dual");
    // The outer crossbar switches to composite: the inner one still takes the outer one's output.
    ASSERT_TRUE(card->route(1, 0, 1));
    EXPECT_EQ(card->picture().kind, PictureState::Kind::ColourBars);
    EXPECT_EQ(card->picture().label, "Video Composite");
    ASSERT_TRUE(card->route(1, 0, 2));
    EXPECT_EQ(card->picture().label, "Video SVideo");
    // The inner crossbar's own composite input bypasses the outer one.
    ASSERT_TRUE(card->route(0, 0, 1));
    EXPECT_EQ(card->picture().label, "Video Composite");
    ASSERT_TRUE(card->route(0, 0, 0));
    ASSERT_TRUE(card->route(1, 0, 0));
    EXPECT_EQ(card->picture().kind, PictureState::Kind::Channel);
    // The crossbar listed for the radio is the one at the decoder.
    RefPtr<IAMCrossbar> listed = Bind<IAMCrossbar>(card, AM_KSCATEGORY_CROSSBAR);
    LONG outputs = 0;
    LONG inputs = 0;
    listed->get_PinCounts(&outputs, &inputs);
    EXPECT_EQ(inputs, 4);
}

TEST(VirtualCard, PictureFollowsReception) {
    auto card = MakeCard();
    EXPECT_EQ(card->picture().kind, PictureState::Kind::Noise); // untuned
    card->setFrequency(175250000 + 250000);
    EXPECT_EQ(card->picture().kind, PictureState::Kind::Channel);
    card->setFrequency(175250000 + 250001);
    EXPECT_EQ(card->picture().kind, PictureState::Kind::FaintChannel);
    EXPECT_EQ(card->picture().saturation, 0.0);
    EXPECT_LT(card->picture().contrast, 1.0);
    card->setFrequency(503250000); // heard exactly, but it does not lock
    EXPECT_EQ(card->picture().kind, PictureState::Kind::FaintChannel);
    EXPECT_EQ(card->picture().label, "Far Away");
    EXPECT_FALSE(card->horizontalLocked());
    card->setFrequency(300000000);
    EXPECT_EQ(card->picture().kind, PictureState::Kind::Noise);
    EXPECT_TRUE(card->sound().silent);

    // The capture filter shows what the card receives, as it changes.
    RefPtr<IBaseFilter> capture = Bind<IBaseFilter>(card, CLSID_VideoInputDeviceCategory);
    auto* filter = dynamic_cast<VirtualCaptureFilter*>(capture.get());
    ASSERT_TRUE(filter);
    EXPECT_EQ(filter->shownPicture().kind, PictureState::Kind::Noise);
    card->setFrequency(527250000);
    EXPECT_EQ(filter->shownPicture().label, "Corvane News");
    RefPtr<IAMAnalogVideoDecoder> decoder = query<IAMAnalogVideoDecoder>(capture);
    LONG locked = 0;
    decoder->get_HorizontalLocked(&locked);
    EXPECT_NE(locked, 0);
}

TEST(VirtualCard, SoundIsAToneOfItsOwnPerCarrier) {
    auto card = MakeCard();
    RefPtr<IBaseFilter> audio = Bind<IBaseFilter>(card, CLSID_AudioInputDeviceCategory);
    auto* filter = dynamic_cast<VirtualAudioFilter*>(audio.get());
    ASSERT_TRUE(filter);
    EXPECT_TRUE(filter->playedSound().silent);
    card->setFrequency(175250000);
    const double first = filter->playedSound().toneHz;
    EXPECT_FALSE(filter->playedSound().silent);
    card->setFrequency(183250000);
    EXPECT_NE(filter->playedSound().toneHz, first);
    card->setMode(TunerMode::Fm);
    card->setFrequency(95800000);
    EXPECT_FALSE(filter->playedSound().silent);
}

TEST(VirtualCard, TvSoundModesFollowTheCarrier) {
    auto card = MakeCard();
    RefPtr<IAMTVAudio> tvAudio = Bind<IAMTVAudio>(card, AM_KSCATEGORY_TVAUDIO);
    ASSERT_TRUE(tvAudio);
    LONG modes = 0;
    tvAudio->GetHardwareSupportedTVAudioModes(&modes);
    EXPECT_EQ(modes,
              AMTVAUDIO_MODE_MONO | AMTVAUDIO_MODE_STEREO | AMTVAUDIO_MODE_LANG_A | AMTVAUDIO_MODE_LANG_B);
    const std::pair<std::int64_t, LONG> carriers[] = {
        {49750000, AMTVAUDIO_MODE_MONO},
        {175250000, AMTVAUDIO_MODE_MONO | AMTVAUDIO_MODE_STEREO},
        {183250000, AMTVAUDIO_MODE_LANG_A | AMTVAUDIO_MODE_LANG_B},
    };
    for (const auto& [frequency, expected] : carriers) {
        card->setFrequency(frequency);
        tvAudio->GetAvailableTVAudioModes(&modes);
        EXPECT_EQ(modes, expected) << frequency;
    }
    EXPECT_EQ(tvAudio->put_TVAudioMode(AMTVAUDIO_MODE_LANG_A), S_OK);
    const double languageA = card->sound().toneHz;
    EXPECT_EQ(tvAudio->put_TVAudioMode(AMTVAUDIO_MODE_LANG_B), S_OK);
    EXPECT_GT(card->sound().toneHz, languageA);
    LONG mode = 0;
    tvAudio->get_TVAudioMode(&mode);
    EXPECT_EQ(mode, AMTVAUDIO_MODE_LANG_B);
    EXPECT_EQ(tvAudio->put_TVAudioMode(AMTVAUDIO_MODE_LANG_C), E_INVALIDARG);
    EXPECT_EQ(tvAudio->put_TVAudioMode(0), E_INVALIDARG);
}

TEST(VirtualCard, PictureRangesComeFromTheDefinitionAndChangeThePicture) {
    CardDefinition definition = BuiltInCardDefinition();
    definition.picture[VideoProcAmp_Hue] = {-50, 50, 5, 10};
    auto card = MakeCard(definition);
    RefPtr<IAMVideoProcAmp> procAmp =
        query<IAMVideoProcAmp>(Bind<IBaseFilter>(card, CLSID_VideoInputDeviceCategory));
    ASSERT_TRUE(procAmp);
    LONG minimum = 0, maximum = 0, step = 0, defaultValue = 0, flags = 0;
    ASSERT_EQ(procAmp->GetRange(VideoProcAmp_Brightness, &minimum, &maximum, &step, &defaultValue, &flags),
              S_OK);
    EXPECT_EQ(std::vector<LONG>({minimum, maximum, step, defaultValue}), std::vector<LONG>({0, 255, 1, 128}));
    ASSERT_EQ(procAmp->GetRange(VideoProcAmp_Contrast, &minimum, &maximum, &step, &defaultValue, &flags),
              S_OK);
    EXPECT_EQ(std::vector<LONG>({minimum, maximum, step, defaultValue}), std::vector<LONG>({0, 127, 1, 64}));
    ASSERT_EQ(procAmp->GetRange(VideoProcAmp_Hue, &minimum, &maximum, &step, &defaultValue, &flags), S_OK);
    EXPECT_EQ(std::vector<LONG>({minimum, maximum, step, defaultValue}), std::vector<LONG>({-50, 50, 5, 10}));
    ASSERT_EQ(procAmp->GetRange(VideoProcAmp_Saturation, &minimum, &maximum, &step, &defaultValue, &flags),
              S_OK);
    EXPECT_EQ(std::vector<LONG>({minimum, maximum, step, defaultValue}), std::vector<LONG>({0, 127, 1, 64}));
    EXPECT_EQ(procAmp->GetRange(VideoProcAmp_Gamma, &minimum, &maximum, &step, &defaultValue, &flags),
              E_PROP_ID_UNSUPPORTED);

    EXPECT_EQ(card->picture().brightness, 0.0);
    EXPECT_EQ(procAmp->Set(VideoProcAmp_Brightness, 255, VideoProcAmp_Flags_Manual), S_OK);
    EXPECT_GT(card->picture().brightness, 0.9);
    EXPECT_EQ(procAmp->Set(VideoProcAmp_Saturation, 0, VideoProcAmp_Flags_Manual), S_OK);
    EXPECT_EQ(card->picture().saturation, 0.0);
    EXPECT_EQ(procAmp->Set(VideoProcAmp_Contrast, 128, VideoProcAmp_Flags_Manual), E_INVALIDARG);
    LONG value = 0;
    procAmp->Get(VideoProcAmp_Contrast, &value, &flags);
    EXPECT_EQ(value, 64);
}

TEST(VirtualCard, FaultsFailTheOperationsTheyName) {
    {
        CardDefinition definition = BuiltInCardDefinition();
        definition.faults.bind = true;
        auto card = MakeCard(definition);
        HRESULT result = S_OK;
        EXPECT_FALSE(Bind<IBaseFilter>(card, CLSID_VideoInputDeviceCategory, &result));
        EXPECT_EQ(result, E_FAIL);
        EXPECT_FALSE(Bind<IAMTVTuner>(card, AM_KSCATEGORY_TVTUNER, &result));
    }
    {
        CardDefinition definition = BuiltInCardDefinition();
        definition.faults.addFilter = true;
        auto card = MakeCard(definition);
        RefPtr<IGraphBuilder> graph;
        CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IGraphBuilder::IID,
                         reinterpret_cast<void**>(graph.put()));
        RefPtr<IBaseFilter> capture = Bind<IBaseFilter>(card, CLSID_VideoInputDeviceCategory);
        EXPECT_EQ(graph->AddFilter(capture.get(), nullptr), E_FAIL);
        // The audio device of the card still joins.
        EXPECT_EQ(graph->AddFilter(Bind<IBaseFilter>(card, CLSID_AudioInputDeviceCategory).get(), nullptr),
                  S_OK);
    }
    {
        CardDefinition definition = BuiltInCardDefinition();
        definition.faults.getFormat = true;
        definition.faults.setFormat = true;
        auto card = MakeCard(definition);
        RefPtr<IBaseFilter> capture = Bind<IBaseFilter>(card, CLSID_VideoInputDeviceCategory);
        RefPtr<IPin> pin;
        capture->FindPin(L"Capture", pin.put());
        RefPtr<IAMStreamConfig> config = query<IAMStreamConfig>(pin);
        ASSERT_TRUE(config);
        AM_MEDIA_TYPE* type = nullptr;
        EXPECT_EQ(config->GetFormat(&type), E_FAIL);
        EXPECT_EQ(type, nullptr);
        ASSERT_EQ(config->GetStreamCaps(1, &type, nullptr), S_OK);
        EXPECT_EQ(VideoInfoOf(type)->bmiHeader.biWidth, 352);
        EXPECT_EQ(config->SetFormat(type), E_FAIL);
        DeleteMediaType(type);
    }
    {
        CardDefinition definition = BuiltInCardDefinition();
        definition.faults.noStreamControl = true;
        definition.faults.noPreviewPin = true;
        auto card = MakeCard(definition);
        RefPtr<IBaseFilter> capture = Bind<IBaseFilter>(card, CLSID_VideoInputDeviceCategory);
        RefPtr<IPin> pin;
        EXPECT_EQ(capture->FindPin(L"Preview", pin.put()), VFW_E_NOT_FOUND);
        ASSERT_EQ(capture->FindPin(L"Capture", pin.put()), S_OK);
        EXPECT_FALSE(query<IAMStreamControl>(pin));
        EXPECT_TRUE(query<IAMDroppedFrames>(pin));
    }
}

TEST(VirtualCard, ItsSourcesAreRegisteredGStreamerElements) {
    ASSERT_TRUE(RegisterCardSources());
    for (const char* name : {kCardPictureElement, kCardSoundElement}) {
        GstElement* source = gst_element_factory_make(name, nullptr);
        ASSERT_TRUE(source) << name;
        GstPad* output = gst_element_get_static_pad(source, "src");
        EXPECT_TRUE(output) << name;
        GstElement* live = CardSourcePart(source, "source");
        ASSERT_TRUE(live) << name;
        gboolean isLive = FALSE;
        g_object_get(live, "is-live", &isLive, nullptr);
        EXPECT_TRUE(isLive) << name << " keeps the pipeline clock's time";
        gst_object_unref(live);
        if (output) {
            gst_object_unref(output);
        }
        gst_object_unref(gst_object_ref_sink(source));
    }
}
