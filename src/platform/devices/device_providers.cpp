// SPDX-License-Identifier: GPL-2.0-or-later
// The one place where device providers register.

#include "device_provider.h"
#include "gst/gst_audio_source_provider.h"
#include "gst/gst_encoder_provider.h"
#include "v4l2/v4l2_provider.h"
#include "virtual/virtual_card_provider.h"

#include <array>
#include <cstdlib>
#include <string_view>

namespace {

struct ProviderRow {
    std::shared_ptr<DeviceProvider> (*make)();
    // Selections of CORVANE_DEVICES that include the provider. Software encoders are no hardware and
    // come with every selection but "none"; the system's audio sources are real hardware.
    bool inVirtual;
    bool inV4l2;
};

std::shared_ptr<DeviceProvider> MakeTheVirtualCardProvider() {
    return MakeVirtualCardProvider();
}

// The virtual card first: it is there on every machine, so the pickers' first entries are the same
// everywhere.
constexpr std::array kProviders = {
    ProviderRow{&MakeTheVirtualCardProvider, true, false},
    ProviderRow{&MakeSystemV4l2Provider, false, true},
    ProviderRow{&MakeGstAudioSourceProvider, false, true},
    ProviderRow{&MakeGstEncoderProvider, true, true},
};

} // namespace

DeviceProviderList SelectedDeviceProviders() {
    const char* env = std::getenv("CORVANE_DEVICES");
    const std::string_view selection = env ? env : "all";
    DeviceProviderList providers;
    if (selection == "none") {
        return providers;
    }
    for (const ProviderRow& row : kProviders) {
        const bool wanted = selection == "virtual" ? row.inVirtual : selection == "v4l2" ? row.inV4l2 : true;
        if (wanted) {
            providers.push_back(row.make());
        }
    }
    return providers;
}
