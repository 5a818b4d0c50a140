#include "platform/devices/device_provider.h"
#include "platform/devices/gst/gst_encoder_provider.h"

#include <gst/gst.h>
#include <gtest/gtest.h>

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
        RefPtr<IDeviceElement> element;
        ASSERT_EQ(entry.moniker->BindToObject(nullptr, nullptr, IDeviceElement::IID,
                                              reinterpret_cast<void**>(element.put())),
                  S_OK)
            << entry.name;
        GstElement* encoder = element->element();
        const std::string factory = GST_OBJECT_NAME(gst_element_get_factory(encoder));
        sawExpected = sawExpected || factory == mustContain;
        GstElement* mux = gst_element_factory_make("avimux", nullptr);
        GstElement* bin = gst_bin_new(nullptr);
        gst_bin_add_many(GST_BIN(bin), GST_ELEMENT(gst_object_ref(encoder)), mux, nullptr);
        EXPECT_TRUE(gst_element_link_pads(encoder, "src", mux, padName))
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

TEST(GstEncoders, OtherCategoriesAreNotTheirs) {
    auto devEnum = MakeDeviceEnum({MakeGstEncoderProvider()});
    EXPECT_TRUE(List(devEnum.get(), CLSID_VideoInputDeviceCategory).empty());
}

} // namespace
