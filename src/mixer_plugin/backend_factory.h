// SPDX-License-Identifier: LGPL-2.1-or-later
#pragma once

#include "mixer_backend.h"

#include <memory>
#include <string>

namespace faderix {

// FADERIX_BACKEND=virtual or =alsa chooses; otherwise ALSA when a sound card exists, else the virtual
// mixer. Problems worth telling (an unusable virtual mixer file, a forced ALSA without cards) go to
// `warning`.
std::unique_ptr<MixerBackend> createMixerBackend(std::string& warning);

} // namespace faderix
