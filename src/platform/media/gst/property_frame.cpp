// SPDX-License-Identifier: GPL-2.0-or-later
#include "device_controls_dialog.h"
#include "dmo_interfaces.h"

#include "effect_catalog.h"
#include "element_properties.h"
#include "element_settings_dialog.h"
#include "platform/com/ref_ptr.h"

#include <QString>

#include <memory>

namespace {

bool Offers(ULONG pageCount, const Guid* pages, const Guid& page) {
    for (ULONG i = 0; i < pageCount; ++i) {
        if (pages[i] == page) {
            return true;
        }
    }
    return false;
}

// The page the frame can draw for the object: its device controls, or else its element's properties.
std::unique_ptr<PropertyFrameDialog> PageFor(IUnknown* object, ULONG pageCount, const Guid* pages,
                                             const QString& caption, QWidget* owner) {
    if (Offers(pageCount, pages, CLSID_DeviceControlsPage)) {
        if (RefPtr<IDeviceControls> controls = query<IDeviceControls>(object)) {
            return std::make_unique<DeviceControlsDialog>(*controls, caption, owner);
        }
    }
    const RefPtr<IElementProperties> properties = query<IElementProperties>(object);
    if (!properties || !properties->settingsElement()) {
        return nullptr;
    }
    if (Offers(pageCount, pages, CLSID_EffectPropertiesPage)) {
        return std::make_unique<ElementSettingsDialog>(properties->settingsElement(), caption,
                                                       QObject::tr("This effect has no settings."), owner);
    }
    if (Offers(pageCount, pages, CLSID_CompressorPropertiesPage)) {
        return std::make_unique<ElementSettingsDialog>(
            properties->settingsElement(), caption, QObject::tr("This compressor has no settings."), owner);
    }
    return nullptr;
}

} // namespace

HRESULT ListOnePage(CAUUID* pages, const Guid& page) {
    if (!pages) {
        return E_POINTER;
    }
    pages->pElems = static_cast<Guid*>(CoTaskMemAlloc(sizeof(Guid)));
    if (!pages->pElems) {
        return E_OUTOFMEMORY;
    }
    pages->pElems[0] = page;
    pages->cElems = 1;
    return S_OK;
}

HRESULT OleCreatePropertyFrame(QWidget* owner, int x, int y, LPCWSTR caption, ULONG objectCount,
                               IUnknown** objects, ULONG pageCount, const Guid* pages, std::uint32_t) {
    if (objectCount == 0 || !objects || !objects[0] || (pageCount > 0 && !pages)) {
        return E_POINTER;
    }
    std::unique_ptr<PropertyFrameDialog> dialog =
        PageFor(objects[0], pageCount, pages, caption ? QString::fromWCharArray(caption) : QString(), owner);
    if (!dialog) {
        return E_NOINTERFACE;
    }
    if (owner) {
        dialog->move(owner->mapToGlobal(QPoint(x, y)));
    }
    dialog->exec();
    return S_OK;
}
