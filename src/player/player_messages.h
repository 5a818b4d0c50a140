// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "platform/win/window_message.h"

// The playback graph's event notification to the main window.
constexpr UINT PlayerNotifyMessage = WM_USER + 2;
