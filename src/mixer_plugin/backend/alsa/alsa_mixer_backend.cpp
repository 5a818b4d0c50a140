// SPDX-License-Identifier: LGPL-2.1-or-later
#include "alsa_mixer_backend.h"

#include <alsa/asoundlib.h>

#include <algorithm>

namespace faderix {

namespace {

constexpr uint32_t kPlaybackDestination = 0;
constexpr uint32_t kCaptureDestination = 1;
constexpr size_t kMaxDeviceName = 31;
constexpr size_t kMaxName = 63;
// The first channel stands for all: reads take it, writes set every channel alike.
constexpr snd_mixer_selem_channel_id_t kFirstChannel = SND_MIXER_SCHN_FRONT_LEFT;

struct ElementName {
    std::string name;
    unsigned index = 0;
};

std::string lineNameOf(const ElementName& element) {
    const std::string name =
        element.index == 0 ? element.name : element.name + " " + std::to_string(element.index);
    return name.substr(0, kMaxName);
}

bool isCaptureEnum(snd_mixer_elem_t* elem, const std::string& name) {
    return snd_mixer_selem_is_enum_capture(elem) || name.find("Capture") != std::string::npos ||
           name.find("Input") != std::string::npos;
}

} // namespace

enum class ControlPart : uint8_t { Volume, Mute, Enumerated, CaptureGroup };

struct AlsaMixerBackend::ControlRef {
    ElementName element;
    bool capture = false;
    ControlPart part = ControlPart::Volume;
    std::vector<ElementName> members; // a capture group's elements, in item order
};

struct AlsaMixerBackend::Card {
    snd_mixer_t* mixer = nullptr;
    snd_config_t* config = nullptr;
    std::map<uint32_t, ControlRef> controls;

    ~Card() {
        if (mixer != nullptr) {
            snd_mixer_close(mixer);
        }
        if (config != nullptr) {
            snd_config_delete(config);
        }
    }

    snd_mixer_elem_t* find(const ElementName& element) const {
        snd_mixer_selem_id_t* id = nullptr;
        snd_mixer_selem_id_alloca(&id);
        snd_mixer_selem_id_set_name(id, element.name.c_str());
        snd_mixer_selem_id_set_index(id, element.index);
        return snd_mixer_find_selem(mixer, id);
    }
};

namespace {

snd_ctl_t* openControl(const AlsaCardAddress& address, snd_config_t*& config) {
    snd_ctl_t* ctl = nullptr;
    if (address.configText.empty()) {
        return snd_ctl_open(&ctl, address.ctlName.c_str(), 0) == 0 ? ctl : nullptr;
    }
    snd_input_t* input = nullptr;
    if (snd_config_top(&config) < 0) {
        return nullptr;
    }
    if (snd_input_buffer_open(&input, address.configText.data(),
                              static_cast<ssize_t>(address.configText.size())) < 0) {
        return nullptr;
    }
    const int loaded = snd_config_load(config, input);
    snd_input_close(input);
    if (loaded < 0 || snd_ctl_open_lconf(&ctl, address.ctlName.c_str(), 0, config) < 0) {
        return nullptr;
    }
    return ctl;
}

std::string cardNameOf(snd_ctl_t* ctl, const std::string& fallback) {
    snd_ctl_card_info_t* info = nullptr;
    snd_ctl_card_info_alloca(&info);
    std::string name = snd_ctl_card_info(ctl, info) == 0 ? snd_ctl_card_info_get_name(info) : "";
    return (name.empty() ? fallback : name).substr(0, kMaxDeviceName);
}

} // namespace

// Walks one card's simple elements and builds its playback and capture destinations, recording for each
// control ID how it reaches its element.
class AlsaMixerBackend::LayoutBuilder {
public:
    explicit LayoutBuilder(Card& card) : card_(card) {
        playback_.line.info = destinationLine("Playback", component_types::DstSpeakers);
        capture_.line.info = destinationLine("Capture", component_types::DstWaveIn);
    }

