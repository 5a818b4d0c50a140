// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Running the event loop for a span that counts from the moment a live graph delivers: a graph takes a
// varying moment to start (longer on a busy machine), which would otherwise eat into the seconds asked for.

#include <functional>

// Runs the event loop until seconds have passed since started() first said yes (seconds <= 0: until the loop
// is ended otherwise, as Ctrl+C does), or until something else ends it. False when started() never said yes
// within startMs.
bool RunForAfterStart(double seconds, const std::function<bool()>& started, int startMs);
