// SPDX-License-Identifier: GPL-2.0-or-later
// A compressor's settings: the page generated from its encoder's properties, opened as the TV page opens
// it, and the same settings as text, as they are stored and given on corvane-ctl's command line.

#include "platform/devices/gst/gst_device_element.h"
#include "platform/media/element_settings.h"
#include "platform/media/gst/dmo_interfaces.h"
#include "platform/media/gst/element_properties.h"
#include "platform/media/gst/element_settings_dialog.h"
#include "platform/media/gst/engine_setup.h"

#include <QApplication>
#include <QComboBox>
#include <QSlider>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace {

RefPtr<IBaseFilter> Encoder(const char* factory) {
    EnsureGstInitialised();
    RefPtr<IBaseFilter> filter;
    BindDeviceElement(gst_element_factory_make(factory, nullptr), FilterRole::Encoder, IBaseFilter::IID,
                      reinterpret_cast<void**>(filter.put()));
    return filter;
}

template <typename T> T Property(IBaseFilter* encoder, const char* name) {
    T value{};
    g_object_get(query<IElementProperties>(encoder)->settingsElement(), name, &value, nullptr);
    return value;
}

// The compressor's frame, with the page handed to act while it is shown; act ends it with OK or Cancel.
void OnPage(IBaseFilter* encoder, const std::function<void(ElementSettingsDialog&)>& act) {
    CAUUID pages;
    ASSERT_EQ(query<ISpecifyPropertyPages>(encoder)->GetPages(&pages), S_OK);
    ASSERT_EQ(pages.cElems, 1u);
    EXPECT_EQ(pages.pElems[0], CLSID_CompressorPropertiesPage);
    bool shown = false;
    QTimer::singleShot(0, [&] {
        if (auto* page = qobject_cast<ElementSettingsDialog*>(QApplication::activeModalWidget())) {
            shown = true;
            act(*page);
        }
        if (QWidget* left = QApplication::activeModalWidget()) {
            left->close();
        }
    });
    IUnknown* object = encoder;
    EXPECT_EQ(OleCreatePropertyFrame(nullptr, 30, 30, nullptr, 1, &object, pages.cElems, pages.pElems, 0),
              S_OK);
    CoTaskMemFree(pages.pElems);
    EXPECT_TRUE(shown);
}

TEST(CompressorPages, ThePageListsTheEncodersSettingsOkKeepsAndCancelRestores) {
    const RefPtr<IBaseFilter> vp8 = Encoder("vp8enc");
    ASSERT_TRUE(vp8);
    ASSERT_EQ(Property<int>(vp8.get(), "cq-level"), 10);

    OnPage(vp8.get(), [](ElementSettingsDialog& page) {
        EXPECT_EQ(page.findChild<QWidget*>("name"), nullptr);
        EXPECT_EQ(page.findChild<QWidget*>("parent"), nullptr);
        auto* level = page.findChild<QSlider*>("cq-level");
        auto* usage = page.findChild<QComboBox*>("end-usage");
        ASSERT_NE(level, nullptr);
        ASSERT_NE(usage, nullptr);
        level->setValue(level->value() + 5);
        const int cq = usage->findText("cq");
        ASSERT_GE(cq, 0);
        usage->setCurrentIndex(cq);
        emit usage->activated(cq);
        page.accept();
    });
    EXPECT_EQ(Property<int>(vp8.get(), "cq-level"), 15);
    std::vector<ElementSetting> changed = query<IElementSettings>(vp8)->changedSettings();
    std::sort(changed.begin(), changed.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    EXPECT_EQ(changed, (std::vector<ElementSetting>{{"cq-level", "15"}, {"end-usage", "cq"}}));

    OnPage(vp8.get(), [](ElementSettingsDialog& page) {
        auto* level = page.findChild<QSlider*>("cq-level");
        ASSERT_NE(level, nullptr);
        level->setValue(level->minimum());
        page.reject();
    });
    EXPECT_EQ(Property<int>(vp8.get(), "cq-level"), 15);
}

TEST(CompressorPages, SettingsAsTextAreParsedBackAndRefusedWithTheReason) {
    const RefPtr<IBaseFilter> jpeg = Encoder("jpegenc");
    ASSERT_TRUE(jpeg);
    const RefPtr<IElementSettings> settings = query<IElementSettings>(jpeg);
    ASSERT_TRUE(settings);
    EXPECT_EQ(settings->settingsKey(), "jpegenc");
    EXPECT_TRUE(settings->changedSettings().empty());

    std::string why;
    EXPECT_EQ(settings->applySetting("quality", "30", &why), S_OK);
    EXPECT_EQ(Property<int>(jpeg.get(), "quality"), 30);
    EXPECT_EQ(settings->changedSettings(), (std::vector<ElementSetting>{{"quality", "30"}}));
    // Back at the encoder's own value, nothing is left to store.
    EXPECT_EQ(settings->applySetting("quality", "85", &why), S_OK);
    EXPECT_TRUE(settings->changedSettings().empty());

    struct Refused {
        const char* name;
        const char* value;
        const char* why;
    };
    for (const Refused& refused : {Refused{"nosuch", "1", "no setting named nosuch"},
                                   Refused{"name", "other", "no setting named name"},
                                   Refused{"quality", "banana", "\"banana\" is not a value of quality"},
                                   Refused{"quality", "101", "\"101\" is not a value of quality"}}) {
        why.clear();
        EXPECT_EQ(settings->applySetting(refused.name, refused.value, &why), E_INVALIDARG) << refused.value;
        EXPECT_EQ(why, refused.why);
    }
    EXPECT_EQ(Property<int>(jpeg.get(), "quality"), 85) << "a refused value leaves the setting as it was";
}

TEST(CompressorPages, ChoicesAndSwitchesOfAnAudioEncoderRoundTrip) {
    const RefPtr<IBaseFilter> lame = Encoder("lamemp3enc");
    ASSERT_TRUE(lame);
    const RefPtr<IElementSettings> settings = query<IElementSettings>(lame);
    std::string why;
    ASSERT_EQ(settings->applySetting("target", "bitrate", &why), S_OK) << why;
    ASSERT_EQ(settings->applySetting("mono", "true", &why), S_OK) << why;
    const std::vector<ElementSetting> changed = settings->changedSettings();

    const RefPtr<IBaseFilter> again = Encoder("lamemp3enc");
    const RefPtr<IElementSettings> fresh = query<IElementSettings>(again);
    for (const ElementSetting& setting : changed) {
        EXPECT_EQ(fresh->applySetting(setting.name, setting.value, &why), S_OK) << setting.name << why;
    }
    EXPECT_EQ(fresh->changedSettings(), changed);
    EXPECT_EQ(changed.size(), 2u);
    EXPECT_TRUE(Property<gboolean>(again.get(), "mono"));
}

} // namespace
