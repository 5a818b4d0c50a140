// SPDX-License-Identifier: GPL-2.0-or-later
// A library in the plug-in's place that lacks the Open entry point.
extern "C" __attribute__((visibility("default"))) void Close() {}
