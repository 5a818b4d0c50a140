// SPDX-License-Identifier: GPL-2.0-or-later
#include "crossbar.h"

#include <array>
#include <cstring>

namespace {

struct ConnectorName {
    std::int32_t type;
    const char* name;
};

constexpr std::array kConnectorNames{
    ConnectorName{PhysConn_Video_Tuner, "Video Tuner"},
    ConnectorName{PhysConn_Video_Composite, "Video Composite"},
    ConnectorName{PhysConn_Video_SVideo, "Video SVideo"},
    ConnectorName{PhysConn_Video_RGB, "Video RGB"},
    ConnectorName{PhysConn_Video_YRYBY, "Video YRYBY"},
    ConnectorName{PhysConn_Video_SerialDigital, "Video SerialDigital"},
    ConnectorName{PhysConn_Video_ParallelDigital, "Video ParallelDigital"},
    ConnectorName{PhysConn_Video_SCSI, "Video SCSI"},
    ConnectorName{PhysConn_Video_AUX, "Video AUX"},
    ConnectorName{PhysConn_Video_1394, "Video 1394"},
    ConnectorName{PhysConn_Video_USB, "Video USB"},
    ConnectorName{PhysConn_Video_VideoDecoder, "Video Decoder"},
    ConnectorName{PhysConn_Video_VideoEncoder, "Video Encoder"},
    ConnectorName{PhysConn_Audio_Tuner, "Audio Tuner"},
    ConnectorName{PhysConn_Audio_Line, "Audio Line"},
    ConnectorName{PhysConn_Audio_Mic, "Audio Mic"},
    ConnectorName{PhysConn_Audio_AESDigital, "Audio AESDigital"},
    ConnectorName{PhysConn_Audio_SPDIFDigital, "Audio SPDIFDigital"},
    ConnectorName{PhysConn_Audio_SCSI, "Audio SCSI"},
    ConnectorName{PhysConn_Audio_AUX, "Audio AUX"},
    ConnectorName{PhysConn_Audio_1394, "Audio 1394"},
    ConnectorName{PhysConn_Audio_USB, "Audio USB"},
    ConnectorName{PhysConn_Audio_AudioDecoder, "Audio Decoder"},
};

// Audio connector types start here; everything below is picture.
constexpr std::int32_t kFirstAudioType = 0x1000;

} // namespace

CCrossbar::CCrossbar(IPin* startingInputPin) {
    // A card without a crossbar simply offers no inputs.
    BuildRoutingList(startingInputPin, &routingRoot_, 0);
    // The saved chains hold their crossbars; the walk's own record keeps none.
    routingRoot_ = CRouting{};
}

CCrossbar::~CCrossbar() {
    DestroyRoutingList();
}

const char* CCrossbar::ConnectorName(std::int32_t physicalType) {
    for (const auto& entry : kConnectorNames) {
        if (entry.type == physicalType) {
            return entry.name;
        }
    }
    return "Unknown";
}

LONG CCrossbar::FirstPinOfType(IAMCrossbar* crossbar, bool input, LONG count, LONG physicalType) {
    for (LONG index = 0; index < count; ++index) {
        LONG related = -1;
        LONG type = 0;
        if (SUCCEEDED(crossbar->get_CrossbarPinInfo(input ? 1 : 0, index, &related, &type)) &&
            type == physicalType) {
            return index;
        }
    }
    return -1;
}

namespace {

// A crossbar's pins in enumeration order (inputs, then outputs) and its input count; false when either cannot
// be read.
bool CrossbarPins(IAMCrossbar* crossbar, std::vector<RefPtr<IPin>>& pins, LONG& inputs) {
    LONG outputs = 0;
    const RefPtr<IBaseFilter> filter = query<IBaseFilter>(crossbar);
    RefPtr<IEnumPins> enumerator;
    if (FAILED(crossbar->get_PinCounts(&outputs, &inputs)) || !filter ||
        FAILED(filter->EnumPins(enumerator.put())) || !enumerator) {
        return false;
    }
    IPin* fetched = nullptr;
    while (enumerator->Next(1, &fetched, nullptr) == S_OK) {
        pins.push_back(RefPtr<IPin>::adopt(fetched));
    }
    return true;
}

} // namespace

HRESULT CCrossbar::GetCrossbarIPinAtIndex(IAMCrossbar* crossbar, LONG index, bool isInput, IPin** pin) {
    if (!crossbar || !pin) {
        return E_POINTER;
    }
    *pin = nullptr;
    std::vector<RefPtr<IPin>> pins;
    LONG inputs = 0;
    if (!CrossbarPins(crossbar, pins, inputs)) {
        return E_FAIL;
    }
    const LONG position = isInput ? index : index + inputs;
    if (position < 0 || position >= static_cast<LONG>(pins.size())) {
        return E_FAIL;
    }
    *pin = pins[static_cast<std::size_t>(position)].detach();
    return S_OK;
}

HRESULT CCrossbar::GetCrossbarIndexFromIPin(IAMCrossbar* crossbar, LONG* index, bool isInput, IPin* pin) {
    if (!crossbar || !index || !pin) {
        return E_POINTER;
    }
    std::vector<RefPtr<IPin>> pins;
    LONG inputs = 0;
    if (!CrossbarPins(crossbar, pins, inputs)) {
        return E_FAIL;
    }
    for (std::size_t i = 0; i < pins.size(); ++i) {
        if (pins[i].get() == pin) {
            *index = static_cast<LONG>(i) - (isInput ? 0 : inputs);
            return S_OK;
        }
    }
    return E_FAIL;
}

