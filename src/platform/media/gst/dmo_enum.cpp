// SPDX-License-Identifier: GPL-2.0-or-later
#include "dmo_interfaces.h"

#include "effect_catalog.h"
#include "platform/com/com_object.h"

#include <cstdlib>
#include <cwchar>

void* CoTaskMemAlloc(std::size_t size) {
    return std::malloc(size);
}
void CoTaskMemFree(void* memory) {
    std::free(memory);
}

namespace {

class EffectEnumerator final : public ComObject<IEnumDMO> {
public:
    explicit EffectEnumerator(std::vector<AudioEffectElement> effects) : effects_(std::move(effects)) {}

    HRESULT Next(ULONG count, Guid* classIds, wchar_t** names, ULONG* fetched) override {
        if (!classIds || !names || (count > 1 && !fetched)) {
            return E_POINTER;
        }
        ULONG filled = 0;
        while (filled < count && next_ < effects_.size()) {
            const AudioEffectElement& effect = effects_[next_++];
            const std::size_t bytes = (effect.displayName.size() + 1) * sizeof(wchar_t);
            auto* name = static_cast<wchar_t*>(CoTaskMemAlloc(bytes));
            if (!name) {
                return E_OUTOFMEMORY;
            }
            std::wmemcpy(name, effect.displayName.c_str(), effect.displayName.size() + 1);
            classIds[filled] = effect.classId;
            names[filled] = name;
            ++filled;
        }
        if (fetched) {
            *fetched = filled;
        }
        return filled == count ? S_OK : S_FALSE;
    }
    // S_OK when all the items asked for were skipped, S_FALSE when the list ended first.
    HRESULT Skip(ULONG count) override {
        const std::size_t left = effects_.size() - next_;
        next_ += std::min<std::size_t>(count, left);
        return count <= left ? S_OK : S_FALSE;
    }
    HRESULT Reset() override {
        next_ = 0;
        return S_OK;
    }

private:
    std::vector<AudioEffectElement> effects_;
    std::size_t next_ = 0;
};

} // namespace

HRESULT DMOEnum(const Guid& category, std::uint32_t, ULONG, const DMO_PARTIAL_MEDIATYPE*, ULONG,
                const DMO_PARTIAL_MEDIATYPE*, IEnumDMO** enumerator) {
    if (!enumerator) {
        return E_POINTER;
    }
    *enumerator = nullptr;
    if (category != DMOCATEGORY_AUDIO_EFFECT) {
        return E_INVALIDARG;
    }
    *enumerator = MakeCom<EffectEnumerator>(InstalledAudioEffects()).detach();
    return S_OK;
}
