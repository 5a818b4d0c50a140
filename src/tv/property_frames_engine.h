// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The media engine's property frames (defined in the engine-bound library corvane_tv_platform).

#include "property_frames.h"

#include <memory>

std::unique_ptr<PropertyFrames> MakeEnginePropertyFrames();
