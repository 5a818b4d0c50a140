// SPDX-License-Identifier: LGPL-2.1-or-later
#pragma once

#include "../../mixer_layout.h"
#include "alsa_layout.h"

#include <map>
#include <memory>
#include <string>

typedef struct _snd_config snd_config_t;

namespace faderix {

// How to reach one card's control interface: an ALSA device name ("hw:0"), optionally resolved in a
// configuration of its own instead of the global one.
struct AlsaCardAddress {
    std::string ctlName;
    std::string configText; // empty: the global ALSA configuration
};

// Sound cards through ALSA's simple mixer: each card a device, playback and capture its destinations, each
// simple element a line, and the element's volume, switch and enumerated parts its controls.
class AlsaMixerBackend final : public LayoutMixerBackend {
public:
    explicit AlsaMixerBackend(const std::vector<AlsaCardAddress>& cards);
    ~AlsaMixerBackend() override;

    // The system's cards ("hw:N"), then ALSA's "default" control device where it is none of them: a sound
    // server's ALSA plug-in (PipeWire, PulseAudio), which may be all there is in a container or a remote
    // session. Empty when there is nothing to open.
    static std::vector<AlsaCardAddress> systemCards();
    // Appends `candidate` to `cards` when it opens and is not one of the hardware cards already listed.
    static void addUnlistedDevice(std::vector<AlsaCardAddress>& cards, const AlsaCardAddress& candidate);

    bool getValue(uint32_t device, const MixerControl& control, std::vector<uint32_t>& values) override;
    bool setValue(uint32_t device, const MixerControl& control, const std::vector<uint32_t>& values) override;

protected:
    const std::vector<LayoutDevice>& devices() override { return layouts_; }

private:
    struct Card;
    struct ControlRef;
    class LayoutBuilder;

    std::vector<std::unique_ptr<Card>> cards_;
    std::vector<LayoutDevice> layouts_;
};

} // namespace faderix
