// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/devices/device_provider.h"
#include "platform/devices/gst/gst_device_element.h"
#include "platform/devices/gst/gst_encoder_provider.h"
#include "platform/media/gst/gst_filter.h"

#include <gst/gst.h>
#include <gtest/gtest.h>

#include <set>

namespace {

struct Listed {
    std::string name;
    RefPtr<IMoniker> moniker;
};

std::vector<Listed> List(ICreateDevEnum* devEnum, const Guid& category) {
    std::vector<Listed> out;
    RefPtr<IEnumMoniker> en;
    if (devEnum->CreateClassEnumerator(category, en.put(), 0) != S_OK) {
        return out;
    }
    IMoniker* m = nullptr;
    while (en->Next(1, &m, nullptr) == S_OK) {
        RefPtr<IPropertyBag> bag;
        m->BindToStorage(nullptr, nullptr, IPropertyBag::IID, reinterpret_cast<void**>(bag.put()));
        std::string name;
        bag->Read("FriendlyName", &name);
        out.push_back({name, RefPtr<IMoniker>::adopt(m)});
    }
    return out;
}

// Every listed compressor binds to a real encoder that links to the AVI multiplexer.
void ExpectEncodersFeedAviMux(const Guid& category, const char* padName, const char* mustContain) {
    auto devEnum = MakeDeviceEnum({MakeGstEncoderProvider()});
    const auto listed = List(devEnum.get(), category);
    ASSERT_FALSE(listed.empty());
    bool sawExpected = false;
    for (const Listed& entry : listed) {
        // A filter with a raw input and an encoded output, the encoder inside it.
        RefPtr<IBaseFilter> filter;
        ASSERT_EQ(entry.moniker->BindToObject(nullptr, nullptr, IBaseFilter::IID,
                                              reinterpret_cast<void**>(filter.put())),
                  S_OK)
            << entry.name;
        RefPtr<IPin> input, output;
        ASSERT_EQ(filter->FindPin(L"Input", input.put()), S_OK) << entry.name;
        ASSERT_EQ(filter->FindPin(L"Output", output.put()), S_OK) << entry.name;
        PIN_DIRECTION direction = PINDIR_INPUT;
        output->QueryDirection(&direction);
        EXPECT_EQ(direction, PINDIR_OUTPUT);
        EXPECT_EQ(AsGstPin(input.get())->kind(),
                  category == CLSID_VideoCompressorCategory ? PinKind::Video : PinKind::Audio);
        EXPECT_EQ(AsGstPin(output.get())->kind(), PinKind::Stream);
        RefPtr<IDeviceElement> element;
        ASSERT_EQ(filter->QueryInterface(IDeviceElement::IID, reinterpret_cast<void**>(element.put())), S_OK);
        GstElement* encoder = element->deviceElement();
        const std::string factory = GST_OBJECT_NAME(gst_element_get_factory(encoder));
        sawExpected = sawExpected || factory == mustContain;
        GstElement* mux = gst_element_factory_make("avimux", nullptr);
        GstElement* bin = gst_bin_new(nullptr);
        gst_bin_add_many(GST_BIN(bin), GST_ELEMENT(gst_object_ref(AsGstFilter(filter.get())->element())), mux,
                         nullptr);
        EXPECT_TRUE(gst_element_link_pads(AsGstFilter(filter.get())->element(), "Output", mux, padName))
            << entry.name << " (" << factory << ")";
        gst_object_unref(bin);
    }
    EXPECT_TRUE(sawExpected) << mustContain << " is installed with the project's packages";
    // The same list in the same order on every enumeration.
    const auto again = List(devEnum.get(), category);
    ASSERT_EQ(again.size(), listed.size());
    for (std::size_t i = 0; i < listed.size(); ++i) {
        EXPECT_EQ(again[i].moniker->IsEqual(listed[i].moniker.get()), S_OK);
    }
}

TEST(GstEncoders, VideoCompressorsFeedTheAviMultiplexer) {
    ExpectEncodersFeedAviMux(CLSID_VideoCompressorCategory, "video_%u", "jpegenc");
}

TEST(GstEncoders, AudioCompressorsFeedTheAviMultiplexer) {
    ExpectEncodersFeedAviMux(CLSID_AudioCompressorCategory, "audio_%u", "avenc_aac");
}

TEST(GstEncoders, NamesSayEachWordOnceAndTellEncodersApart) {
    EXPECT_EQ(EncoderName("libav OpenMAX IL H.264 video encoder encoder"),
              "libav OpenMAX IL H.264 video encoder");
    EXPECT_EQ(EncoderName("Encoder  encoder ENCODER for  PNG"), "Encoder for PNG");
    EXPECT_EQ(EncoderName("libav MPEG-4 part 2 encoder"), "libav MPEG-4 part 2 encoder");

    // On the machine's own registry: libav lists its OpenMAX encoders with a doubled word and two AC-3
    // encoders under one name.
    auto devEnum = MakeDeviceEnum({MakeGstEncoderProvider()});
    for (const Guid& category : {CLSID_VideoCompressorCategory, CLSID_AudioCompressorCategory}) {
        std::set<std::string> names;
        for (const Listed& entry : List(devEnum.get(), category)) {
            EXPECT_TRUE(names.insert(entry.name).second) << entry.name << " is listed twice";
            EXPECT_EQ(EncoderName(entry.name), entry.name);
        }
    }
    // The status line names a video compressor by its description, which says each word once too.
    for (const Listed& entry : List(devEnum.get(), CLSID_VideoCompressorCategory)) {
        RefPtr<IBaseFilter> filter;
        ASSERT_EQ(entry.moniker->BindToObject(nullptr, nullptr, IBaseFilter::IID,
                                              reinterpret_cast<void**>(filter.put())),
                  S_OK);
        RefPtr<IPin> output;
        ASSERT_EQ(filter->FindPin(L"Output", output.put()), S_OK);
        const RefPtr<IAMVideoCompression> compression = query<IAMVideoCompression>(output);
        ASSERT_TRUE(compression) << entry.name;
        wchar_t description[80] = {};
        int length = 80;
        ASSERT_EQ(
            compression->GetInfo(nullptr, nullptr, description, &length, nullptr, nullptr, nullptr, nullptr),
            S_OK);
        const std::wstring text(description);
        EXPECT_EQ(entry.name.compare(0, text.size(), std::string(text.begin(), text.end())), 0) << entry.name;
    }
}

TEST(GstEncoders, FormerNamesStillNameTheirEncoders) {
    struct Case {
        const char* listed;
        const char* former;
        bool same;
    };
    for (const Case& c :
         {Case{"libav OpenMAX IL H.264 video encoder", "libav OpenMAX IL H.264 video encoder encoder", true},
          {"libav ATSC A/52A (AC-3) encoder [avenc_ac3]", "libav ATSC A/52A (AC-3) encoder", true},
          {"libav ATSC A/52A (AC-3) encoder [avenc_ac3]", "libav ATSC A/52A", false},
          {"libav MPEG-4 part 2 encoder", "libav MPEG-4 part 2", false},
          {"libav MPEG-4 part 2 encoder [x] [y]", "libav MPEG-4 part 2 encoder", false},
          {"JPEG image encoder", "", false}}) {
        EXPECT_EQ(IsFormerEncoderName(c.listed, c.former), c.same) << c.listed << " / " << c.former;
    }
}

TEST(GstEncoders, OtherCategoriesAreNotTheirs) {
    auto devEnum = MakeDeviceEnum({MakeGstEncoderProvider()});
    EXPECT_TRUE(List(devEnum.get(), CLSID_VideoInputDeviceCategory).empty());
}

} // namespace

