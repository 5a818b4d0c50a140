// SPDX-License-Identifier: GPL-2.0-or-later
// The platform's tuner, TV sound, decoder, picture amplifier, crossbar and stream formats on fake cards'
// ioctls.
#include "fake_v4l2.h"
#include "platform/devices/device_controls.h"
#include "platform/devices/v4l2/v4l2_capture_filter.h"
#include "platform/devices/v4l2/v4l2_provider.h"
#include "platform/media/gst/video_format.h"

#include <gtest/gtest.h>

namespace {

// With one PCI card the tuner list holds its radio node alone; the TV audio list its radio node first (index
// 0), its capture node second. The capture node's TV tuner is reached through its capture filter.
class V4l2Controls : public ::testing::Test {
protected:
    template <typename Interface> RefPtr<Interface> Bind(const Guid& category, std::size_t index = 0) {
        const auto devices = MakeV4l2Provider(system)->devices(category);
        RefPtr<Interface> object;
        if (index < devices.size()) {
            devices[index].bind(Interface::IID, reinterpret_cast<void**>(object.put()));
        }
        return object;
    }

    // The TV tuner of the first capture node, as the capture graph builder finds it behind the filter.
    RefPtr<IAMTVTuner> CaptureNodeTuner() {
        const RefPtr<ICaptureDevice> capture =
            query<ICaptureDevice>(Bind<IBaseFilter>(CLSID_VideoInputDeviceCategory));
        if (!capture) {
            return {};
        }
        for (const AnalogConnection& wire : capture->analogFrontEnd()) {
            if (RefPtr<IAMTVTuner> tuner = query<IAMTVTuner>(wire.from)) {
                return tuner;
            }
        }
        return {};
    }

    HRESULT Tune(IAMTVTuner* tuner, ULONG hertz) {
        const RefPtr<IKsPropertySet> properties = query<IKsPropertySet>(tuner);
        KSPROPERTY_TUNER_FREQUENCY_S frequency{};
        frequency.Frequency = hertz;
        frequency.TuningFlags = KS_TUNER_TUNING_EXACT;
        return properties->Set(PROPSETID_TUNER, KSPROPERTY_TUNER_FREQUENCY, InstanceDataOf(frequency),
                               InstanceSizeOf<KSPROPERTY_TUNER_FREQUENCY_S>(), &frequency, sizeof frequency);
    }

    KSPROPERTY_TUNER_STATUS_S Status(IAMTVTuner* tuner, HRESULT* result = nullptr) {
        const RefPtr<IKsPropertySet> properties = query<IKsPropertySet>(tuner);
        KSPROPERTY_TUNER_STATUS_S status{};
        DWORD returned = 0;
        const HRESULT hr =
            properties->Get(PROPSETID_TUNER, KSPROPERTY_TUNER_STATUS, InstanceDataOf(status),
                            InstanceSizeOf<KSPROPERTY_TUNER_STATUS_S>(), &status, sizeof status, &returned);
        if (result) {
            *result = hr;
        }
        return status;
    }

