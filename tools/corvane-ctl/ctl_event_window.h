// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The window a command's graph posts its events to. An event that ends the graph (an error, a lost device)
// or closing the window (Ctrl+C) ends the command's event loop.

#include "tv/capture_events.h"

#include <QWidget>

#include <optional>

class TTunerTools;

class CaptureEventWindow final : public QWidget {
public:
    // tools may be set later; events before that are left alone.
    explicit CaptureEventWindow(TTunerTools*& tools) : tools_(tools) {}

    std::optional<CaptureEventOutcome> outcome;
    bool interrupted = false;
    // Whether the sound device failing ends the command: it does for listening, not for a recording or a
    // snapshot, whose picture goes on.
    bool endsWhenSoundStops = false;

protected:
    bool event(QEvent* event) override;

private:
    TTunerTools*& tools_;
};
