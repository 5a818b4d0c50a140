// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The virtual TV card in the device lists: "Corvane Virtual TV Card" as video capture device, TV tuner, TV
// audio and crossbar, and "Corvane Virtual TV Card Audio" as audio capture device.

#include "platform/devices/device_provider.h"

class VirtualCard;

extern const char* const kVirtualCardName;
extern const char* const kVirtualCardAudioName;

// The provider of the process's card (TheVirtualCard()).
std::shared_ptr<DeviceProvider> MakeVirtualCardProvider();
// The provider of the given card; tests use their own cards.
std::shared_ptr<DeviceProvider> MakeVirtualCardProvider(std::shared_ptr<VirtualCard> card);
