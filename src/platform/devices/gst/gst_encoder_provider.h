// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// GStreamer encoders whose output the AVI multiplexer accepts, as video and audio compressors.

#include "platform/devices/device_provider.h"

#include <string>

std::shared_ptr<DeviceProvider> MakeGstEncoderProvider();

// The name an encoder's long name is listed under: without a word said twice in a row, as libav's
// "… video encoder encoder". Two encoders whose names are then alike are each listed with their factory's
// name after it in brackets, "… encoder [avenc_ac3]".
std::string EncoderName(const std::string& longName);

// Whether listed is the compressor a script may still name by oldName, the long name listed before the
// names were tidied: the same name, or one of the encoders that shared it.
bool IsFormerEncoderName(const std::string& listed, const std::string& oldName);
