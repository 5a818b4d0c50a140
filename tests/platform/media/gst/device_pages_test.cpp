// SPDX-License-Identifier: GPL-2.0-or-later
// The settings pages generated from a device's controls, on the virtual card: what each of its objects
// publishes, how a page shows and changes the device, how OK and Cancel end it, and the driver dialogs of
// its capture filter.

#include "capture_test_support.h"
#include "platform/devices/device_control_pages.h"
#include "platform/devices/virtual/virtual_capture_filter.h"
#include "platform/media/gst/device_controls_dialog.h"
#include "platform/media/gst/dmo_interfaces.h"
#include "platform/media/gst/engine_setup.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTimer>

#include <functional>

namespace {

// The pages an object publishes, empty when it publishes none.
std::vector<Guid> PagesOf(IUnknown* object) {
    RefPtr<ISpecifyPropertyPages> pages = query<ISpecifyPropertyPages>(object);
    std::vector<Guid> list;
    CAUUID found;
    if (pages && pages->GetPages(&found) >= 0) {
        list.assign(found.pElems, found.pElems + found.cElems);
        CoTaskMemFree(found.pElems);
    }
    return list;
}

// Opens the object's frame as the TV page does and acts on the page while it is shown.
HRESULT OpenFrame(IUnknown* object, const std::function<void(DeviceControlsDialog&)>& act) {
    bool acted = false;
    QTimer::singleShot(0, [&] {
        auto* page = qobject_cast<DeviceControlsDialog*>(QApplication::activeModalWidget());
        if (page) {
            acted = true;
            act(*page);
        }
        if (QApplication::activeModalWidget()) {
            QApplication::activeModalWidget()->close(); // never leave a frame open
        }
    });
    std::vector<Guid> pages = PagesOf(object);
    HRESULT hr =
        OleCreatePropertyFrame(nullptr, 30, 30, nullptr, 1, &object, ULONG(pages.size()), pages.data(), 0);
    if (hr == S_OK) {
        EXPECT_TRUE(acted);
    }
    return hr;
}

LONG Picture(IUnknown* filter, LONG property) {
    LONG value = 0;
    LONG flags = 0;
    query<IAMVideoProcAmp>(filter)->Get(property, &value, &flags);
    return value;
}

struct DevicePagesTest : ::testing::Test {
    DevicePagesTest() {
        EnsureGstInitialised();
        rig.card->setFrequency(175250000);
        EXPECT_EQ(rig.graph->AddFilter(rig.video.get(), nullptr), S_OK);
    }
    CaptureRig rig;
};

TEST_F(DevicePagesTest, EveryPartOfTheCardButItsSoundPublishesTheGeneratedPage) {
    ASSERT_TRUE(rig.onCapturePin<IAMTVTuner>()); // brings the front end in
    const std::vector<Guid> generated{CLSID_DeviceControlsPage};
    EXPECT_EQ(PagesOf(rig.video.get()), generated);
    EXPECT_EQ(PagesOf(rig.onCapturePin<IAMTVTuner>().get()), generated);
    EXPECT_EQ(PagesOf(rig.onCapturePin<IAMTVAudio>().get()), generated);
    EXPECT_EQ(PagesOf(rig.onCapturePin<IAMCrossbar>().get()), generated);
    EXPECT_EQ(PagesOf(rig.onCapturePin<IAMStreamConfig>().get()), generated);
    EXPECT_EQ(
        PagesOf(rig.find<IAMStreamConfig>(&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Video, rig.video.get()).get()),
        generated);
    // The audio capture filter has nothing to set: no pages, and a frame asked for it shows nothing.
    EXPECT_TRUE(PagesOf(rig.audio.get()).empty());
    IUnknown* audio = rig.audio.get();
    EXPECT_EQ(OleCreatePropertyFrame(nullptr, 30, 30, nullptr, 1, &audio, 1, &CLSID_DeviceControlsPage, 0),
              E_NOINTERFACE);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

// The control of that name, or one with id 0 when there is none.
DeviceControl Named(IDeviceControls& controls, const std::string& name) {
    for (const DeviceControl& control : controls.controls()) {
        if (control.name == name) {
            return control;
        }
    }
    return {};
}

TEST_F(DevicePagesTest, ControlsRefuseWhatTheyCannotTake) {
    RefPtr<IDeviceControls> tuner = query<IDeviceControls>(rig.onCapturePin<IAMTVTuner>());
    ASSERT_TRUE(tuner);
    const DeviceControl frequency = Named(*tuner, "Frequency (Hz)");
    ASSERT_NE(frequency.id, 0u);
    EXPECT_EQ(tuner->SetValue(frequency.id, frequency.maximum + 1), E_INVALIDARG);
    EXPECT_EQ(tuner->SetValue(frequency.id, 900000000), E_INVALIDARG); // beyond the band
    EXPECT_EQ(rig.card->frequency(), 175250000);
    EXPECT_EQ(tuner->SetValue(frequency.id, 196250000), S_OK);
    EXPECT_EQ(rig.card->frequency(), 196250000);
    const DeviceControl signal = Named(*tuner, "Signal Present");
    EXPECT_TRUE(signal.readOnly);
    EXPECT_EQ(tuner->SetValue(signal.id, 1), E_ACCESSDENIED);
    const DeviceControl mode = Named(*tuner, "Mode");
    EXPECT_EQ(mode.kind, DeviceControl::Kind::Menu);
    EXPECT_EQ(tuner->SetValue(mode.id, AMTUNER_MODE_AM_RADIO), E_INVALIDARG); // not among the items
    std::int32_t value = 0;
    EXPECT_EQ(tuner->GetValue(0xFFFF, &value), E_PROP_ID_UNSUPPORTED);
    EXPECT_EQ(tuner->SetValue(0xFFFF, 0), E_PROP_ID_UNSUPPORTED);

    RefPtr<IDeviceControls> picture = query<IDeviceControls>(rig.video);
    const DeviceControl reset = Named(*picture, "Default Picture");
    EXPECT_EQ(reset.kind, DeviceControl::Kind::Button);
    EXPECT_EQ(picture->GetValue(reset.id, &value), E_PROP_ID_UNSUPPORTED); // a button has no value
}

TEST(DeviceControlPages, AnObjectWithNothingToSetPublishesNoPage) {
    struct Owner final : ComObject<IUnknown> {};
    RefPtr<Owner> owner = MakeCom<Owner>();
    std::vector<DeviceControlEntry> entries;
    DeviceControlPages pages(*owner, [&entries] { return entries; });
    CAUUID found;
    ASSERT_EQ(pages.GetPages(&found), S_OK);
    EXPECT_EQ(found.cElems, 0u);
    EXPECT_EQ(found.pElems, nullptr);
    DeviceControl button;
    button.id = 1;
    button.kind = DeviceControl::Kind::Button;
    entries.push_back({button, nullptr, [](std::int32_t) { return true; }});
    ASSERT_EQ(pages.GetPages(&found), S_OK);
    ASSERT_EQ(found.cElems, 1u);
    EXPECT_EQ(found.pElems[0], CLSID_DeviceControlsPage);
    CoTaskMemFree(found.pElems);
}

TEST_F(DevicePagesTest, ThePictureSlidersActAtOnceAndCancelPutsThemBack) {
    auto* filter = static_cast<VirtualCaptureFilter*>(rig.video.get());
    const double brightnessBefore = filter->shownPicture().brightness;
    EXPECT_EQ(OpenFrame(rig.video.get(),
                        [&](DeviceControlsDialog& page) {
                            auto* brightness = page.findChild<QSlider*>("Brightness");
                            ASSERT_NE(brightness, nullptr);
                            EXPECT_EQ(brightness->maximum(), 255); // 0..255 in steps of 1
                            EXPECT_EQ(brightness->value(), 128);
                            brightness->setValue(255);
                            EXPECT_EQ(Picture(rig.video.get(), VideoProcAmp_Brightness), 255);
                            EXPECT_GT(filter->shownPicture().brightness,
                                      brightnessBefore); // the picture changed
                            EXPECT_EQ(page.findChild<QLabel*>("Brightness-value")->text(), "255");
                            auto* locking = page.findChild<QCheckBox*>("VCR Horizontal Locking");
                            ASSERT_NE(locking, nullptr);
                            locking->setChecked(true);
                            page.reject();
                        }),
              S_OK);
    EXPECT_EQ(Picture(rig.video.get(), VideoProcAmp_Brightness), 128);
    EXPECT_EQ(filter->shownPicture().brightness, brightnessBefore);
    LONG locking = -1;
    query<IAMAnalogVideoDecoder>(rig.video)->get_VCRHorizontalLocking(&locking);
    EXPECT_EQ(locking, 0);
}

TEST_F(DevicePagesTest, OkKeepsTheChangesAndTheButtonRestoresTheDefaults) {
    EXPECT_EQ(OpenFrame(rig.video.get(),
                        [&](DeviceControlsDialog& page) {
                            page.findChild<QSlider*>("Contrast")->setValue(100);
                            page.findChild<QSlider*>("Saturation")->setValue(10);
                            auto* standard = page.findChild<QComboBox*>("Video Standard");
                            ASSERT_NE(standard, nullptr);
                            EXPECT_EQ(standard->currentText(), "PAL_B");
                            const int secam = standard->findText("SECAM_D");
                            standard->activated(secam);
                            page.accept();
                        }),
              S_OK);
    EXPECT_EQ(Picture(rig.video.get(), VideoProcAmp_Contrast), 100);
    EXPECT_EQ(rig.card->videoStandard(), AnalogVideo_SECAM_D);

    OpenFrame(rig.video.get(), [&](DeviceControlsDialog& page) {
        EXPECT_EQ(page.findChild<QSlider*>("Contrast")->value(),
                  100); // the page opens on the device's values
        page.findChild<QPushButton*>("Default Picture")->click();
        EXPECT_EQ(page.findChild<QSlider*>("Contrast")->value(), 64);
        EXPECT_EQ(page.findChild<QSlider*>("Saturation")->value(), 64);
        page.accept();
    });
    EXPECT_EQ(Picture(rig.video.get(), VideoProcAmp_Contrast), 64);
    EXPECT_EQ(Picture(rig.video.get(), VideoProcAmp_Saturation), 64);
}

TEST_F(DevicePagesTest, TheTunerPageTunesOnOkAndShowsWhatTheTunerReports) {
    RefPtr<IAMTVTuner> tuner = rig.onCapturePin<IAMTVTuner>();
    OpenFrame(tuner.get(), [&](DeviceControlsDialog& page) {
        auto* frequency = page.findChild<QSpinBox*>("Frequency (Hz)");
        ASSERT_NE(frequency, nullptr);
        EXPECT_EQ(frequency->value(), 175250000);
        auto* signal = page.findChild<QCheckBox*>("Signal Present");
        ASSERT_NE(signal, nullptr);
        EXPECT_FALSE(signal->isEnabled()); // reported, not set
        EXPECT_TRUE(signal->isChecked());
        frequency->findChild<QLineEdit*>()->setText("100000000"); // typed, not yet entered: OK commits it
        page.accept();
    });
    EXPECT_EQ(rig.card->frequency(), 100000000);
    EXPECT_EQ(rig.card->picture().kind, PictureState::Kind::Noise);

    OpenFrame(tuner.get(), [&](DeviceControlsDialog& page) {
        auto* frequency = page.findChild<QSpinBox*>("Frequency (Hz)");
        EXPECT_FALSE(page.findChild<QCheckBox*>("Signal Present")->isChecked());
        auto* mode = page.findChild<QComboBox*>("Mode");
        mode->activated(mode->findText("FM Radio"));
        EXPECT_EQ(rig.card->mode(), TunerMode::Fm);
        frequency->setValue(800000000); // outside the FM band: refused, and the box shows the tuned one again
        EXPECT_EQ(frequency->value(), int(rig.card->frequency()));
        EXPECT_NE(rig.card->frequency(), 800000000);
        page.reject();
    });
    EXPECT_EQ(rig.card->mode(), TunerMode::Tv);
    EXPECT_EQ(rig.card->frequency(), 100000000);
}

TEST_F(DevicePagesTest, CrossbarAndSoundMenusOfferWhatTheDeviceCanDo) {
    RefPtr<IAMCrossbar> crossbar = rig.onCapturePin<IAMCrossbar>();
    OpenFrame(crossbar.get(), [&](DeviceControlsDialog& page) {
        auto* picture = page.findChild<QComboBox*>("Video Decoder");
        ASSERT_NE(picture, nullptr);
        ASSERT_EQ(picture->count(), 3); // the video connectors only
        EXPECT_EQ(picture->itemText(2), "Video SVideo");
        picture->activated(2);
        EXPECT_EQ(rig.card->picture().kind, PictureState::Kind::ColourBars);
        page.accept();
    });
    LONG routed = -1;
    crossbar->get_IsRoutedTo(0, &routed);
    EXPECT_EQ(routed, 2);

    crossbar->Route(0, 0);
    rig.card->setFrequency(175250000);
    RefPtr<IAMTVAudio> sound = rig.onCapturePin<IAMTVAudio>();
    LONG available = 0;
    sound->GetAvailableTVAudioModes(&available);
    OpenFrame(sound.get(), [&](DeviceControlsDialog& page) {
        auto* mode = page.findChild<QComboBox*>("Sound Mode");
        ASSERT_NE(mode, nullptr);
        int bits = 0;
        for (int i = 0; i < mode->count(); ++i) {
            bits |= mode->itemData(i).toInt();
        }
        EXPECT_EQ(bits, available);
        page.reject();
    });
}

TEST_F(DevicePagesTest, APinPageChangesItsFormat) {
    RefPtr<IAMStreamConfig> config = rig.onCapturePin<IAMStreamConfig>();
    OpenFrame(config.get(), [&](DeviceControlsDialog& page) {
        auto* size = page.findChild<QComboBox*>("Frame Size");
        ASSERT_NE(size, nullptr);
        size->activated(size->findText("720 x 576"));
        page.findChild<QSlider*>("Frame Rate (fps)")->setValue(15 - 10);
        page.accept();
    });
    AM_MEDIA_TYPE* type = nullptr;
    ASSERT_EQ(config->GetFormat(&type), S_OK);
    EXPECT_EQ(VideoInfoOf(type)->bmiHeader.biWidth, 720);
    EXPECT_EQ(VideoInfoOf(type)->bmiHeader.biHeight, 576);
    EXPECT_EQ(VideoInfoOf(type)->AvgTimePerFrame, 10000000 / 15);
    DeleteMediaType(type);
}

// Runs the driver dialog with act on its page, returning ShowDialog's result.
HRESULT ShowDriverDialog(IAMVfwCaptureDialogs& dialogs, int which,
                         const std::function<void(DeviceControlsDialog&)>& act) {
    QTimer::singleShot(0, [&] {
        if (auto* page = qobject_cast<DeviceControlsDialog*>(QApplication::activeModalWidget())) {
            act(*page);
        }
        if (QApplication::activeModalWidget()) {
            QApplication::activeModalWidget()->close();
        }
    });
    return dialogs.ShowDialog(which, nullptr);
}

TEST_F(DevicePagesTest, TheDriverDialogsSetTheFormatAndTheSource) {
    RefPtr<IAMVfwCaptureDialogs> dialogs = rig.onCapturePin<IAMVfwCaptureDialogs>();
    ASSERT_TRUE(dialogs);
    EXPECT_EQ(dialogs->HasDialog(VfwCaptureDialog_Format), S_OK);
    EXPECT_EQ(dialogs->HasDialog(VfwCaptureDialog_Source), S_OK);
    EXPECT_EQ(dialogs->HasDialog(VfwCaptureDialog_Display), S_FALSE);

    auto chooseSize = [](const char* size) {
        return [size](DeviceControlsDialog& page) {
            auto* sizes = page.findChild<QComboBox*>("Frame Size");
            sizes->activated(sizes->findText(size));
            page.accept();
        };
    };
    // Without a graph the new format simply holds, for the preview too.
    EXPECT_EQ(ShowDriverDialog(*dialogs, VfwCaptureDialog_Format, chooseSize("384 x 288")), S_OK);
    RefPtr<IAMStreamConfig> preview =
        rig.find<IAMStreamConfig>(&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Video, rig.video.get());
    AM_MEDIA_TYPE* type = nullptr;
    ASSERT_EQ(preview->GetFormat(&type), S_OK);
    EXPECT_EQ(VideoInfoOf(type)->bmiHeader.biWidth, 384);
    DeleteMediaType(type);

    // With a built graph the connection no longer fits the format: the caller must rebuild.
    ASSERT_GE(
        rig.builder->RenderStream(&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Video, rig.video.get(), nullptr, nullptr),
        0);
    EXPECT_EQ(ShowDriverDialog(*dialogs, VfwCaptureDialog_Format, chooseSize("720 x 576")),
              VFW_E_CANNOT_CONNECT);
    // Closing it unchanged is no reason to rebuild.
    EXPECT_EQ(ShowDriverDialog(*dialogs, VfwCaptureDialog_Format,
                               [](DeviceControlsDialog& page) { page.accept(); }),
              S_OK);

    EXPECT_EQ(ShowDriverDialog(*dialogs, VfwCaptureDialog_Source,
                               [](DeviceControlsDialog& page) {
                                   auto* input = page.findChild<QComboBox*>("Video Decoder");
                                   ASSERT_NE(input, nullptr);
                                   input->activated(input->findText("Video Composite"));
                                   EXPECT_NE(page.findChild<QComboBox*>("Video Standard"), nullptr);
                                   page.accept();
                               }),
              S_OK);
    EXPECT_EQ(rig.card->picture().label, "Video Composite");
}

} // namespace
