// SPDX-License-Identifier: GPL-2.0-or-later
#include "property_frames_engine.h"

#include "platform/com/ref_ptr.h"
#include "platform/media/gst/dmo_interfaces.h"

namespace {

constexpr int kFrameOffset = 30;

// The object's page list, freed when it goes.
struct PageList {
    ~PageList() { CoTaskMemFree(pages.pElems); }
    CAUUID pages;
};

bool ReadPages(IUnknown* object, PageList& list) {
    const RefPtr<ISpecifyPropertyPages> specify = query<ISpecifyPropertyPages>(object);
    return specify && SUCCEEDED(specify->GetPages(&list.pages)) && list.pages.cElems > 0;
}

class EnginePropertyFrames final : public PropertyFrames {
public:
    bool Publishes(IUnknown* object) override {
        PageList list;
        return object && ReadPages(object, list);
    }
    bool Open(OAHWND owner, IUnknown* object) override {
        PageList list;
        if (!object || !ReadPages(object, list)) {
            return false;
        }
        IUnknown* objects[] = {object};
        return SUCCEEDED(OleCreatePropertyFrame(owner, kFrameOffset, kFrameOffset, nullptr, 1, objects,
                                                list.pages.cElems, list.pages.pElems, 0));
    }
};

} // namespace

std::unique_ptr<PropertyFrames> MakeEnginePropertyFrames() {
    return std::make_unique<EnginePropertyFrames>();
}
