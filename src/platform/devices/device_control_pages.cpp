// SPDX-License-Identifier: GPL-2.0-or-later
#include "device_control_pages.h"

#include <algorithm>

namespace {

const DeviceControlEntry* Find(const std::vector<DeviceControlEntry>& entries, std::uint32_t id) {
    auto found = std::find_if(entries.begin(), entries.end(),
                              [id](const DeviceControlEntry& entry) { return entry.control.id == id; });
    return found == entries.end() ? nullptr : &*found;
}

bool Accepts(const DeviceControl& control, std::int32_t value) {
    switch (control.kind) {
    case DeviceControl::Kind::Integer:
        return value >= control.minimum && value <= control.maximum;
    case DeviceControl::Kind::Boolean:
        return value == 0 || value == 1;
    case DeviceControl::Kind::Menu:
        return std::any_of(control.items.begin(), control.items.end(),
                           [value](const DeviceControlItem& item) { return item.value == value; });
    case DeviceControl::Kind::Button:
        return true;
    }
    return false;
}

} // namespace

void* DeviceControlPages::answer(const Guid& iid) {
    if (iid == ISpecifyPropertyPages::IID) {
        return static_cast<ISpecifyPropertyPages*>(this);
    }
    return iid == IDeviceControls::IID ? static_cast<IDeviceControls*>(this) : nullptr;
}

HRESULT DeviceControlPages::GetPages(CAUUID* pages) {
    if (!pages) {
        return E_POINTER;
    }
    // Nothing to set is no page: the object then offers no settings dialog at all.
    if (entries_().empty()) {
        *pages = CAUUID{};
        return S_OK;
    }
    pages->pElems = static_cast<Guid*>(CoTaskMemAlloc(sizeof(Guid)));
    if (!pages->pElems) {
        pages->cElems = 0;
        return E_OUTOFMEMORY;
    }
    pages->pElems[0] = CLSID_DeviceControlsPage;
    pages->cElems = 1;
    return S_OK;
}

std::vector<DeviceControl> DeviceControlPages::controls() {
    std::vector<DeviceControl> list;
    for (DeviceControlEntry& entry : entries_()) {
        list.push_back(std::move(entry.control));
    }
    return list;
}

HRESULT DeviceControlPages::GetValue(std::uint32_t id, std::int32_t* value) {
    if (!value) {
        return E_POINTER;
    }
    const std::vector<DeviceControlEntry> entries = entries_();
    const DeviceControlEntry* entry = Find(entries, id);
    if (!entry || entry->control.kind == DeviceControl::Kind::Button || !entry->get) {
        return E_PROP_ID_UNSUPPORTED;
    }
    *value = entry->get();
    return S_OK;
}

HRESULT DeviceControlPages::SetValue(std::uint32_t id, std::int32_t value) {
    const std::vector<DeviceControlEntry> entries = entries_();
    const DeviceControlEntry* entry = Find(entries, id);
    if (!entry) {
        return E_PROP_ID_UNSUPPORTED;
    }
    if (entry->control.readOnly || !entry->set) {
        return E_ACCESSDENIED;
    }
    if (!Accepts(entry->control, value)) {
        return E_INVALIDARG;
    }
    return entry->set(value) ? S_OK : E_INVALIDARG;
}
