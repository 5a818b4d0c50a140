// SPDX-License-Identifier: GPL-2.0-or-later
#include "device_controls_dialog.h"
#include "dmo_interfaces.h"

#include "effect_catalog.h"
#include "effect_settings_dialog.h"
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

// The page the frame can draw for the object: its device controls, or else its effect's properties.
std::unique_ptr<PropertyFrameDialog> PageFor(IUnknown* object, ULONG pageCount, const Guid* pages,
                                             const QString& caption, QWidget* owner) {
    if (Offers(pageCount, pages, CLSID_DeviceControlsPage)) {
        if (RefPtr<IDeviceControls> controls = query<IDeviceControls>(object)) {
            return std::make_unique<DeviceControlsDialog>(*controls, caption, owner);
        }
    }
    if (Offers(pageCount, pages, CLSID_EffectPropertiesPage)) {
        RefPtr<IElementProperties> properties = query<IElementProperties>(object);
        if (properties && properties->effectElement()) {
            return std::make_unique<EffectSettingsDialog>(properties->effectElement(), caption, owner);
        }
    }
    return nullptr;
}

} // namespace

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
