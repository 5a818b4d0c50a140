// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// How the platform's tuner, decoder, TV sound, crossbar and picture values read in V4L2's terms, both ways.
// Plain functions, so every mapping is tested on its own.

#include "platform/devices/tv_device_interfaces.h"

#include <linux/videodev2.h>

#include <cstdint>
#include <optional>

// Frequencies: V4L2 counts in 62.5 kHz steps, 62.5 Hz steps on a tuner with V4L2_TUNER_CAP_LOW, or hertz
// with V4L2_TUNER_CAP_1HZ. Hertz to units round to the nearest step.
std::uint32_t TunerUnitsOf(std::int64_t hertz, std::uint32_t tunerCapability);
std::int64_t HertzOf(std::uint32_t units, std::uint32_t tunerCapability);

// The tuner's afc (negative when the tuned frequency is too low) as the PLL offset the search expects
// (carrier − tuned frequency: positive below a carrier). Drivers give afc in hertz.
LONG PllOffsetOf(std::int32_t afc);

// Signal strength 0 … 65535 as the tuner status' 0 … 100.
ULONG SignalPercentOf(std::int32_t signal);

// Analog video standards: one AnalogVideoStandard bit to its v4l2_std_id bits (0 for none or several bits),
// and a set of v4l2_std_id bits to the AnalogVideoStandard bits they contain.
v4l2_std_id V4l2StandardOf(LONG standard);
LONG AnalogStandardsOf(v4l2_std_id standards);

// TV sound. The modes a tuner can produce (from its capability), the modes heard now (rxsubchans), and one
// TVAudioMode bit as audmode and back.
LONG HardwareAudioModesOf(std::uint32_t tunerCapability);
LONG HeardAudioModesOf(std::uint32_t rxsubchans);
std::optional<std::uint32_t> AudmodeOf(LONG mode);
LONG AudioModeOf(std::uint32_t audmode);

// The physical connector of a video input (tuner, composite, S-Video, ...) and of an audio input.
LONG VideoConnectorOf(const v4l2_input& input);
LONG AudioConnectorOf(const v4l2_audio& audio);

// The control of a picture property (VideoProcAmp_Brightness … Saturation); 0 for the others.
std::uint32_t ControlOf(LONG property);