    void addElement(snd_mixer_elem_t* elem) {
        const ElementName element{snd_mixer_selem_get_name(elem), snd_mixer_selem_get_index(elem)};
        std::vector<LayoutControl> playbackControls;
        std::vector<LayoutControl> captureControls;
        if (snd_mixer_selem_has_playback_volume(elem)) {
            long min = 0, max = 0;
            snd_mixer_selem_get_playback_volume_range(elem, &min, &max);
            addVolume(playbackControls, element, false, AlsaPart::PlaybackVolume, min, max);
        }
        if (snd_mixer_selem_has_playback_switch(elem)) {
            addMute(playbackControls, element, false, AlsaPart::PlaybackSwitch);
        }
        if (snd_mixer_selem_has_capture_volume(elem)) {
            long min = 0, max = 0;
            snd_mixer_selem_get_capture_volume_range(elem, &min, &max);
            addVolume(captureControls, element, true, AlsaPart::CaptureVolume, min, max);
        }
        if (snd_mixer_selem_has_capture_switch_exclusive(elem)) {
            captureGroups_[snd_mixer_selem_get_capture_group(elem)].push_back(element);
        } else if (snd_mixer_selem_has_capture_switch(elem)) {
            addMute(captureControls, element, true, AlsaPart::CaptureSwitch);
        }
        if (snd_mixer_selem_is_enumerated(elem)) {
            addEnumerated(elem, element, playbackControls);
        }

        const bool mono = snd_mixer_selem_is_playback_mono(elem);
        addLine(playback_, element, element.index == 0 && element.name == "Master", mono, playbackControls);
        addLine(capture_, element, element.index == 0 && element.name == "Capture", mono, captureControls);
    }

    LayoutDevice finish(std::string name) {
        // Exclusive capture switches select one source among several: a recording source selector.
        for (auto& [group, members] : captureGroups_) {
            const ElementName selector{"Capture Source", static_cast<unsigned>(group)};
            LayoutControl& list = add(capture_.line.controls, selector, true, ControlPart::CaptureGroup,
                                      AlsaPart::Enumerated, control_types::Mux, "Capture Source", 0, 0);
            for (const ElementName& member : members) {
                list.itemTexts.push_back(lineNameOf(member));
            }
            makeList(list);
            card_.controls[list.info.id].members = members;
        }
        LayoutDevice device;
        device.name = std::move(name);
        device.destinations.push_back(std::move(playback_));
        if (!capture_.line.controls.empty() || !capture_.sources.empty()) {
            device.destinations.push_back(std::move(capture_));
        }
        finishLayout(device);
        return device;
    }

private:
    static MixerLine destinationLine(const char* name, uint32_t componentType) {
        MixerLine line;
        line.name = name;
        line.componentType = componentType;
        line.channels = 2;
        return line;
    }

    static void makeList(LayoutControl& list) {
        list.info.items = static_cast<uint32_t>(list.itemTexts.size());
        list.info.flags |= mixer_flags::Multiple;
    }

    LayoutControl& add(std::vector<LayoutControl>& controls, const ElementName& element, bool capture,
                       ControlPart part, AlsaPart idPart, uint32_t type, const std::string& name, long min,
                       long max) {
        uint32_t id = alsaControlId(element.name, element.index, idPart);
        while (card_.controls.count(id) != 0) {
            ++id; // a hash collision within one card: the later element moves on
        }
        card_.controls[id] = ControlRef{element, capture, part, {}};
        LayoutControl control;
        control.info = MixerControl{id,
                                    type,
                                    mixer_flags::Uniform,
                                    0,
                                    name.substr(0, kMaxName),
                                    static_cast<uint32_t>(min),
                                    static_cast<uint32_t>(max)};
        controls.push_back(std::move(control));
        return controls.back();
    }

    void addVolume(std::vector<LayoutControl>& controls, const ElementName& element, bool capture,
                   AlsaPart idPart, long min, long max) {
        add(controls, element, capture, ControlPart::Volume, idPart,
            min < 0 ? control_types::SignedSlider : control_types::Volume, "Volume", min, max);
    }

    void addMute(std::vector<LayoutControl>& controls, const ElementName& element, bool capture,
                 AlsaPart idPart) {
        add(controls, element, capture, ControlPart::Mute, idPart, control_types::Mute, "Mute", 0, 1);
    }

    // A capture selector ("Input Source") belongs to the capture destination; any other enumeration is a
    // list on the element's own playback line.
    void addEnumerated(snd_mixer_elem_t* elem, const ElementName& element,
                       std::vector<LayoutControl>& playbackControls) {
        const bool onCapture = isCaptureEnum(elem, element.name);
        LayoutControl& list =
            add(onCapture ? capture_.line.controls : playbackControls, element, onCapture,
                ControlPart::Enumerated, AlsaPart::Enumerated, control_types::Mux, lineNameOf(element), 0, 0);
        const int items = std::max(0, snd_mixer_selem_get_enum_items(elem));
        for (int item = 0; item < items; ++item) {
            char text[64] = {};
            snd_mixer_selem_get_enum_item_name(elem, static_cast<unsigned>(item), sizeof text - 1, text);
            list.itemTexts.emplace_back(text);
        }
        makeList(list);
    }

