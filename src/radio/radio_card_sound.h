// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The radio's own sound on the desktop's speakers. A tuner whose card delivers its sound as an audio capture
// device (the virtual card, a V4L2 card's or USB radio's ALSA device) names that device; a graph of its own
// plays it through the card-sound renderer while the Radio page has a station tuned. A card cabled into the
// line input names none, and nothing is played.

#include "platform/com/ref_ptr.h"
#include "platform/devices/device_enum.h"
#include "platform/media/capture_interfaces.h"
#include "platform/media/card_sound.h"

#include <functional>
#include <memory>

class MessageReceiver;
class TunerPlatform;

// Makes a card-sound renderer (the media engine's CreateCardSoundRenderer, or a test's).
using CardSoundFactory = std::function<HRESULT(CardSoundRole role, IBaseFilter** renderer)>;

// The audio capture device that carries the tuner's sound, found among devices' audio capture devices by the
// tuner's "SoundDevice"; null when the tuner names none or it is not listed.
RefPtr<IMoniker> TunerSoundDevice(IMoniker* tuner, ICreateDevEnum* devices);

class RadioCardSound {
public:
    struct Services {
        TunerPlatform& platform;
        CardSoundFactory makeRenderer;
        // Told once the device failed while it played and its sound was stopped; may be empty.
        std::function<void()> stopped = {};
    };

    explicit RadioCardSound(Services services);
    ~RadioCardSound();
    RadioCardSound(const RadioCardSound&) = delete;
    RadioCardSound& operator=(const RadioCardSound&) = delete;

    // Plays the device's sound, muted until Unmute (a station is tuned between the presets). Playing the
    // device already playing changes nothing. False, with one line on standard error, when the device cannot
    // be opened or played; the radio goes on without its sound. A device that fails while it plays
    // (unplugged, a read error) is stopped with one line on standard error; playing it again tries it anew.
    bool Play(IMoniker* audioDevice);
    // Stops and closes the device.
    void Stop();
    bool playing() const { return running_; }

    // The stream's mute, for the presets; null until Play and after Stop, and kept while a failed device is
    // stopped, so the presets' handle stays valid.
    ICardSound* sound() const { return sound_.get(); }
    // The capture filter of the device playing, for tests and the graph dumps; null while nothing plays.
    IBaseFilter* capture() const { return capture_.get(); }

private:
    bool Fail(const char* what, HRESULT hr);
    // The sound graph's events, handled on the thread that plays it when the graph posts them.
    void handleGraphEvents();

    Services services_;
    RefPtr<IMoniker> device_;
    RefPtr<IGraphBuilder> graph_;
    RefPtr<IBaseFilter> capture_;
    RefPtr<IBaseFilter> renderer_;
    RefPtr<ICardSound> sound_;
    bool running_ = false;
    // Where the sound graph posts its events; Stop, which the destructor calls, ends the posting first.
    std::unique_ptr<MessageReceiver> graphEvents_;
};
