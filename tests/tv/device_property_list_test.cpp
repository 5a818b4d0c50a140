// SPDX-License-Identifier: GPL-2.0-or-later
// The "Features" list on a card of test doubles: which entries a card offers and in which order, and what
// opening each does to the preview around the dialog.
#include "tuner_test_card.h"
#include "tv/device_property_list.h"
#include "tv/property_frames.h"

#include <gtest/gtest.h>

#include <set>

namespace {

// Publishes pages for the objects a test names; records every frame opened.
class RecordingFrames final : public PropertyFrames {
public:
    void publish(IUnknown* object) { publishing_.insert(identity(object)); }
    bool Publishes(IUnknown* object) override { return object && publishing_.count(identity(object)) > 0; }
    bool Open(OAHWND, IUnknown* object) override {
        if (!Publishes(object)) {
            return false;
        }
        opened.push_back(identity(object));
        return true;
    }
    std::vector<IUnknown*> opened;

private:
    static IUnknown* identity(IUnknown* object) { return query<IUnknown>(object).get(); }
    std::set<IUnknown*> publishing_;
};

// The driver's video-for-Windows dialogs: the ones in `present`; showing one answers `result`.
class FakeVfwDialogs final : public ComObject<IAMVfwCaptureDialogs> {
public:
    FakeVfwDialogs(int present, CallLog& log) : present_(present), log_(log) {}
    HRESULT HasDialog(int dialog) override { return (present_ & dialog) ? S_OK : S_FALSE; }
    HRESULT ShowDialog(int dialog, OAHWND) override {
        log_.push_back("ShowDialog " + std::to_string(dialog));
        return result;
    }
    HRESULT result = S_OK;

private:
    int present_;
    CallLog& log_;
};

std::vector<std::string> Texts(const std::vector<DeviceProperty>& entries) {
    std::vector<std::string> texts;
    for (DeviceProperty entry : entries) {
        texts.emplace_back(DevicePropertyText(entry));
    }
    return texts;
}

struct PropertyCard : TestCard {
    PropertyCard() {
        select();
        frames.publish(tools.tuner.get());
        frames.publish(videoFilter.get());
        frames.publish(captureConfig.get());
        frames.publish(audioConfig.get());
    }
    void preview() {
        tools.previewWanted = true;
        ASSERT_TRUE(tools.AssemblePreview());
        ASSERT_TRUE(tools.RunPreview());
        log.clear();
    }
    RecordingFrames frames;
    DevicePropertyPages pages{tools, frames};
};

TEST(DevicePropertyList, OffersWhatTheCardPublishesInTheListsOrder) {
    PropertyCard card;
    EXPECT_EQ(Texts(card.pages.Offered()),
              (std::vector<std::string>{"TV Tuner...", "Video Capture Filter...", "Video Capture Pin...",
                                        "Audio Capture Pin..."}))
        << "without video-for-Windows dialogs none of the first three";

    card.tools.vfwDialogs =
        MakeCom<FakeVfwDialogs>(VfwCaptureDialog_Format | VfwCaptureDialog_Display, card.log);
    const std::vector<DeviceProperty> offered = card.pages.Offered();
    EXPECT_EQ(Texts(offered), (std::vector<std::string>{"Video Format...", "Video Display...", "TV Tuner...",
                                                        "Video Capture Filter...", "Video Capture Pin...",
                                                        "Audio Capture Pin..."}));

    // The page stores each entry's row; a row names the first entry stored there.
    DevicePropertyIndexes indexes;
    for (std::size_t row = 0; row < offered.size(); ++row) {
        indexes.place(offered[row], static_cast<int>(row));
    }
    DeviceProperty entry{};
    ASSERT_TRUE(indexes.entryAt(2, &entry));
    EXPECT_EQ(entry, DeviceProperty::TvTuner);
    EXPECT_FALSE(indexes.entryAt(6, &entry));
    EXPECT_FALSE(indexes.entryAt(-1, &entry)) << "no selection opens nothing";
}

TEST(DevicePropertyList, DriverSourceDialogOnlyStopsAndRestartsThePreview) {
    PropertyCard card;
    card.tools.vfwDialogs = MakeCom<FakeVfwDialogs>(VfwCaptureDialog_Source, card.log);
    card.preview();

    card.pages.Show(DeviceProperty::VideoSource);

    EXPECT_EQ(card.log, (CallLog{"Stop", "ShowDialog 1", "Run"}));
    EXPECT_TRUE(card.tools.previewBuilt);
    EXPECT_TRUE(card.tools.previewRunning);
}

TEST(DevicePropertyList, FormatThatNoLongerFitsRebuildsThePreview) {
    PropertyCard card;
    auto dialogs = MakeCom<FakeVfwDialogs>(VfwCaptureDialog_Format, card.log);
    dialogs->result = VFW_E_CANNOT_CONNECT;
    card.tools.vfwDialogs = dialogs;
    card.preview();
    card.previewConfig->info().bmiHeader.biWidth = 320;
    card.previewConfig->info().bmiHeader.biHeight = -240;

    card.pages.Show(DeviceProperty::VideoFormat);

    EXPECT_TRUE(card.logged("RenderStream preview video")) << "the graph is taken apart and built anew";
    EXPECT_TRUE(card.tools.previewRunning);
    EXPECT_EQ(card.target.videoWidth, 320);
    EXPECT_EQ(card.target.videoHeight, 240);
}

TEST(DevicePropertyList, PinPagesTakeTheGraphApartAroundTheFrame) {
    PropertyCard card;
    card.preview();

    card.pages.Show(DeviceProperty::VideoCapturePin);

    ASSERT_EQ(card.frames.opened.size(), 1u);
    EXPECT_EQ(card.frames.opened[0], query<IUnknown>(card.captureConfig).get());
    EXPECT_TRUE(card.logged("RenderStream preview video")) << "rebuilt after the frame";
    EXPECT_TRUE(card.tools.previewRunning);

    // A page the object does not publish is skipped, and the preview still comes back.
    card.log.clear();
    card.pages.Show(DeviceProperty::VideoPreviewPin);
    EXPECT_EQ(card.frames.opened.size(), 1u);
    EXPECT_TRUE(card.tools.previewRunning);
}

TEST(DevicePropertyList, MissingObjectsOpenNothing) {
    PropertyCard card;
    card.tools.tuner = nullptr;
    card.tools.tvAudio = nullptr;
    card.preview();
    for (DeviceProperty entry :
         {DeviceProperty::VideoFormat, DeviceProperty::VideoSource, DeviceProperty::VideoDisplay,
          DeviceProperty::TvTuner, DeviceProperty::TvAudio, DeviceProperty::VideoCrossbar,
          DeviceProperty::SecondCrossbar}) {
        card.pages.Show(entry);
    }
    EXPECT_TRUE(card.frames.opened.empty());
    EXPECT_TRUE(card.log.empty()) << "no dialog, so the preview was not touched";
}

} // namespace
