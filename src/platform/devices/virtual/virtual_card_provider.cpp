// SPDX-License-Identifier: GPL-2.0-or-later
#include "virtual_card_provider.h"

#include "front_end_filters.h"
#include "virtual_audio_filter.h"
#include "virtual_capture_filter.h"

const char* const kVirtualCardName = "Corvane Virtual TV Card";
const char* const kVirtualCardAudioName = "Corvane Virtual TV Card Audio";

namespace {

template <typename Filter, typename... Args> HRESULT Bind(const Guid& iid, void** object, Args&&... args) {
    if (!object) {
        return E_POINTER;
    }
    *object = nullptr;
    RefPtr<Filter> filter = MakeCom<Filter>(std::forward<Args>(args)...);
    return filter->QueryInterface(iid, object);
}

class VirtualCardProvider final : public DeviceProvider {
public:
    explicit VirtualCardProvider(std::shared_ptr<VirtualCard> card) : card_(std::move(card)) {}

    const char* name() const override { return "virtual"; }

    std::vector<DeviceDescription> devices(const Guid& category) override {
        std::shared_ptr<VirtualCard> card = card_;
        // A card told to fail its binds fails every one of them, as a card whose driver does not load.
        auto bind = [card](auto make) {
            return [card, make](const Guid& iid, void** object) -> HRESULT {
                if (object) {
                    *object = nullptr;
                }
                return card->faults().bind ? E_FAIL : make(card, iid, object);
            };
        };
        if (category == CLSID_VideoInputDeviceCategory) {
            return {{kVirtualCardName, "video", bind([](auto c, const Guid& iid, void** o) {
                         return Bind<VirtualCaptureFilter>(iid, o, c);
                     })}};
        }
        if (category == CLSID_AudioInputDeviceCategory) {
            return {{kVirtualCardAudioName, "audio", bind([](auto c, const Guid& iid, void** o) {
                         return Bind<VirtualAudioFilter>(iid, o, c);
                     })}};
        }
        if (category == AM_KSCATEGORY_TVTUNER) {
            // The card's sound reaches the program through its audio capture device.
            return {{.friendlyName = kVirtualCardName,
                     .id = "tuner",
                     .bind = bind([](auto c, const Guid& iid, void** o) {
                         return Bind<VirtualTunerFilter>(iid, o, c);
                     }),
                     .soundId = "audio"}};
        }
        if (category == AM_KSCATEGORY_TVAUDIO) {
            return {{kVirtualCardName, "tvaudio", bind([](auto c, const Guid& iid, void** o) {
                         return Bind<VirtualTvAudioFilter>(iid, o, c);
                     })}};
        }
        if (category == AM_KSCATEGORY_CROSSBAR) {
            // The crossbar in front of the decoder: the one that routes the tuner's sound to the card's
            // output.
            return {{kVirtualCardName, "crossbar", bind([](auto c, const Guid& iid, void** o) {
                         return Bind<VirtualCrossbarFilter>(iid, o, c, 0);
                     })}};
        }
        return {};
    }

private:
    std::shared_ptr<VirtualCard> card_;
};

} // namespace

std::shared_ptr<DeviceProvider> MakeVirtualCardProvider(std::shared_ptr<VirtualCard> card) {
    return std::make_shared<VirtualCardProvider>(std::move(card));
}

std::shared_ptr<DeviceProvider> MakeVirtualCardProvider() {
    return MakeVirtualCardProvider(TheVirtualCard());
}
