// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Ending the program by SIGTERM or SIGINT (a logout, a shutdown, Ctrl+C) closes the main window exactly as
// its close box does, so nothing of the close is skipped.

class QWidget;

// Installs the handlers; the window is closed from the event loop, never from the signal handler.
void CloseWindowOnTerminationSignals(QWidget* window);
