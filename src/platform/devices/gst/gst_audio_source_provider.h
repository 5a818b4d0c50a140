// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The system's audio sources (GStreamer's device monitor) as audio capture devices.

#include "platform/devices/device_provider.h"

std::shared_ptr<DeviceProvider> MakeGstAudioSourceProvider();