TEST(DeviceFilter, ASourceHasOneAudioCapturePinAndKeepsItsElement) {
    ASSERT_TRUE(EnsureGstInitialised());
    GstElement* source = gst_element_factory_make("audiotestsrc", nullptr);
    ASSERT_NE(source, nullptr);
    RefPtr<IBaseFilter> filter;
    ASSERT_EQ(BindDeviceElement(source, FilterRole::Source, IBaseFilter::IID,
                                reinterpret_cast<void**>(filter.put())),
              S_OK);
    RefPtr<IPin> capture;
    ASSERT_EQ(filter->FindPin(L"Capture", capture.put()), S_OK);
    EXPECT_EQ(AsGstPin(capture.get())->kind(), PinKind::Audio);
    RefPtr<IPin> none;
    EXPECT_NE(filter->FindPin(L"Input", none.put()), S_OK);
    RefPtr<IDeviceElement> element;
    ASSERT_EQ(filter->QueryInterface(IDeviceElement::IID, reinterpret_cast<void**>(element.put())), S_OK);
    EXPECT_EQ(element->deviceElement(), source);
}

TEST(DeviceFilter, AnElementThatCouldNotBeMadeFailsTheBinding) {
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(BindDeviceElement(nullptr, FilterRole::Source, IBaseFilter::IID, &object), E_FAIL);
    EXPECT_EQ(object, nullptr);
}
