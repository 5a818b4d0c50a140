// SPDX-License-Identifier: GPL-2.0-or-later
#include "device_moniker.h"

#include "platform/com/snapshot_enumerator.h"

namespace {

class DeviceEnum final : public ComObject<ICreateDevEnum> {
public:
    explicit DeviceEnum(DeviceProviderList providers) : providers_(std::move(providers)) {}

    HRESULT CreateClassEnumerator(const Guid& category, IEnumMoniker** enumerator, std::uint32_t) override {
        if (!enumerator) {
            return E_POINTER;
        }
        *enumerator = nullptr;
        std::vector<RefPtr<IMoniker>> monikers;
        for (const auto& provider : providers_) {
            for (DeviceDescription& device : provider->devices(category)) {
                monikers.push_back(MakeCom<DeviceMoniker>(provider->name(), std::move(device)));
            }
        }
        if (monikers.empty()) {
            return S_FALSE;
        }
        *enumerator = MakeCom<SnapshotEnumerator<IEnumMoniker, IMoniker>>(std::move(monikers)).detach();
        return S_OK;
    }

private:
    DeviceProviderList providers_;
};

} // namespace

RefPtr<ICreateDevEnum> MakeDeviceEnum(DeviceProviderList providers) {
    return MakeCom<DeviceEnum>(std::move(providers));
}

HRESULT CreateSystemDeviceEnum(ICreateDevEnum** enumerator) {
    if (!enumerator) {
        return E_POINTER;
    }
    *enumerator = MakeDeviceEnum(SelectedDeviceProviders()).detach();
    return S_OK;
}
