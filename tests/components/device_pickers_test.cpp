// SPDX-License-Identifier: GPL-2.0-or-later
#include "components/dev_cmb_pickers.h"
#include "list_device_provider.h"

#include <gtest/gtest.h>

namespace {

std::string BoundIndex(IPropertyBag* object) {
    std::string index = "<null>";
    if (object) {
        object->Read("Index", &index);
    }
    return index;
}

TEST(DevicePickers, EmptyCategoryShowsNotAvailableDisabled) {
    TVideoCaptureDevCombo picker(nullptr, ListDevices(CLSID_VideoInputDeviceCategory, {}));
    EXPECT_FALSE(picker.isEnabled());
    EXPECT_EQ(picker.count(), 0);
    EXPECT_EQ(picker.currentText(), "<not available>");
    EXPECT_EQ(picker.GetDevice(), "<not available>");
    EXPECT_EQ(picker.GetMoniker(), nullptr);
    picker.SetDevice("<not available>");
    EXPECT_EQ(picker.currentIndex(), -1);

    RefPtr<IPropertyBag> filter;
    EXPECT_EQ(picker.GetBaseFilter(filter.put()), S_FALSE);
    EXPECT_FALSE(filter);
}

TEST(DevicePickers, EmptyCompressorCategoryStillOffersNoCompression) {
    TVideoCompressionDevCombo picker(nullptr, ListDevices(CLSID_VideoCompressorCategory, {}));
    EXPECT_TRUE(picker.isEnabled());
    ASSERT_EQ(picker.count(), 1);
    EXPECT_EQ(picker.GetCodec(), "<no compression>");
    EXPECT_EQ(picker.GetMoniker(), nullptr);
}

TEST(DevicePickers, SameNamesAreListedAndTheFirstIsFound) {
    auto devices = ListDevices(AM_KSCATEGORY_TVTUNER, {"Tuner", "Other", "Tuner"});
    TTVTunerDevCombo picker(nullptr, devices);
    ASSERT_EQ(picker.count(), 3);
    EXPECT_TRUE(picker.isEnabled());
    EXPECT_EQ(picker.currentIndex(), 0);

    picker.setCurrentIndex(1);
    picker.SetDevice("Missing");
    EXPECT_EQ(picker.currentIndex(), 1);
    picker.SetDevice("tuner"); // the stored name must match exactly
    EXPECT_EQ(picker.currentIndex(), 1);
    picker.SetDevice("Tuner");
    EXPECT_EQ(picker.currentIndex(), 0);

    RefPtr<IPropertyBag> filter;
    EXPECT_EQ(picker.FindByName(filter.put(), "Tuner"), S_OK);
    EXPECT_EQ(BoundIndex(filter.get()), "0");
    EXPECT_EQ(picker.FindByName(filter.put(), "Other"), S_OK);
    EXPECT_EQ(BoundIndex(filter.get()), "1");

    // The moniker of the third entry, from another picker's enumeration, selects the third entry.
    TTVTunerDevCombo other(nullptr, devices);
    other.setCurrentIndex(2);
    picker.SetMoniker(other.GetMoniker());
    EXPECT_EQ(picker.currentIndex(), 2);
}

TEST(DevicePickers, CompressorMonikersFollowTheNoCompressionEntry) {
    TAudioCompressionDevCombo picker(nullptr, ListDevices(CLSID_AudioCompressorCategory, {"MP3", "AAC"}));
    ASSERT_EQ(picker.count(), 3);
    EXPECT_EQ(picker.currentIndex(), 0);
    picker.SetCodec("AAC");
    ASSERT_NE(picker.GetMoniker(), nullptr);
    RefPtr<IPropertyBag> bound;
    picker.GetMoniker()->BindToObject(nullptr, nullptr, IPropertyBag::IID,
                                      reinterpret_cast<void**>(bound.put()));
    EXPECT_EQ(BoundIndex(bound.get()), "1");
    picker.Init(); // a refill starts over at "<no compression>"
    EXPECT_EQ(picker.GetCodec(), "<no compression>");
}

TEST(DevicePickers, LongNamesAreCutBetweenCharacters) {
    const std::string euros = [] {
        std::string s;
        for (int i = 0; i < 50; ++i) {
            s += "\xe2\x82\xac"; // three bytes each
        }
        return s;
    }();
    const QString listed = DevicePickerCombo::ListedName(euros);
    EXPECT_EQ(listed.size(), 42); // 126 bytes; the 43rd character would pass 127
    EXPECT_EQ(DevicePickerCombo::ListedName("short"), "short");

    // The device behind a cut name is still the one made from the picker, and by its full name too.
    TAudioCaptureDevCombo picker(nullptr, ListDevices(CLSID_AudioInputDeviceCategory, {"Mic", euros}));
    picker.SetDevice(listed);
    ASSERT_EQ(picker.currentIndex(), 1);
    RefPtr<IPropertyBag> filter;
    EXPECT_EQ(picker.GetBaseFilter(filter.put()), S_OK);
    EXPECT_EQ(BoundIndex(filter.get()), "1");
    EXPECT_EQ(picker.FindByName(filter.put(), QString::fromStdString(euros)), S_OK);
    EXPECT_EQ(BoundIndex(filter.get()), "1");
    // A short name is still matched whole: a prefix of a device's name finds nothing.
    EXPECT_EQ(picker.FindByName(filter.put(), listed.left(10)), S_OK);
    EXPECT_FALSE(filter);

    // A device named exactly the cut text is the one meant by that text, wherever it is listed.
    TAudioCaptureDevCombo both(nullptr,
                               ListDevices(CLSID_AudioInputDeviceCategory, {euros, listed.toStdString()}));
    EXPECT_EQ(both.FindByName(filter.put(), listed), S_OK);
    EXPECT_EQ(BoundIndex(filter.get()), "1");
}

TEST(DevicePickers, TheSystemsCompressorsAreListed) {
    TVideoCompressionDevCombo picker;
    EXPECT_GT(picker.count(), 1);
    EXPECT_GE(picker.findText("JPEG image encoder"), 1);
}

} // namespace
