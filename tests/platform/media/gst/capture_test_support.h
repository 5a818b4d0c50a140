// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A capture graph on a virtual TV card of the test's own definition, built the way the TV side builds it.

#include "graph_test_support.h"
#include "platform/devices/device_enum.h"
#include "platform/devices/tv_device_interfaces.h"
#include "platform/devices/virtual/virtual_card.h"
#include "platform/devices/virtual/virtual_card_provider.h"
#include "platform/media/capture_interfaces.h"

#include <memory>

// The card's device of a category, bound to interface T.
template <typename T>
RefPtr<T> BindCardDevice(const std::shared_ptr<VirtualCard>& card, const Guid& category) {
    auto devices = MakeVirtualCardProvider(card)->devices(category);
    RefPtr<T> object;
    if (!devices.empty()) {
        devices.front().bind(T::IID, reinterpret_cast<void**>(object.put()));
    }
    return object;
}

struct CaptureRig {
    explicit CaptureRig(CardDefinition definition = BuiltInCardDefinition())
        : card(std::make_shared<VirtualCard>(std::move(definition))) {
        graph = MakeGraph();
        EXPECT_EQ(CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER,
                                   ICaptureGraphBuilder2::IID, reinterpret_cast<void**>(builder.put())),
                  S_OK);
        EXPECT_EQ(builder->SetFiltergraph(graph.get()), S_OK);
        video = BindCardDevice<IBaseFilter>(card, CLSID_VideoInputDeviceCategory);
        audio = BindCardDevice<IBaseFilter>(card, CLSID_AudioInputDeviceCategory);
    }

    template <typename T> RefPtr<T> find(const Guid* category, const Guid* type, IBaseFilter* filter) {
        RefPtr<T> found;
        builder->FindInterface(category, type, filter, T::IID, reinterpret_cast<void**>(found.put()));
        return found;
    }
    template <typename T> RefPtr<T> onCapturePin() {
        return find<T>(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, video.get());
    }

    RefPtr<IMediaControl> control() { return query<IMediaControl>(graph); }
    RefPtr<IMediaEventEx> events() { return query<IMediaEventEx>(graph); }

    std::shared_ptr<VirtualCard> card;
    RefPtr<IGraphBuilder> graph;
    RefPtr<ICaptureGraphBuilder2> builder;
    RefPtr<IBaseFilter> video;
    RefPtr<IBaseFilter> audio;
};

// Frames the pin has delivered so far.
inline LONG Delivered(IAMDroppedFrames* counters) {
    LONG delivered = 0;
    counters->GetNumNotDropped(&delivered);
    return delivered;
}