HRESULT CCrossbar::BuildRoutingList(IPin* inputPin, CRouting* routing, std::int32_t depth) {
    RefPtr<IPin> connected;
    if (!inputPin || FAILED(inputPin->ConnectedTo(connected.put())) || !connected) {
        return depth > 0 ? S_FALSE : E_FAIL;
    }
    PIN_INFO info;
    if (FAILED(connected->QueryPinInfo(&info))) {
        return S_OK;
    }
    const RefPtr<IBaseFilter> filter = RefPtr<IBaseFilter>::adopt(info.pFilter);
    const RefPtr<IAMCrossbar> crossbar = query<IAMCrossbar>(filter);
    if (!crossbar) {
        // A connector led to another kind of filter (the tuner, say): the route ends here.
        return depth > 0 ? S_FALSE : E_FAIL;
    }

    // Failures below only leave fields at what they were: the walk goes on with what it has.
    LONG outputs = 0;
    LONG inputs = 0;
    crossbar->get_PinCounts(&outputs, &inputs);
    LONG outputIndex = -1;
    GetCrossbarIndexFromIPin(crossbar.get(), &outputIndex, false, connected.get());
    LONG outputRelated = -1;
    LONG outputType = 0;
    crossbar->get_CrossbarPinInfo(false, outputIndex, &outputRelated, &outputType);

    for (LONG input = 0; input < inputs; ++input) {
        LONG inputRelated = -1;
        LONG inputType = 0;
        crossbar->get_CrossbarPinInfo(true, input, &inputRelated, &inputType);
        if (inputType >= kFirstAudioType || crossbar->CanRoute(outputIndex, input) != S_OK) {
            continue;
        }
        RefPtr<IPin> upstreamPin;
        GetCrossbarIPinAtIndex(crossbar.get(), input, true, upstreamPin.put());

        CRouting next;
        next.downstream = routing;
        routing->upstream = &next;
        routing->pXbar = crossbar;
        routing->InputIndex = input;
        routing->OutputIndex = outputIndex;
        routing->AudioInputIndex = inputRelated;
        routing->AudioOutputIndex = outputRelated;
        routing->InputPhysicalType = inputType;
        routing->OutputPhysicalType = outputType;
        routing->Depth = depth;

        if (BuildRoutingList(upstreamPin.get(), &next, depth + 1) == S_FALSE) {
            routing->upstream = nullptr;
            SaveRouting(routing);
        }
        routing->upstream = nullptr;
    }
    return S_OK;
}

HRESULT CCrossbar::SaveRouting(const CRouting* routing) {
    const std::size_t hops = static_cast<std::size_t>(routing->Depth) + 1;
    CRoutingChain chain;
    chain.reserve(hops);
    for (const CRouting* hop = routing; hop && chain.size() < hops; hop = hop->downstream) {
        chain.push_back(*hop);
    }
    if (chain.size() != hops) {
        return E_FAIL;
    }
    for (std::size_t i = 0; i < hops; ++i) {
        chain[i].upstream = i > 0 ? &chain[i - 1] : nullptr;
        chain[i].downstream = i + 1 < hops ? &chain[i + 1] : nullptr;
    }
    // Moving the vector keeps its elements where they are, so the links stay valid in the list.
    RoutingList.push_back(std::move(chain));
    return S_OK;
}

void CCrossbar::DestroyRoutingList() {
    while (!RoutingList.empty()) {
        RoutingList.pop_front();
    }
}

std::int32_t CCrossbar::InputCount() const {
    return static_cast<std::int32_t>(RoutingList.size());
}

HRESULT CCrossbar::InputType(std::int32_t index, std::int32_t* physicalType) const {
    if (index < 0 || index >= InputCount() || !physicalType) {
        return E_FAIL;
    }
    *physicalType = RoutingList[static_cast<std::size_t>(index)].front().InputPhysicalType;
    return S_OK;
}

HRESULT CCrossbar::InputName(std::int32_t index, char* name, std::int32_t size) const {
    if (index < 0 || index >= InputCount() || !name || size <= 0) {
        return E_FAIL;
    }
    const char* text = ConnectorName(RoutingList[static_cast<std::size_t>(index)].front().InputPhysicalType);
    const std::size_t length = std::min(std::strlen(text), static_cast<std::size_t>(size) - 1);
    std::memcpy(name, text, length);
    name[length] = '\0';
    return S_OK;
}

HRESULT CCrossbar::Routing(std::int32_t index) {
    if (index < 0 || index >= InputCount()) {
        return E_FAIL;
    }
    HRESULT result = S_OK;
    for (const CRouting& hop : RoutingList[static_cast<std::size_t>(index)]) {
        result = hop.pXbar->Route(hop.OutputIndex, hop.InputIndex);
        if (hop.AudioOutputIndex != -1 && hop.AudioInputIndex != -1) {
            hop.pXbar->Route(hop.AudioOutputIndex, hop.AudioInputIndex);
        }
    }
    return result;
}
