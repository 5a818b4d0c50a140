#include "dmo_interfaces.h"

#include "effect_catalog.h"
#include "effect_settings_dialog.h"
#include "platform/com/ref_ptr.h"

#include <QString>

HRESULT OleCreatePropertyFrame(QWidget* owner, int x, int y, LPCWSTR caption, ULONG objectCount,
                               IUnknown** objects, ULONG pageCount, const Guid* pages, std::uint32_t) {
    if (objectCount == 0 || !objects || !objects[0] || (pageCount > 0 && !pages)) {
        return E_POINTER;
    }
    bool effectPage = false;
    for (ULONG i = 0; i < pageCount; ++i) {
        effectPage = effectPage || pages[i] == CLSID_EffectPropertiesPage;
    }
    RefPtr<IElementProperties> properties = query<IElementProperties>(objects[0]);
    if (!effectPage || !properties || !properties->effectElement()) {
        return E_NOINTERFACE;
    }
    EffectSettingsDialog dialog(properties->effectElement(),
                                caption ? QString::fromWCharArray(caption) : QString(), owner);
    if (owner) {
        dialog.move(owner->mapToGlobal(QPoint(x, y)));
    }
    dialog.exec();
    return S_OK;
}
