// SPDX-License-Identifier: GPL-2.0-or-later
#include "com_factory.h"

#include "capture_graph_builder.h"
#include "dmo_wrapper_filter.h"
#include "filter_graph.h"

#include <array>

namespace {

struct ClassEntry {
    Guid classId;
    RefPtr<IUnknown> (*create)();
};

template <typename T, typename Interface> RefPtr<IUnknown> Create() {
    RefPtr<T> object = MakeCom<T>();
    return query<IUnknown>(static_cast<Interface*>(object.get()));
}

constexpr std::array kClasses{
    ClassEntry{CLSID_FilterGraph, &Create<FilterGraph, IGraphBuilder>},
    ClassEntry{CLSID_DMOWrapperFilter, &Create<DmoWrapperFilter, IBaseFilter>},
    ClassEntry{CLSID_CaptureGraphBuilder2, &Create<CaptureGraphBuilder, ICaptureGraphBuilder2>},
};

} // namespace

HRESULT CoCreateInstance(const Guid& classId, IUnknown* outer, std::uint32_t, const Guid& iid,
                         void** object) {
    if (!object) {
        return E_POINTER;
    }
    *object = nullptr;
    if (outer) {
        return CLASS_E_NOAGGREGATION;
    }
    RefPtr<IUnknown> created;
    for (const ClassEntry& entry : kClasses) {
        if (entry.classId == classId) {
            created = entry.create();
        }
    }
    if (!created) {
        if (GstElement* effect = MakeEffectElement(classId)) {
            created =
                query<IUnknown>(static_cast<ISpecifyPropertyPages*>(MakeCom<StandaloneEffect>(effect).get()));
        }
    }
    if (!created) {
        return REGDB_E_CLASSNOTREG;
    }
    return created->QueryInterface(iid, object);
}
