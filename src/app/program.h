// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The program's start and end: the windows in their order, the message loop, the close.

#include <QStringList>

// Runs the program until the main window closes; returns the exit code.
int RunProgram(int argc, char** argv);
