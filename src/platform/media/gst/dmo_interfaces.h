// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Audio effects: their enumeration, the wrapper filter that hosts one in a graph, and their settings pages.

#include "filter_interfaces.h"

class QWidget;

inline constexpr Guid DMOCATEGORY_AUDIO_EFFECT = Guid::of("{F3602B3F-0592-48DF-A4CD-674721E7EBEB}");
constexpr std::uint32_t DMO_ENUMF_INCLUDE_KEYED = 1;

struct DMO_PARTIAL_MEDIATYPE {
    Guid type;
    Guid subtype;
};

struct IEnumDMO : IUnknown {
    static constexpr Guid IID = Guid::of("{2C3CD98A-2BFA-4A53-9C27-5249BA64BA0F}");

    // Each name is allocated with CoTaskMemAlloc; the caller frees it with CoTaskMemFree.
    virtual HRESULT Next(ULONG count, Guid* classIds, wchar_t** names, ULONG* fetched) = 0;
    virtual HRESULT Skip(ULONG count) = 0;
    virtual HRESULT Reset() = 0;
};

// The installed audio effects in a stable order (by element name).
HRESULT DMOEnum(const Guid& category, std::uint32_t flags, ULONG inputTypeCount,
                const DMO_PARTIAL_MEDIATYPE* inputTypes, ULONG outputTypeCount,
                const DMO_PARTIAL_MEDIATYPE* outputTypes, IEnumDMO** enumerator);

void* CoTaskMemAlloc(std::size_t size);
void CoTaskMemFree(void* memory);

struct IDMOWrapperFilter : IUnknown {
    static constexpr Guid IID = Guid::of("{52D6F586-9F0F-4824-8FC8-E32CA04930C2}");

    // Makes the filter host the effect with that class identifier: pins "in0" and "out0".
    virtual HRESULT Init(const Guid& classId, const Guid& category) = 0;
};

struct CAUUID {
    ULONG cElems = 0;
    Guid* pElems = nullptr; // CoTaskMemAlloc'ed
};

struct ISpecifyPropertyPages : IUnknown {
    static constexpr Guid IID = Guid::of("{B196B28B-BAB4-101A-B69C-00AA00341D07}");

    virtual HRESULT GetPages(CAUUID* pages) = 0;
};

// The settings pages generated from an element's properties (IElementProperties): an effect's and a
// compressor's, which differ only in what they say when there is nothing to set.
inline constexpr Guid CLSID_EffectPropertiesPage = Guid::of("{5C2D7A41-3E0B-4F49-9A8D-2B6F1C07E2A4}");
inline constexpr Guid CLSID_CompressorPropertiesPage = Guid::of("{8A41D3F6-2C7E-4B95-A0D8-6E13F5B2C977}");

// GetPages for an object with the one page given.
HRESULT ListOnePage(CAUUID* pages, const Guid& page);

// A modal frame with the pages of the objects; returns when the user closes it.
HRESULT OleCreatePropertyFrame(QWidget* owner, int x, int y, LPCWSTR caption, ULONG objectCount,
                               IUnknown** objects, ULONG pageCount, const Guid* pages, std::uint32_t locale);