    static void addLine(LayoutDestination& destination, const ElementName& element, bool isDestinationElement,
                        bool mono, std::vector<LayoutControl>& controls) {
        if (controls.empty()) {
            return;
        }
        if (isDestinationElement) {
            for (LayoutControl& control : controls) {
                destination.line.controls.push_back(std::move(control));
            }
            return;
        }
        LayoutLine line;
        line.info.name = lineNameOf(element);
        line.info.componentType = alsaComponentType(element.name);
        line.info.channels = mono ? 1 : 2;
        line.controls = std::move(controls);
        destination.sources.push_back(std::move(line));
    }

    Card& card_;
    LayoutDestination playback_;
    LayoutDestination capture_;
    std::map<int, std::vector<ElementName>> captureGroups_;
};

namespace {

// Opens a card's control interface and loads its simple mixer; the mixer then owns the control handle.
snd_mixer_t* openMixer(snd_ctl_t* ctl) {
    snd_hctl_t* hctl = nullptr;
    if (snd_hctl_open_ctl(&hctl, ctl) < 0) {
        snd_ctl_close(ctl);
        return nullptr;
    }
    snd_mixer_t* mixer = nullptr;
    if (snd_mixer_open(&mixer, 0) < 0) {
        snd_hctl_close(hctl);
        return nullptr;
    }
    if (snd_mixer_attach_hctl(mixer, hctl) < 0) {
        snd_hctl_close(hctl);
        snd_mixer_close(mixer);
        return nullptr;
    }
    if (snd_mixer_selem_register(mixer, nullptr, nullptr) < 0 || snd_mixer_load(mixer) < 0) {
        snd_mixer_close(mixer);
        return nullptr;
    }
    return mixer;
}

} // namespace

AlsaMixerBackend::AlsaMixerBackend(const std::vector<AlsaCardAddress>& addresses) {
    for (const AlsaCardAddress& address : addresses) {
        auto card = std::make_unique<Card>();
        snd_ctl_t* ctl = openControl(address, card->config);
        if (ctl == nullptr) {
            continue;
        }
        const std::string name = cardNameOf(ctl, address.ctlName);
        card->mixer = openMixer(ctl);
        if (card->mixer == nullptr) {
            continue;
        }
        LayoutBuilder builder(*card);
        for (snd_mixer_elem_t* elem = snd_mixer_first_elem(card->mixer); elem != nullptr;
             elem = snd_mixer_elem_next(elem)) {
            if (snd_mixer_selem_is_active(elem)) {
                builder.addElement(elem);
            }
        }
        layouts_.push_back(builder.finish(name));
        cards_.push_back(std::move(card));
    }
}

AlsaMixerBackend::~AlsaMixerBackend() = default;

namespace {

// Whether an open control device is the hardware card of one of the addresses ("hw:N").
bool isListedCard(snd_ctl_t* ctl, const std::vector<AlsaCardAddress>& cards) {
    if (snd_ctl_type(ctl) != SND_CTL_TYPE_HW) {
        return false;
    }
    snd_ctl_card_info_t* info = nullptr;
    snd_ctl_card_info_alloca(&info);
    if (snd_ctl_card_info(ctl, info) < 0) {
        return false;
    }
    const std::string name = "hw:" + std::to_string(snd_ctl_card_info_get_card(info));
    return std::any_of(cards.begin(), cards.end(),
                       [&](const AlsaCardAddress& card) { return card.ctlName == name; });
}

} // namespace

std::vector<AlsaCardAddress> AlsaMixerBackend::systemCards() {
    std::vector<AlsaCardAddress> cards;
    int card = -1;
    while (snd_card_next(&card) == 0 && card >= 0) {
        cards.push_back({"hw:" + std::to_string(card), {}});
    }
    addUnlistedDevice(cards, {"default", {}});
    return cards;
}

void AlsaMixerBackend::addUnlistedDevice(std::vector<AlsaCardAddress>& cards,
                                         const AlsaCardAddress& candidate) {
    snd_config_t* config = nullptr;
    if (snd_ctl_t* ctl = openControl(candidate, config)) {
        if (!isListedCard(ctl, cards)) {
            cards.push_back(candidate);
        }
        snd_ctl_close(ctl);
    }
    if (config != nullptr) {
        snd_config_delete(config);
    }
}

bool AlsaMixerBackend::getValue(uint32_t device, const MixerControl& control, std::vector<uint32_t>& values) {
    if (device >= cards_.size()) {
        return false;
    }
    Card& card = *cards_[device];
    const auto found = card.controls.find(control.id);
    if (found == card.controls.end()) {
        return false;
    }
    // Changes made elsewhere arrive as events; taking them first keeps the cached values current.
    snd_mixer_handle_events(card.mixer);
    const ControlRef& ref = found->second;
    if (ref.part == ControlPart::CaptureGroup) {
        values.clear();
        for (const ElementName& member : ref.members) {
            snd_mixer_elem_t* elem = card.find(member);
            int on = 0;
            if (elem == nullptr || snd_mixer_selem_get_capture_switch(elem, kFirstChannel, &on) < 0) {
                return false;
            }
            values.push_back(on ? 1 : 0);
        }
        return true;
    }
    snd_mixer_elem_t* elem = card.find(ref.element);
    if (elem == nullptr) {
        return false;
    }
    switch (ref.part) {
    case ControlPart::Volume: {
        long value = 0;
        const int err = ref.capture ? snd_mixer_selem_get_capture_volume(elem, kFirstChannel, &value)
                                    : snd_mixer_selem_get_playback_volume(elem, kFirstChannel, &value);
        values.assign(1, static_cast<uint32_t>(value));
        return err == 0;
    }
    case ControlPart::Mute: {
        int on = 0;
        const int err = ref.capture ? snd_mixer_selem_get_capture_switch(elem, kFirstChannel, &on)
                                    : snd_mixer_selem_get_playback_switch(elem, kFirstChannel, &on);
        values.assign(1, on ? 0 : 1);
        return err == 0;
    }
    default: {
        unsigned item = 0;
        if (snd_mixer_selem_get_enum_item(elem, kFirstChannel, &item) < 0) {
            return false;
        }
        const int items = std::max(0, snd_mixer_selem_get_enum_items(elem));
        values.assign(static_cast<size_t>(items), 0);
        if (item < values.size()) {
            values[item] = 1;
        }
        return true;
    }
    }
}

bool AlsaMixerBackend::setValue(uint32_t device, const MixerControl& control,
                                const std::vector<uint32_t>& values) {
    if (device >= cards_.size() || values.empty()) {
        return false;
    }
    Card& card = *cards_[device];
    const auto found = card.controls.find(control.id);
    if (found == card.controls.end()) {
        return false;
    }
    const ControlRef& ref = found->second;
    // A selector holds one source: the first selected item wins; with none selected nothing changes.
    const auto firstSelected = std::find(values.begin(), values.end(), 1u) - values.begin();
    int err = -1;
    if (ref.part == ControlPart::CaptureGroup) {
        if (static_cast<size_t>(firstSelected) < ref.members.size()) {
            if (snd_mixer_elem_t* elem = card.find(ref.members[firstSelected])) {
                err = snd_mixer_selem_set_capture_switch_all(elem, 1);
            }
        }
    } else if (snd_mixer_elem_t* elem = card.find(ref.element)) {
        switch (ref.part) {
        case ControlPart::Volume:
            err = ref.capture
                      ? snd_mixer_selem_set_capture_volume_all(elem, static_cast<int32_t>(values[0]))
                      : snd_mixer_selem_set_playback_volume_all(elem, static_cast<int32_t>(values[0]));
            break;
        case ControlPart::Mute:
            err = ref.capture ? snd_mixer_selem_set_capture_switch_all(elem, values[0] ? 0 : 1)
                              : snd_mixer_selem_set_playback_switch_all(elem, values[0] ? 0 : 1);
            break;
        default:
            if (static_cast<size_t>(firstSelected) < values.size()) {
                err =
                    snd_mixer_selem_set_enum_item(elem, kFirstChannel, static_cast<unsigned>(firstSelected));
                for (int channel = kFirstChannel + 1; channel <= SND_MIXER_SCHN_LAST; ++channel) {
                    snd_mixer_selem_set_enum_item(elem, static_cast<snd_mixer_selem_channel_id_t>(channel),
                                                  static_cast<unsigned>(firstSelected));
                }
            }
            break;
        }
    }
    snd_mixer_handle_events(card.mixer);
    return err == 0;
}

} // namespace faderix
