// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// GStreamer encoders whose output the AVI multiplexer accepts, as video and audio compressors.

#include "platform/devices/device_provider.h"

std::shared_ptr<DeviceProvider> MakeGstEncoderProvider();