    std::shared_ptr<FakeV4l2> system = std::make_shared<FakeV4l2>();
};

TEST_F(V4l2Controls, TvTunerTunesInItsUnitsAndReportsSignalWithoutAfc) {
    const std::string video = system->addPciCard();
    const RefPtr<IAMTVTuner> tuner = CaptureNodeTuner();
    ASSERT_TRUE(tuner);
    EXPECT_EQ(tuner->put_Mode(AMTUNER_MODE_TV), S_OK);
    EXPECT_EQ(tuner->put_Mode(AMTUNER_MODE_FM_RADIO), E_INVALIDARG);
    ASSERT_EQ(Tune(tuner.get(), 175250000), S_OK);
    EXPECT_EQ(system->node(video).frequency, 2804u);
    LONG hertz = 0;
    EXPECT_EQ(tuner->get_VideoFrequency(&hertz), S_OK);
    EXPECT_EQ(hertz, 175250000);
    // Near a carrier the card hears it, but its afc stays 0 in TV mode.
    Tune(tuner.get(), 174900000);
    KSPROPERTY_TUNER_STATUS_S status = Status(tuner.get());
    EXPECT_EQ(status.PLLOffset, 0);
    EXPECT_EQ(status.SignalStrength, 100u);
    EXPECT_EQ(status.CurrentFrequency, 174875000u); // the nearest 62.5 kHz step
    Tune(tuner.get(), 300000000);
    status = Status(tuner.get());
    EXPECT_EQ(status.SignalStrength, 0u);
    LONG standards = 0;
    tuner->get_AvailableTVFormats(&standards);
    EXPECT_TRUE(standards & AnalogVideo_PAL_B);
    EXPECT_TRUE(standards & AnalogVideo_SECAM_L);
    EXPECT_TRUE(standards & AnalogVideo_NTSC_M);
}

TEST_F(V4l2Controls, RadioTunersCountIn62Point5HertzAndTheOffsetIsPositiveBelowAStation) {
    system->addPciCard();
    const std::string usb = system->addUsbRadio();
    // The PCI card's radio node: afc reported.
    const RefPtr<IAMTVTuner> pciRadio = Bind<IAMTVTuner>(AM_KSCATEGORY_TVTUNER, 0);
    ASSERT_TRUE(pciRadio);
    EXPECT_EQ(pciRadio->put_Mode(AMTUNER_MODE_FM_RADIO), S_OK);
    EXPECT_EQ(pciRadio->put_Mode(AMTUNER_MODE_TV), E_INVALIDARG);
    Tune(pciRadio.get(), 101050000);
    EXPECT_EQ(system->node("/dev/radio0").frequency, 1616800u);
    EXPECT_EQ(Status(pciRadio.get()).PLLOffset, 50000);
    Tune(pciRadio.get(), 101150000);
    EXPECT_EQ(Status(pciRadio.get()).PLLOffset, -50000);
    Tune(pciRadio.get(), 101100000);
    EXPECT_EQ(Status(pciRadio.get()).PLLOffset, 0);

    // The USB radio: no afc, a signal that falls off around the station.
    const RefPtr<IAMTVTuner> usbRadio = Bind<IAMTVTuner>(AM_KSCATEGORY_TVTUNER, 1);
    ASSERT_TRUE(usbRadio);
    Tune(usbRadio.get(), 101100000);
    EXPECT_EQ(system->node(usb).frequency, 1617600u);
    EXPECT_EQ(Status(usbRadio.get()).PLLOffset, 0);
    EXPECT_EQ(Status(usbRadio.get()).SignalStrength, 100u);
    Tune(usbRadio.get(), 101175000);
    EXPECT_EQ(Status(usbRadio.get()).PLLOffset, 0);
    EXPECT_EQ(Status(usbRadio.get()).SignalStrength, 50u);
}

TEST_F(V4l2Controls, TvSoundModesOnTheTuner) {
    const std::string video = system->addPciCard();
    const RefPtr<IAMTVTuner> tuner = CaptureNodeTuner();
    const RefPtr<IAMTVAudio> audio = Bind<IAMTVAudio>(AM_KSCATEGORY_TVAUDIO, 1);
    ASSERT_TRUE(audio);
    LONG modes = 0;
    audio->GetHardwareSupportedTVAudioModes(&modes);
    EXPECT_EQ(modes,
              AMTVAUDIO_MODE_MONO | AMTVAUDIO_MODE_STEREO | AMTVAUDIO_MODE_LANG_A | AMTVAUDIO_MODE_LANG_B);
    Tune(tuner.get(), 183250000); // a two-language carrier
    audio->GetAvailableTVAudioModes(&modes);
    EXPECT_EQ(modes, AMTVAUDIO_MODE_LANG_A | AMTVAUDIO_MODE_LANG_B);
    Tune(tuner.get(), 175250000); // a stereo one
    audio->GetAvailableTVAudioModes(&modes);
    EXPECT_EQ(modes, AMTVAUDIO_MODE_MONO | AMTVAUDIO_MODE_STEREO);
    EXPECT_EQ(audio->put_TVAudioMode(AMTVAUDIO_MODE_LANG_B), S_OK);
    EXPECT_EQ(system->node(video).audmode, V4L2_TUNER_MODE_LANG2);
    LONG mode = 0;
    audio->get_TVAudioMode(&mode);
    EXPECT_EQ(mode, AMTVAUDIO_MODE_LANG_B);
    EXPECT_EQ(audio->put_TVAudioMode(AMTVAUDIO_MODE_LANG_C), E_INVALIDARG);
    EXPECT_EQ(audio->put_TVAudioMode(AMTVAUDIO_MODE_MONO | AMTVAUDIO_MODE_STEREO), E_INVALIDARG);
}

TEST_F(V4l2Controls, DecoderStandardAndLockFromTheCurrentInput) {
    const std::string video = system->addPciCard();
    const RefPtr<IAMTVTuner> tuner = CaptureNodeTuner();
    const RefPtr<IBaseFilter> capture = Bind<IBaseFilter>(CLSID_VideoInputDeviceCategory);
    const RefPtr<IAMAnalogVideoDecoder> decoder = query<IAMAnalogVideoDecoder>(capture);
    ASSERT_TRUE(decoder);
    EXPECT_EQ(decoder->put_TVFormat(AnalogVideo_PAL_D), S_OK);
    EXPECT_EQ(system->node(video).standard, V4L2_STD_PAL_D);
    LONG standard = 0;
    decoder->get_TVFormat(&standard);
    EXPECT_EQ(standard, AnalogVideo_PAL_D);
    EXPECT_EQ(decoder->put_TVFormat(AnalogVideo_PAL_B | AnalogVideo_PAL_D), E_INVALIDARG);
    EXPECT_EQ(decoder->put_TVFormat(AnalogVideo_SECAM_L1), E_INVALIDARG); // the card has no SECAM L'
    LONG lines = 0;
    decoder->get_NumberOfLines(&lines);
    EXPECT_EQ(lines, 625);
    decoder->put_TVFormat(AnalogVideo_NTSC_M);
    decoder->get_NumberOfLines(&lines);
    EXPECT_EQ(lines, 525);
    system->node(video).standardBusy = true;
    EXPECT_EQ(decoder->put_TVFormat(AnalogVideo_PAL_B), HResultFromErrno(EBUSY));

    LONG locked = -1;
    Tune(tuner.get(), 175250000);
    EXPECT_EQ(decoder->get_HorizontalLocked(&locked), S_OK);
    EXPECT_EQ(locked, 1);
    Tune(tuner.get(), 503250000); // heard, but the picture does not lock
    decoder->get_HorizontalLocked(&locked);
    EXPECT_EQ(locked, 0);
    Tune(tuner.get(), 175250000);
    system->node(video).input = 1; // nothing on the composite input
    decoder->get_HorizontalLocked(&locked);
    EXPECT_EQ(locked, 0);
}

TEST_F(V4l2Controls, PictureRangesAndValuesFromTheControls) {
    const std::string video = system->addPciCard();
    system->addWebcam();
    const RefPtr<IAMVideoProcAmp> card =
        query<IAMVideoProcAmp>(Bind<IBaseFilter>(CLSID_VideoInputDeviceCategory));
    const RefPtr<IAMVideoProcAmp> camera =
        query<IAMVideoProcAmp>(Bind<IBaseFilter>(CLSID_VideoInputDeviceCategory, 1));
    ASSERT_TRUE(card && camera);
    LONG minimum = 0, maximum = 0, step = 0, defaultValue = 0, flags = 0;
    ASSERT_EQ(card->GetRange(VideoProcAmp_Hue, &minimum, &maximum, &step, &defaultValue, &flags), S_OK);
    EXPECT_EQ(std::vector<LONG>({minimum, maximum, step, defaultValue}),
              std::vector<LONG>({0, 65535, 256, 32768}));
    EXPECT_EQ(card->Set(VideoProcAmp_Brightness, 40000, VideoProcAmp_Flags_Manual), S_OK);
    EXPECT_EQ(system->node(video).controls[V4L2_CID_BRIGHTNESS], 40000);
    LONG value = 0;
    card->Get(VideoProcAmp_Brightness, &value, &flags);
    EXPECT_EQ(value, 40000);
    EXPECT_EQ(card->Set(VideoProcAmp_Brightness, 70000, VideoProcAmp_Flags_Manual), E_INVALIDARG);
    EXPECT_EQ(card->GetRange(VideoProcAmp_Gamma, &minimum, &maximum, &step, &defaultValue, &flags),
              E_PROP_ID_UNSUPPORTED);
    // The webcam has no hue.
    EXPECT_EQ(camera->GetRange(VideoProcAmp_Hue, &minimum, &maximum, &step, &defaultValue, &flags),
              E_PROP_ID_UNSUPPORTED);
    ASSERT_EQ(camera->GetRange(VideoProcAmp_Brightness, &minimum, &maximum, &step, &defaultValue, &flags),
              S_OK);
    EXPECT_EQ(std::vector<LONG>({minimum, maximum, step, defaultValue}), std::vector<LONG>({0, 255, 1, 128}));
}

TEST_F(V4l2Controls, InputsAsACrossbarWithConnectorTypes) {
    const std::string video = system->addPciCard();
    const RefPtr<IAMCrossbar> crossbar = Bind<IAMCrossbar>(AM_KSCATEGORY_CROSSBAR);
    ASSERT_TRUE(crossbar);
    LONG outputs = 0, inputs = 0;
    crossbar->get_PinCounts(&outputs, &inputs);
    ASSERT_EQ(outputs, 2);
    ASSERT_EQ(inputs, 6);
    std::vector<std::pair<LONG, LONG>> info;
    for (LONG i = 0; i < inputs; ++i) {
        LONG related = 0, type = 0;
        crossbar->get_CrossbarPinInfo(TRUE, i, &related, &type);
        info.emplace_back(type, related);
    }
    // The card lists no audio inputs: each picture's sound is its companion, routed with it.
    EXPECT_EQ(info, (std::vector<std::pair<LONG, LONG>>{{PhysConn_Video_Tuner, 3},
                                                        {PhysConn_Video_Composite, 4},
                                                        {PhysConn_Video_SVideo, 5},
                                                        {PhysConn_Audio_Tuner, 0},
                                                        {PhysConn_Audio_Line, 1},
                                                        {PhysConn_Audio_Line, 2}}));
    LONG related = 0, type = 0;
    crossbar->get_CrossbarPinInfo(FALSE, 1, &related, &type);
    EXPECT_EQ(type, PhysConn_Audio_AudioDecoder);
    EXPECT_EQ(crossbar->CanRoute(0, 3), S_FALSE);
    EXPECT_EQ(crossbar->Route(0, 3), VFW_E_CANNOT_CONNECT);
    EXPECT_EQ(crossbar->Route(0, 2), S_OK);
    EXPECT_EQ(system->node(video).input, 2);
    LONG routed = -1;
    crossbar->get_IsRoutedTo(1, &routed);
    EXPECT_EQ(routed, 5);
    // Routing the tuner's sound switches the card back to the tuner.
    EXPECT_EQ(crossbar->Route(1, 3), S_OK);
    EXPECT_EQ(system->node(video).input, 0);
    crossbar->get_IsRoutedTo(0, &routed);
    EXPECT_EQ(routed, 0);
    EXPECT_EQ(crossbar->Route(0, 6), E_INVALIDARG);
}

TEST_F(V4l2Controls, FormatsFromTheNodesFrameSizes) {
    system->addPciCard();
    system->addWebcam();
    auto config = [this](std::size_t index) {
        const RefPtr<IBaseFilter> filter = Bind<IBaseFilter>(CLSID_VideoInputDeviceCategory, index);
        RefPtr<IPin> pin;
        filter->FindPin(L"Capture", pin.put());
        return std::make_pair(filter, query<IAMStreamConfig>(pin));
    };
    auto sizes = [](IAMStreamConfig* stream) {
        int count = 0, size = 0;
        stream->GetNumberOfCapabilities(&count, &size);
        std::vector<std::pair<LONG, LONG>> found;
        for (int i = 0; i < count; ++i) {
            AM_MEDIA_TYPE* type = nullptr;
            stream->GetStreamCaps(i, &type, nullptr);
            const VIDEOINFOHEADER* info = VideoInfoOf(type);
            found.emplace_back(info->bmiHeader.biWidth, info->bmiHeader.biHeight);
            DeleteMediaType(type);
        }
        return found;
    };
    const auto [camera, cameraConfig] = config(1);
    ASSERT_TRUE(cameraConfig);
    // Raw sizes only, smallest first; the compressed layout's 1920x1080 is not offered.
    EXPECT_EQ(sizes(cameraConfig.get()),
              (std::vector<std::pair<LONG, LONG>>{{320, 240}, {640, 480}, {1280, 720}}));
    AM_MEDIA_TYPE* current = nullptr;
    cameraConfig->GetFormat(&current);
    EXPECT_EQ(VideoInfoOf(current)->bmiHeader.biWidth, 640);
    // A size between the camera's is scaled from the next larger one.
    VideoFormat wanted;
    wanted.compression = FourCC_YUY2;
    wanted.width = 352;
    wanted.height = 288;
    AM_MEDIA_TYPE* type = NewMediaType(wanted);
    EXPECT_EQ(cameraConfig->SetFormat(type), S_OK);
    DeleteMediaType(type);
    DeleteMediaType(current);
    auto* cameraFilter = static_cast<V4l2CaptureFilter*>(camera.get());
    EXPECT_EQ(cameraFilter->sourceSize(), (std::pair<LONG, LONG>{640, 480}));

    EXPECT_FALSE(cameraFilter->decodesJpeg());

    // A camera that offers only MJPEG: its MJPEG sizes are offered as raw pictures, decoded in the filter.
    const std::string mjpegCamera = system->addWebcam("MJPEG Camera");
    system->node(mjpegCamera).mjpegOnly = true;
    const auto [jpegCamera, jpegConfig] = config(2);
    ASSERT_TRUE(jpegConfig);
    EXPECT_TRUE(static_cast<V4l2CaptureFilter*>(jpegCamera.get())->decodesJpeg());
    EXPECT_EQ(sizes(jpegConfig.get()), (std::vector<std::pair<LONG, LONG>>{{640, 480}, {1920, 1080}}));
    jpegConfig->GetFormat(&current);
    EXPECT_EQ(VideoInfoOf(current)->bmiHeader.biCompression, FourCC_YUY2);
    DeleteMediaType(current);

    // The PCI card's driver scales freely and lists no sizes: the program's own sizes are offered.
    const auto [card, cardConfig] = config(0);
    EXPECT_EQ(sizes(cardConfig.get()).size(), 6u);
    wanted.width = 768;
    wanted.height = 576;
    type = NewMediaType(wanted);
    EXPECT_EQ(cardConfig->SetFormat(type), S_OK);
    DeleteMediaType(type);
    EXPECT_EQ(static_cast<V4l2CaptureFilter*>(card.get())->sourceSize(), (std::pair<LONG, LONG>{768, 576}));
}

TEST_F(V4l2Controls, SettingsPageListsTheNodesOwnControlsWithTheirMenus) {
    system->addWebcam();
    const std::string card = system->addPciCard();
    const RefPtr<IDeviceControls> camera =
        query<IDeviceControls>(Bind<IBaseFilter>(CLSID_VideoInputDeviceCategory, 0));
    ASSERT_TRUE(camera);
    std::vector<std::string> names;
    const DeviceControl* powerLine = nullptr;
    const std::vector<DeviceControl> controls = camera->controls();
    for (const DeviceControl& control : controls) {
        names.push_back(control.name);
        if (control.id == V4L2_CID_POWER_LINE_FREQUENCY) {
            powerLine = &control;
        }
    }
    // The class heading and the disabled sharpness are left out; the camera has no standards to add.
    EXPECT_EQ(names,
              (std::vector<std::string>{"Brightness", "Contrast", "Saturation", "Power Line Frequency"}));
    ASSERT_TRUE(powerLine);
    EXPECT_EQ(powerLine->kind, DeviceControl::Kind::Menu);
    std::vector<std::pair<std::int32_t, std::string>> items;
    for (const DeviceControlItem& item : powerLine->items) {
        items.emplace_back(item.value, item.name);
    }
    EXPECT_EQ(items, (std::vector<std::pair<std::int32_t, std::string>>{
                         {0, "Disabled"}, {1, "50 Hz"}, {3, "Auto"}}));
    EXPECT_EQ(camera->SetValue(V4L2_CID_BRIGHTNESS, 200), S_OK);
    std::int32_t value = 0;
    EXPECT_EQ(camera->GetValue(V4L2_CID_BRIGHTNESS, &value), S_OK);
    EXPECT_EQ(value, 200);
    EXPECT_EQ(camera->SetValue(V4L2_CID_BRIGHTNESS, 300), E_INVALIDARG);
    EXPECT_EQ(camera->SetValue(V4L2_CID_SHARPNESS, 3), E_PROP_ID_UNSUPPORTED);

    // The PCI card's page adds its mute switch and the decoder's standard to the picture controls.
    const RefPtr<IDeviceControls> pci =
        query<IDeviceControls>(Bind<IBaseFilter>(CLSID_VideoInputDeviceCategory, 1));
    ASSERT_TRUE(pci);
    bool mute = false;
    std::size_t count = 0;
    for (const DeviceControl& control : pci->controls()) {
        mute = mute || (control.id == V4L2_CID_AUDIO_MUTE && control.kind == DeviceControl::Kind::Boolean);
        ++count;
    }
    EXPECT_TRUE(mute);
    EXPECT_GT(count, 5u);
    EXPECT_EQ(pci->SetValue(V4L2_CID_AUDIO_MUTE, 1), S_OK);
    EXPECT_EQ(system->node(card).controls[V4L2_CID_AUDIO_MUTE], 1);

    // The tuner, TV audio and crossbar publish their pages as the virtual card's do.
    for (const Guid& category : {AM_KSCATEGORY_TVTUNER, AM_KSCATEGORY_TVAUDIO, AM_KSCATEGORY_CROSSBAR}) {
        const RefPtr<ISpecifyPropertyPages> pages = query<ISpecifyPropertyPages>(Bind<IBaseFilter>(category));
        ASSERT_TRUE(pages);
        CAUUID list;
        ASSERT_EQ(pages->GetPages(&list), S_OK);
        EXPECT_GT(list.cElems, 0u);
        CoTaskMemFree(list.pElems);
        EXPECT_FALSE(query<IDeviceControls>(pages)->controls().empty());
    }
}

TEST_F(V4l2Controls, ListsOfABrokenDriverEnd) {
    const std::string video = system->addPciCard();
    system->node(video).endless = true;
    const RefPtr<IAMCrossbar> crossbar = Bind<IAMCrossbar>(AM_KSCATEGORY_CROSSBAR);
    ASSERT_TRUE(crossbar);
    LONG outputs = 0, inputs = 0;
    crossbar->get_PinCounts(&outputs, &inputs);
    // 256 inputs read, each with its sound companion.
    EXPECT_EQ(inputs, 512);
    const RefPtr<IDeviceControls> page =
        query<IDeviceControls>(Bind<IBaseFilter>(CLSID_VideoInputDeviceCategory));
    ASSERT_TRUE(page);
    // The controls up to the hue once, though the driver starts over after it.
    std::size_t brightness = 0;
    for (const DeviceControl& control : page->controls()) {
        brightness += control.id == V4L2_CID_BRIGHTNESS ? 1 : 0;
    }
    EXPECT_EQ(brightness, 1u);
}

TEST_F(V4l2Controls, GoneDeviceAnswersNoDeviceEverywhere) {
    const std::string video = system->addPciCard();
    const RefPtr<IAMTVTuner> tuner = CaptureNodeTuner();
    const RefPtr<IAMCrossbar> crossbar = Bind<IAMCrossbar>(AM_KSCATEGORY_CROSSBAR);
    system->unplug(video);
    HRESULT hr = S_OK;
    Status(tuner.get(), &hr);
    EXPECT_EQ(hr, HResultFromErrno(ENODEV));
    EXPECT_EQ(Tune(tuner.get(), 175250000), HResultFromErrno(ENODEV));
    EXPECT_EQ(crossbar->Route(0, 1), HResultFromErrno(ENODEV));
    EXPECT_EQ(FormatMessage(hr), "No such device");
}

} // namespace
