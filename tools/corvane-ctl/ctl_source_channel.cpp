// SPDX-License-Identifier: GPL-2.0-or-later
#include "ctl_source_channel.h"

#include "channels/headless_channel_list_view.h"
#include "ctl_channels.h"
#include "ctl_message_boxes.h"
#include "tv/tuner_channel_tuner.h"
#include "tv/tuner_tools.h"

#include <algorithm>
#include <vector>

namespace {

constexpr const char* kPictureNames[] = {"brightness", "contrast", "hue", "saturation"};

} // namespace

// The channel list's controls without a page: the list is the page shown, so selecting tunes, and the
// picture values go to the card as the TV page's sliders send them, positions of the device's ranges.
class CtlStoredChannel::CardView final : public HeadlessChannelListView {
public:
    TTunerTools* tools = nullptr;
    std::vector<std::string> refusedPicture;

    bool isPageVisible() const override { return true; }

    void showPicture(const ChannelEntry& entry) override {
        if (!tools || !tools->procAmp) {
            return;
        }
        const std::int32_t values[] = {entry.brightness, entry.contrast, entry.hue, entry.saturation};
        for (int property = 0; property < 4; ++property) {
            const ProcAmpRange& range = tools->picture[static_cast<std::size_t>(property)];
            // A property the device reports no range for has no slider to move.
            if (!range.available) {
                continue;
            }
            // A slider keeps its position within its range whatever the stored value.
            const std::int32_t position =
                std::clamp(PicturePositionFromValue(values[property], range.minimum, range.maximum),
                           range.minimum, range.maximum);
            if (FAILED(tools->procAmp->Set(property, position, VideoProcAmp_Flags_Manual))) {
                refusedPicture.emplace_back(kPictureNames[property]);
            }
        }
    }
};

// The card's tuner as the list tunes it, keeping what the list does not look at: whether the tuning and the
// standard took.
class CtlStoredChannel::CheckedTuner final : public ChannelTuner {
public:
    explicit CheckedTuner(TTunerTools& tools) : card_(tools) {}

    HRESULT TuneFrequency(std::int32_t hz) override {
        tuned = card_.TuneFrequency(hz);
        tunedHertz = hz;
        return tuned;
    }
    HRESULT ReadTunerOffset(std::int32_t* offset) override { return card_.ReadTunerOffset(offset); }
    HRESULT SetVideoStandard(std::int32_t standard) override {
        return standard_ = card_.SetVideoStandard(standard);
    }

    HRESULT tuned = E_FAIL;
    std::int32_t tunedHertz = 0;
    bool standardTaken() const { return SUCCEEDED(standard_); }

private:
    TunerChannelTuner card_;
    HRESULT standard_ = E_FAIL;
};

CtlStoredChannel::CtlStoredChannel(Clock& clock)
    : view_(std::make_unique<CardView>()), editor_(kTVChannelList, *view_, nullptr, clock) {}

CtlStoredChannel::~CtlStoredChannel() = default;

bool CtlStoredChannel::choose(const std::string& name) {
    const QString wanted = QString::fromStdString(name);
    const ChannelList& channels = editor_.list();
    for (int index = 0; index < channels.count(); ++index) {
        // Also as channels tv prints it, with a tab or line break of the name as a space.
        if (channels.at(index).name == wanted || OneLineName(channels.at(index).name) == name) {
            editor_.selectIndex(index);
            return true;
        }
    }
    return false;
}

int CtlStoredChannel::tune(TTunerTools& tools, CtlMessageBoxes& boxes, const std::string& device,
                           std::FILE* err) {
    ChannelEntry* entry = editor_.list().selectedEntry();
    if (!entry) {
        return boxes.fail(err, "no TV channel chosen");
    }
    const std::string name = entry->name.toStdString();
    if (!tools.PrepareTvTuner()) {
        return boxes.fail(err, device + " has no TV tuner");
    }
    // Whatever was said while opening the device did not stop it.
    boxes.flush(err, false);
    CheckedTuner tuner(tools);
    view_->tools = &tools;
    view_->refusedPicture.clear();
    editor_.setTuner(&tuner);
    editor_.select();
    editor_.setTuner(nullptr);
    view_->tools = nullptr;
    if (FAILED(tuner.tuned)) {
        return boxes.fail(err, "the tuner refused " + std::to_string(tuner.tunedHertz) + " Hz");
    }
    // A channel is the tuner's picture and sound, whatever input the card was left on.
    tools.RouteTunerInputs();
    for (const std::string& property : view_->refusedPicture) {
        std::fprintf(err, "warning: %s did not take the %s of %s\n", device.c_str(), property.c_str(),
                     name.c_str());
    }
    if (!tuner.standardTaken()) {
        std::fprintf(err, "warning: %s did not take the video standard of %s\n", device.c_str(),
                     name.c_str());
    }
    return 0;
}
