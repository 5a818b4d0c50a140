// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The TV page's signal indicator: once a second it asks the decoder whether it is locked and changes its
// label only when the answer differs from the one shown. The answer shown starts as "no signal", so the
// first change is the first lock. A device without tuner (a camera) always answers "no signal".

class TTunerTools;

class TvSignalIndicator {
public:
    static constexpr const char* kNoSignal = "[no signal]";
    static constexpr const char* kSignalOk = "[signal OK]";

    // The label's new caption when it must change, null when it stays; nothing is asked without a tuner
    // object or while the page is hidden.
    const char* tick(TTunerTools* tools, bool pageVisible);
    // The answer of the last tick that asked.
    bool locked() const { return shown_; }

private:
    bool shown_ = false;
};
