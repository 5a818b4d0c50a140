// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The card-sound renderer: plays a card's captured sound on the desktop's output with little delay. The
// output is autoaudiosink (PipeWire, PulseAudio or ALSA, whichever the desktop has); its real sink is told
// the program's name, icon and the stream's role, keeps a short buffer, and follows the graph's clock by
// resampling, since a card's clock and the output's drift apart. A failing output never stops the graph:
// the renderer goes silent and says so once on standard error.

#include "gst_filter.h"
#include "platform/media/card_sound.h"

#include <atomic>
#include <functional>

// The output's buffer and the amount written per turn, in microseconds.
inline constexpr gint64 kCardSoundBufferUs = 40000;
inline constexpr gint64 kCardSoundLatencyUs = 10000;

class CardSoundRendererFilter final : public GstFilter, public ICardSound {
public:
    explicit CardSoundRendererFilter(CardSoundRole role);

    HRESULT QueryInterface(const Guid& iid, void** object) override {
        return GstFilter::QueryInterface(iid, object);
    }
    std::uint32_t AddRef() override { return GstFilter::AddRef(); }
    std::uint32_t Release() override { return GstFilter::Release(); }

    HRESULT SetMuted(bool muted) override;
    bool muted() const override { return muted_; }
    bool Sounding() const override { return sounding_; }

    // Whether the output failed (the stream then stays silent until the graph is built again).
    bool failed() const { return failed_; }
    // Called on the streaming thread when a child element reports an error.
    void outputFailed(GstMessage* error);

private:
    ~CardSoundRendererFilter() override;
    void* queryOtherInterface(const Guid& iid) override;
    HRESULT joinGraph() override;
    static GstPadProbeReturn onInput(GstPad* pad, GstPadProbeInfo* info, gpointer self);
    void configureSink(GstElement* sink);

    CardSoundRole role_;
    GstElement* volume_ = nullptr;
    std::atomic<bool> muted_{false};
    std::atomic<bool> failed_{false};
    std::atomic<bool> sounding_{false};
};

// Makes the renderer (a new reference in *filter).
HRESULT CreateCardSoundRenderer(CardSoundRole role, IBaseFilter** filter);

// The output element: autoaudiosink, CORVANE_CARD_SOUND_SINK (a pipeline description) when set, or what a
// test sets here (an empty function restores the default).
void SetCardSoundSinkFactory(std::function<GstElement*()> factory);
