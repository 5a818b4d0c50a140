// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Real analog TV cards, radio tuners and cameras through V4L2: capture nodes (/dev/video* with video capture)
// as video capture devices, their tuner, TV audio and inputs as TV tuner, TV audio and crossbar devices,
// radio nodes (/dev/radio*) as a tuner with TV audio, and the sound card that belongs to a node (found
// through sysfs) as an audio capture device. Names are the cards' own, made unique in each list with " #2", "
// #3" in the order of the nodes.

#include "platform/devices/device_provider.h"
#include "v4l2_system.h"

std::shared_ptr<DeviceProvider> MakeV4l2Provider(std::shared_ptr<V4l2System> system);
// The provider on the machine's own devices.
std::shared_ptr<DeviceProvider> MakeSystemV4l2Provider();

// The ALSA capture device ("hw:1") of the sound card that belongs to the node: on the node's own device or on
// a sibling function of it (a PCI card's audio function, a USB device's audio interface); empty when none.
std::string SoundCardOf(V4l2System& system, const std::string& node);
