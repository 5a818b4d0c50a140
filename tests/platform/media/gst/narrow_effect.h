// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// An audio effect for the tests that works only on 8 kHz mono sound, so it refuses ordinary streams.

// Registers the element "corvanenarrowtest" once; returns its name.
const char* RegisterNarrowRateEffect();

// Registers the same effect once more under another element name and display name.
void RegisterNarrowRateEffectAs(const char* factoryName, const char* longName);
