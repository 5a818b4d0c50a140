#include "device_moniker.h"

#include <algorithm>

namespace {

class MonikerEnumerator final : public ComObject<IEnumMoniker> {
public:
    explicit MonikerEnumerator(std::vector<RefPtr<IMoniker>> monikers) : monikers_(std::move(monikers)) {}

    HRESULT Next(ULONG count, IMoniker** out, ULONG* fetched) override {
        if (!out || (count > 1 && !fetched)) {
            return E_POINTER;
        }
        ULONG given = 0;
        for (; given < count && next_ < monikers_.size(); ++given, ++next_) {
            out[given] = RefPtr<IMoniker>(monikers_[next_]).detach();
        }
        if (fetched) {
            *fetched = given;
        }
        return given == count ? S_OK : S_FALSE;
    }
    HRESULT Skip(ULONG count) override {
        const std::size_t left = monikers_.size() - next_;
        next_ += std::min<std::size_t>(count, left);
        return count <= left ? S_OK : S_FALSE;
    }
    HRESULT Reset() override {
        next_ = 0;
        return S_OK;
    }

private:
    std::vector<RefPtr<IMoniker>> monikers_;
    std::size_t next_ = 0;
};

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
        *enumerator = MakeCom<MonikerEnumerator>(std::move(monikers)).detach();
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
