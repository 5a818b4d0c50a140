// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/devices/device_provider.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// A provider with fixed devices in one category; binding hands out the moniker's bag as a stand-in object.
class ListProvider final : public DeviceProvider {
public:
    ListProvider(const char* name, Guid category, std::vector<std::string> names)
        : name_(name), category_(category), names_(std::move(names)) {}
    const char* name() const override { return name_; }
    std::vector<DeviceDescription> devices(const Guid& category) override {
        std::vector<DeviceDescription> out;
        if (category == category_) {
            for (std::size_t i = 0; i < names_.size(); ++i) {
                out.push_back({names_[i], std::to_string(i), [this, i](const Guid&, void**) {
                                   lastBound = static_cast<int>(i);
                                   return E_NOINTERFACE;
                               }});
            }
        }
        return out;
    }
    int lastBound = -1;

private:
    const char* name_;
    Guid category_;
    std::vector<std::string> names_;
};

std::vector<RefPtr<IMoniker>> Enumerate(ICreateDevEnum* devEnum, const Guid& category) {
    std::vector<RefPtr<IMoniker>> monikers;
    RefPtr<IEnumMoniker> en;
    if (devEnum->CreateClassEnumerator(category, en.put(), 0) != S_OK) {
        return monikers;
    }
    en->Reset();
    IMoniker* m = nullptr;
    while (en->Next(1, &m, nullptr) == S_OK) {
        monikers.push_back(RefPtr<IMoniker>::adopt(m));
    }
    return monikers;
}

std::string FriendlyName(IMoniker* moniker) {
    RefPtr<IPropertyBag> bag;
    if (FAILED(moniker->BindToStorage(nullptr, nullptr, IPropertyBag::IID,
                                      reinterpret_cast<void**>(bag.put())))) {
        return "<no bag>";
    }
    std::string name;
    return SUCCEEDED(bag->Read("FriendlyName", &name)) ? name : "<no name>";
}

TEST(DeviceEnum, ListsProvidersInOrderWithNamesAndIdentity) {
    auto first = std::make_shared<ListProvider>("one", CLSID_VideoInputDeviceCategory,
                                                std::vector<std::string>{"Card", "Card"});
    auto second = std::make_shared<ListProvider>("two", CLSID_VideoInputDeviceCategory,
                                                 std::vector<std::string>{"Webcam"});
    auto devEnum = MakeDeviceEnum({first, second});

    auto monikers = Enumerate(devEnum.get(), CLSID_VideoInputDeviceCategory);
    ASSERT_EQ(monikers.size(), 3u);
    EXPECT_EQ(FriendlyName(monikers[0].get()), "Card");
    EXPECT_EQ(FriendlyName(monikers[1].get()), "Card");
    EXPECT_EQ(FriendlyName(monikers[2].get()), "Webcam");

    // Same device from a second enumeration is equal; a device with the same name is not.
    auto again = Enumerate(devEnum.get(), CLSID_VideoInputDeviceCategory);
    EXPECT_EQ(monikers[1]->IsEqual(again[1].get()), S_OK);
    EXPECT_EQ(monikers[0]->IsEqual(again[1].get()), S_FALSE);

    void* object = nullptr;
    EXPECT_EQ(monikers[1]->BindToObject(nullptr, nullptr, IUnknown::IID, &object), E_NOINTERFACE);
    EXPECT_EQ(first->lastBound, 1);
    RefPtr<IPropertyBag> bag;
    ASSERT_EQ(
        monikers[2]->BindToStorage(nullptr, nullptr, IPropertyBag::IID, reinterpret_cast<void**>(bag.put())),
        S_OK);
    std::string value;
    EXPECT_EQ(bag->Read("DevicePath", &value), E_INVALIDARG);
}

TEST(DeviceEnum, EmptyCategoryGivesSFalseAndNoEnumerator) {
    auto devEnum = MakeDeviceEnum({std::make_shared<ListProvider>("one", CLSID_VideoInputDeviceCategory,
                                                                  std::vector<std::string>{"Card"})});
    IEnumMoniker* en = reinterpret_cast<IEnumMoniker*>(0x1);
    EXPECT_EQ(devEnum->CreateClassEnumerator(AM_KSCATEGORY_TVTUNER, &en, 0), S_FALSE);
    EXPECT_EQ(en, nullptr);
    EXPECT_EQ(MakeDeviceEnum({})->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, &en, 0), S_FALSE);
}

TEST(DeviceEnum, EnumeratorFetchesSkipsAndResets) {
    auto devEnum = MakeDeviceEnum({std::make_shared<ListProvider>("one", CLSID_AudioCompressorCategory,
                                                                  std::vector<std::string>{"a", "b", "c"})});
    RefPtr<IEnumMoniker> en;
    ASSERT_EQ(devEnum->CreateClassEnumerator(CLSID_AudioCompressorCategory, en.put(), 0), S_OK);
    IMoniker* got[4] = {};
    ULONG fetched = 0;
    EXPECT_EQ(en->Skip(1), S_OK);
    EXPECT_EQ(en->Next(4, got, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 2u);
    EXPECT_EQ(FriendlyName(got[0]), "b");
    got[0]->Release();
    got[1]->Release();
    EXPECT_EQ(en->Skip(1), S_FALSE);
    en->Reset();
    EXPECT_EQ(en->Next(1, got, nullptr), S_OK);
    EXPECT_EQ(FriendlyName(got[0]), "a");
    got[0]->Release();
}

TEST(DeviceEnum, SelectionNoneHasNoProviders) {
    setenv("CORVANE_DEVICES", "none", 1);
    EXPECT_TRUE(SelectedDeviceProviders().empty());
    setenv("CORVANE_DEVICES", "virtual", 1);
    const auto virtualOnly = SelectedDeviceProviders();
    unsetenv("CORVANE_DEVICES");
    // Encoders are software and stay; the system's audio sources are hardware and do not: the only sound
    // source left is the virtual card's own.
    for (const auto& provider : virtualOnly) {
        const auto sources = provider->devices(CLSID_AudioInputDeviceCategory);
        if (std::string(provider->name()) == "virtual") {
            ASSERT_EQ(sources.size(), 1u);
            EXPECT_EQ(sources[0].friendlyName, "Corvane Virtual TV Card Audio");
        } else {
            EXPECT_TRUE(sources.empty()) << provider->name();
        }
    }
    EXPECT_GE(SelectedDeviceProviders().size(), virtualOnly.size());
}

} // namespace
