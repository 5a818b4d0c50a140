// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A new recording never destroys the last one: before the writer opens "capture.avi" again, the file already
// there is renamed after its own time of writing, "capture-YYYYMMDD-HHMMSS.avi" (local time), so the plain
// name is always the newest recording.

#include <ctime>
#include <filesystem>
#include <string>
#include <system_error>

// The name the file at path is kept under when it was last written at time: beside it, with
// "-YYYYMMDD-HHMMSS" before the extension, and "-N" after that when that name is taken already.
std::filesystem::path KeptCaptureName(const std::filesystem::path& path, std::time_t written);

// Renames an existing regular file (or symbolic link) at path to its kept name. Success when there was
// nothing to keep or path names something else (a device); an error when the file could not be moved, in
// which case the caller must not overwrite it.
std::error_code KeepPreviousCapture(const std::filesystem::path& path);

// Whether path holds a finished recording as players other than GStreamer judge one: RIFF "AVI " with its
// idx1 index after the movi list, then only "AVIX" extensions, the RIFF sizes adding up to the file's size.
// A device or pipe named as the output cannot be judged and counts as finished.
bool IsFinishedRecording(const std::filesystem::path& path);
