// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Shared pieces of the engine tests: a graph made the way the player makes it, and a receiver that counts the
// messages the graph posts.

#include "media_test_support.h"
#include "platform/com/ref_ptr.h"
#include "platform/media/gst/com_factory.h"
#include "platform/media/gst/control_interfaces.h"
#include "platform/media/gst/filter_interfaces.h"
#include "platform/win/message_receiver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// The graph posts to receiver; messages lists what came, in order.
struct MessageCounter {
    std::vector<UINT> messages;
    MessageReceiver receiver{
        [this](const WindowMessageEvent& message) { messages.push_back(message.message()); }};
};

inline RefPtr<IGraphBuilder> MakeGraph() {
    RefPtr<IGraphBuilder> graph;
    EXPECT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IGraphBuilder::IID,
                               reinterpret_cast<void**>(graph.put())),
              S_OK);
    return graph;
}

inline std::vector<std::wstring> FilterNames(IGraphBuilder* graph) {
    std::vector<std::wstring> names;
    RefPtr<IEnumFilters> filters;
    graph->EnumFilters(filters.put());
    IBaseFilter* filter = nullptr;
    while (filters->Next(1, &filter, nullptr) == S_OK) {
        FILTER_INFO info;
        filter->QueryFilterInfo(&info);
        names.emplace_back(info.achName);
        filter->Release();
    }
    return names;
}

// Adds the file's source and renders it; returns Render's result (or AddSourceFilter's when that fails).
inline HRESULT RenderFile(IGraphBuilder* graph, const QString& path) {
    RefPtr<IBaseFilter> source;
    const std::wstring wide = path.toStdWString();
    HRESULT result = graph->AddSourceFilter(wide.c_str(), wide.c_str(), source.put());
    if (FAILED(result)) {
        return result;
    }
    RefPtr<IPin> output;
    result = source->FindPin(L"Output", output.put());
    return FAILED(result) ? result : graph->Render(output.get());
}

constexpr REFERENCE_TIME UnitsPerSecond = 10'000'000;

// The code of the next event within the time, or 0 when none came.
inline LONG NextEventCode(IMediaEventEx* events, LONG timeoutMs) {
    LONG code = 0;
    LONG_PTR first = 0;
    LONG_PTR second = 0;
    if (FAILED(events->GetEvent(&code, &first, &second, timeoutMs))) {
        return 0;
    }
    events->FreeEventParams(code, first, second);
    return code;
}
