// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Creation of the engine's objects by class identifier, as the component model creates them.

#include "platform/com/unknown.h"

inline constexpr Guid CLSID_FilterGraph = Guid::of("{E436EBB3-524F-11CE-9F53-0020AF0BA770}");
inline constexpr Guid CLSID_DMOWrapperFilter = Guid::of("{94297043-BD82-4DFD-B0DE-8177739C6D20}");

constexpr std::uint32_t CLSCTX_INPROC_SERVER = 0x1;

// The filter graph, the effect wrapper, or an effect itself (by the class identifier DMOEnum lists).
// REGDB_E_CLASSNOTREG for anything else.
HRESULT CoCreateInstance(const Guid& classId, IUnknown* outer, std::uint32_t context, const Guid& iid,
                         void** object);

constexpr HRESULT REGDB_E_CLASSNOTREG = MakeHResult(0x80040154u);
constexpr HRESULT CLASS_E_NOAGGREGATION = MakeHResult(0x80040110u);
