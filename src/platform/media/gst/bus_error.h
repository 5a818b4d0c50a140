// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The words of an error a pipeline posted, so an aborted graph says what stopped it and where.

#include <gst/gst.h>

#include <string>

// "ELEMENT-PATH: DOMAIN code N: MESSAGE (DEBUG)" for an error message; the debug part is left out when the
// element gave none. Empty for any other message.
std::string DescribeBusError(GstMessage* message);
