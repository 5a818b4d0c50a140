// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The engine's filter: a GStreamer bin with its pins as ghost pads. Pins share their filter's reference
// count, as a filter's pins live exactly as long as the filter.

#include "filter_interfaces.h"
#include "platform/com/com_object.h"
#include "platform/media/capture_interfaces.h"

#include <gst/gst.h>

#include <memory>
#include <string>
#include <vector>

class GstFilter;
class FilterGraph;

// What flows through a pin; only pins of the same kind connect. Analog pins stand for a card's wiring
// between its tuner, crossbars and decoder: they connect, but no data flows through them.
enum class PinKind { Stream, Audio, Video, Analog };

// A pin with a category (capture, preview, analog video in) answers IKsPropertySet with it, as a capture
// device's pins do.
class GstPin final : public IPin, public IKsPropertySet {
public:
    GstPin(GstFilter& filter, std::wstring name, PIN_DIRECTION direction, PinKind kind, GstPad* pad);
    ~GstPin();
    GstPin(const GstPin&) = delete;
    GstPin& operator=(const GstPin&) = delete;

    HRESULT QueryInterface(const Guid& iid, void** object) override;
    std::uint32_t AddRef() override;
    std::uint32_t Release() override;

    HRESULT ConnectedTo(IPin** pin) override;
    HRESULT ConnectionMediaType(AM_MEDIA_TYPE* type) override;
    HRESULT QueryDirection(PIN_DIRECTION* direction) override;
    HRESULT QueryPinInfo(PIN_INFO* info) override;

    HRESULT Set(const Guid& set, DWORD id, void* instance, DWORD instanceLength, void* data,
                DWORD dataLength) override;
    HRESULT Get(const Guid& set, DWORD id, void* instance, DWORD instanceLength, void* data, DWORD dataLength,
                DWORD* returned) override;
    HRESULT QuerySupported(const Guid& set, DWORD id, DWORD* support) override;

    const Guid& category() const { return category_; }
    void setCategory(const Guid& category) { category_ = category; }

    GstFilter& filter() const { return filter_; }
    const std::wstring& name() const { return name_; }
    PIN_DIRECTION direction() const { return direction_; }
    PinKind kind() const { return kind_; }
    GstPad* pad() const { return pad_; }
    GstPin* peer() const { return peer_; }
    void setPeer(GstPin* peer) { peer_ = peer; }

    // The format flowing through the pin now, or the one it will carry: caps in text form, empty if unknown.
    std::string currentFormat() const;
    // Holds back the data leaving an output pin until release(); used while its link changes.
    void hold();
    void release();
    bool held() const { return holdProbe_ != 0; }

    // Whether the pin can carry caps given in text form.
    bool accepts(const std::string& format) const;

private:
    GstFilter& filter_;
    std::wstring name_;
    PIN_DIRECTION direction_;
    PinKind kind_;
    GstPad* pad_;
    GstPin* peer_ = nullptr;
    gulong holdProbe_ = 0;
    Guid category_;
};

// What a filter is for; the graph looks renderers up by their role. The card's sound has a renderer of its
// own, which playback never picks.
enum class FilterRole { Source, Decoder, Encoder, AudioRenderer, VideoRenderer, Effect, CardSound };

class GstFilter : public ComObject<IBaseFilter> {
public:
    HRESULT EnumPins(IEnumPins** pins) override;
    HRESULT FindPin(LPCWSTR id, IPin** pin) override;
    HRESULT QueryFilterInfo(FILTER_INFO* info) override;

    FilterRole role() const { return role_; }
    // The bin; null for a filter that has nothing to host yet (an effect wrapper before Init).
    GstElement* element() const { return bin_; }
    const std::wstring& name() const { return name_; }
    void setName(std::wstring name) { name_ = std::move(name); }
    FilterGraph* graph() const { return graph_; }
    void setGraph(FilterGraph* graph) { graph_ = graph; }

    const std::vector<std::unique_ptr<GstPin>>& pins() const { return pins_; }
    bool hasConnectedPin() const;

    // Called by the graph once an input pin is linked, before data flows.
    virtual void inputConnected(GstPin&) {}
    // Called by the graph before the filter joins it; a failure keeps it out.
    virtual HRESULT joinGraph() { return S_OK; }
    // Called by the graph before it stops: a filter that writes a file finishes it here.
    virtual void beforeStop() {}
    // Called by a running graph before the filter leaves it, while the rest goes on running: a filter that
    // writes a file finishes it here, and the sources it ended take data again for whatever comes next.
    virtual void beforeRemoval() {}
    // Called by the graph each time it is told to run, also when it already runs.
    virtual void graphRuns() {}
    // Interfaces of one of the filter's pins beyond IPin and IKsPropertySet (stream format, stream control,
    // frame counters), sharing the filter's reference count; null when the pin has none.
    virtual void* queryPinInterface(const GstPin&, const Guid&) { return nullptr; }
    // Lets held data go: a streaming thread waiting in a hold would keep the elements inside from stopping,
    // as their threads are joined when they go down.
    void releaseHolds();

protected:
    explicit GstFilter(FilterRole role);
    ~GstFilter() override;

    // Takes the floating reference of a new bin.
    void setBin(GstElement* bin);
    // Exposes an element's pad as a ghost pad of the bin and as a pin.
    GstPin& addPin(std::wstring name, PIN_DIRECTION direction, PinKind kind, GstPad* target);
    // Takes an unconnected pin away again (a request pad that found no stream).
    void removePin(GstPin& pin);

private:
    FilterRole role_;
    GstElement* bin_ = nullptr;
    std::wstring name_;
    FilterGraph* graph_ = nullptr;
    std::vector<std::unique_ptr<GstPin>> pins_;
};

// The media type a pin of that kind carries (an analog pin carries a picture).
const Guid& MajorTypeOf(PinKind kind);

// The filter whose bin holds element (at any depth), or null.
GstFilter* FilterHolding(GstObject* element);

// The engine's own filter behind an interface pointer, or null for a foreign object.
GstFilter* AsGstFilter(IBaseFilter* filter);
GstPin* AsGstPin(IPin* pin);

// Holds back buffers and serialized events at a pad until the returned probe is removed; flushes pass.
gulong HoldDataAt(GstPad* pad);

// Waits (at most timeoutMs) until no data or event is being pushed through the pad: a push already past the
// pad's probes when a link changes would still reach the old peer, and could mark the pad's sticky events
// (caps) as delivered after the new link asked for them to be sent again. Data waiting in a hold counts as
// idle. Returns false on time-out.
bool WaitUntilIdle(GstPad* pad, int timeoutMs);

// Copies a name into a fixed wide buffer, cut to fit.
void CopyName(const std::wstring& name, wchar_t* buffer, std::size_t capacity);
std::string ToUtf8(const std::wstring& text);
