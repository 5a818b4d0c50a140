// SPDX-License-Identifier: GPL-2.0-or-later
#include "card_search_devices.h"

#include "../radio/radio_card.h"
#include "../tv/card_tools.h"
#include "radio/radio_channel_tuner.h"
#include "radio/radio_tools.h"
#include "tv/tuner_channel_tuner.h"

namespace {

std::function<void(CardDefinition&)> Arrange(CardAfc afc) {
    return [afc](CardDefinition& card) {
        card.afc = afc != CardAfc::None;
        card.faults.setProperty = afc == CardAfc::RefusesTuning;
    };
}

std::vector<std::string> Texts(const RecordingMessageBoxes& boxes) {
    std::vector<std::string> texts;
    for (const auto& box : boxes.shown()) {
        texts.push_back(box.text.toStdString());
    }
    return texts;
}

class TvDevice final : public CardSearchDevice {
public:
    explicit TvDevice(CardAfc afc) : card_(Arrange(afc)) {
        card_.select();
        card_.tools.PrepareTvTuner();
    }
    SearchTuner& tuner() override { return tuner_; }
    std::vector<std::string> shown() const override { return card_.shown(); }

private:
    CardTools card_;
    TunerChannelTuner tuner_{card_.tools};
};

class RadioDevice final : public CardSearchDevice {
public:
    RadioDevice(IMoniker* tuner, IMoniker* tvAudio, IMoniker* crossbar)
        : tools_(tuner, tvAudio, crossbar, {boxes_}) {}
    SearchTuner& tuner() override { return tuner_; }
    std::vector<std::string> shown() const override { return Texts(boxes_); }

private:
    RecordingMessageBoxes boxes_;
    TRadioTools tools_;
    RadioChannelTuner tuner_{tools_};
};

// Keeps the card's devices alive beside the radio object.
class RadioCardDevice final : public CardSearchDevice {
public:
    RadioCardDevice(bool tunerOnly, CardAfc afc)
        : radio_(Arrange(afc)), device_(radio_.tuner.get(), tunerOnly ? nullptr : radio_.tvAudio.get(),
                                        tunerOnly ? nullptr : radio_.crossbar.get()) {}
    SearchTuner& tuner() override { return device_.tuner(); }
    std::vector<std::string> shown() const override { return device_.shown(); }

private:
    RadioCard radio_;
    RadioDevice device_;
};

} // namespace

std::unique_ptr<CardSearchDevice> MakeTvCardSearchDevice(CardAfc afc) {
    return std::make_unique<TvDevice>(afc);
}

std::unique_ptr<CardSearchDevice> MakeRadioCardSearchDevice(bool tunerOnly, CardAfc afc) {
    return std::make_unique<RadioCardDevice>(tunerOnly, afc);
}

std::unique_ptr<CardSearchDevice> MakeAbsentRadioSearchDevice() {
    return std::make_unique<RadioDevice>(nullptr, nullptr, nullptr);
}
