// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// An enumerator over a snapshot of objects taken when it was made, as the component model's enumerators work.

#include "platform/com/com_object.h"

#include <vector>

template <typename Enum, typename Item> class SnapshotEnumerator final : public ComObject<Enum> {
public:
    explicit SnapshotEnumerator(std::vector<RefPtr<Item>> items) : items_(std::move(items)) {}

    HRESULT Next(ULONG count, Item** out, ULONG* fetched) override {
        if (!out || (count > 1 && !fetched)) {
            return E_POINTER;
        }
        ULONG filled = 0;
        while (filled < count && next_ < items_.size()) {
            out[filled] = items_[next_].get();
            out[filled]->AddRef();
            ++filled;
            ++next_;
        }
        if (fetched) {
            *fetched = filled;
        }
        return filled == count ? S_OK : S_FALSE;
    }
    HRESULT Skip(ULONG count) override {
        const std::size_t left = items_.size() - next_;
        if (count > left) {
            next_ = items_.size();
            return S_FALSE;
        }
        next_ += count;
        return S_OK;
    }
    HRESULT Reset() override {
        next_ = 0;
        return S_OK;
    }

private:
    std::vector<RefPtr<Item>> items_;
    std::size_t next_ = 0;
};
