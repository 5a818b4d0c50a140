// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Settings-page controls read from a device's own interfaces: the picture amplifier and decoder, the tuner,
// a crossbar's routing and the TV sound mode (a pin's format: format_controls.h). Each control acts through
// the interface it came from, so whatever a page changes goes the way the program's own calls go. Nothing
// here knows which device answers the interfaces.

#include "device_control_pages.h"
#include "tv_device_interfaces.h"

struct IBaseFilter;

// Brightness, contrast, hue and saturation (those with a range), the video standard, VCR locking, the
// output switch, and a button that puts the picture values back to their defaults.
std::vector<DeviceControlEntry> DecoderControls(IAMVideoProcAmp* procAmp, IAMAnalogVideoDecoder* decoder);

// Mode, frequency (through the kernel-streaming tuner properties), input type, and what the tuner reports:
// the video standard, the signal and the fine-tuning offset.
std::vector<DeviceControlEntry> TunerControls(IAMTVTuner& tuner, IKsPropertySet& properties);

// One menu per output of the crossbar, of the inputs it can take, named after the filter's pins.
std::vector<DeviceControlEntry> CrossbarControls(IAMCrossbar& crossbar, IBaseFilter& filter);

// The sound mode among those the carrier offers now.
std::vector<DeviceControlEntry> TvAudioControls(IAMTVAudio& audio);
