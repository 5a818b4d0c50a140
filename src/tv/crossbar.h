// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// CCrossbar: every way a physical video connector reaches the capture filter's analog video input through the
// card's chain of crossbars, found once, offered as a flat list of numbered inputs with readable names, and
// switched as a whole (with the related audio pins) to the input the user picks.

#include "platform/com/ref_ptr.h"
#include "platform/devices/tv_device_interfaces.h"

#include <cstdint>
#include <deque>
#include <vector>

// One crossbar step of a route.
struct CRouting {
    // One crossbar further from the capture filter; null at the connector's end.
    CRouting* upstream = nullptr;
    // One crossbar nearer to the capture filter; null at depth 0.
    CRouting* downstream = nullptr;
    std::int32_t InputIndex = 0;
    std::int32_t OutputIndex = 0;
    // The audio companions of the two pins, -1 when none.
    std::int32_t AudioInputIndex = -1;
    std::int32_t AudioOutputIndex = -1;
    RefPtr<IAMCrossbar> pXbar;
    std::int32_t InputPhysicalType = 0;
    std::int32_t OutputPhysicalType = 0;
    // 0 for the crossbar directly in front of the capture filter, increasing upstream.
    std::int32_t Depth = 0;
};

// The selectable routes in the order of discovery. A chain holds Depth + 1 hops, element 0 being the
// connector's end and the last element the crossbar in front of the capture filter.
using CRoutingChain = std::vector<CRouting>;
using CRoutingList = std::deque<CRoutingChain>;

class CCrossbar {
public:
    // startingInputPin: the capture filter's analog video input; not kept beyond construction.
    explicit CCrossbar(IPin* startingInputPin);
    ~CCrossbar();
    CCrossbar(const CCrossbar&) = delete;
    CCrossbar& operator=(const CCrossbar&) = delete;

    std::int32_t InputCount() const;
    // The physical type of the connector of route index; E_FAIL when index is not below the count.
    HRESULT InputType(std::int32_t index, std::int32_t* physicalType) const;
    // The connector's name, cut to fit size bytes with its terminating zero; E_FAIL when index is not below
    // the count or there is no buffer.
    HRESULT InputName(std::int32_t index, char* name, std::int32_t size) const;
    // Switches every crossbar of route index, picture and related sound; the result of the last video route.
    HRESULT Routing(std::int32_t index);

    // "Video Tuner", "Audio Line", ... or "Unknown".
    static const char* ConnectorName(std::int32_t physicalType);
    // The index of the first of count pins on one side of crossbar with that physical type, -1 when none.
    static LONG FirstPinOfType(IAMCrossbar* crossbar, bool input, LONG count, LONG physicalType);

    // The pin at index among the crossbar's inputs or outputs (inputs enumerate first), and the reverse.
    static HRESULT GetCrossbarIPinAtIndex(IAMCrossbar* crossbar, LONG index, bool isInput, IPin** pin);
    static HRESULT GetCrossbarIndexFromIPin(IAMCrossbar* crossbar, LONG* index, bool isInput, IPin* pin);

private:
    HRESULT BuildRoutingList(IPin* inputPin, CRouting* routing, std::int32_t depth);
    HRESULT SaveRouting(const CRouting* routing);
    void DestroyRoutingList();

    CRouting routingRoot_;
    CRoutingList RoutingList;
};
