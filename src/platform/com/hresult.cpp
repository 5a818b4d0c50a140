// SPDX-License-Identifier: GPL-2.0-or-later
#include "hresult.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

namespace {

struct ResultText {
    HRESULT code;
    const char* text;
};

constexpr std::array kResultTexts{
    ResultText{S_OK, "The operation completed successfully."},
    ResultText{S_FALSE, "The operation completed, but not fully."},
    ResultText{E_NOTIMPL, "Not implemented."},
    ResultText{E_NOINTERFACE, "No such interface supported."},
    ResultText{E_POINTER, "Invalid pointer."},
    ResultText{E_ABORT, "Operation aborted."},
    ResultText{E_FAIL, "Unspecified error."},
    ResultText{E_UNEXPECTED, "Catastrophic failure."},
    ResultText{E_ACCESSDENIED, "Access is denied."},
    ResultText{E_HANDLE, "The handle is invalid."},
    ResultText{E_OUTOFMEMORY, "Not enough storage is available to complete this operation."},
    ResultText{E_INVALIDARG, "The parameter is incorrect."},
    ResultText{VFW_S_STATE_INTERMEDIATE, "The state transition has not completed."},
    ResultText{VFW_S_NOPREVIEWPIN,
               "Preview was rendered through the Smart Tee filter, because the capture filter "
               "does not have a preview pin."},
    ResultText{VFW_E_INVALIDMEDIATYPE, "The specified media type is invalid."},
    ResultText{VFW_E_NEED_OWNER, "This object requires an owner window."},
    ResultText{VFW_E_ALREADY_CONNECTED,
               "The operation cannot be performed because the pins are already connected."},
    ResultText{VFW_E_NO_ACCEPTABLE_TYPES, "There is no common media type between these pins."},
    ResultText{VFW_E_INVALID_DIRECTION, "The pin is in the wrong direction for this operation."},
    ResultText{VFW_E_NOT_CONNECTED, "The operation cannot be performed because the pins are not connected."},
    ResultText{VFW_E_NOT_FOUND, "An object or name was not found."},
    ResultText{VFW_E_CANNOT_CONNECT,
               "No combination of intermediate filters could be found to make the connection."},
    ResultText{VFW_E_CANNOT_RENDER, "No combination of filters could be found to render the stream."},
    ResultText{VFW_E_WRONG_STATE,
               "The operation could not be performed because the filter is in the wrong state."},
    ResultText{VFW_E_NOT_STOPPED, "The operation could not be performed because the filter is not stopped."},
    ResultText{VFW_E_UNKNOWN_FILE_TYPE, "The media type of this file is not recognized."},
    ResultText{VFW_E_UNSUPPORTED_STREAM, "Cannot play back the file. The format is not supported."},
    ResultText{VFW_E_NO_AUDIO_HARDWARE, "Cannot play back the audio stream: no audio hardware is available."},
    ResultText{VFW_E_FILE_TOO_SHORT, "The file is too short."},
    ResultText{VFW_E_NOT_RUNNING, "The operation could not be performed because the filter is not running."},
    ResultText{VFW_E_TIMEOUT, "The operation timed out."},
    ResultText{VFW_E_DDRAW_CAPS_NOT_SUITABLE, "The display is not suitable for video."},
    ResultText{VFW_E_NOT_IN_GRAPH, "The operation cannot be performed on a filter that is not in a graph."},
    // A capture card that another program streams from answers EBUSY; say so in words a user acts on.
    ResultText{HResultFromErrno(EBUSY), "device busy: another program is using the device."},
};

} // namespace

std::string FormatMessage(HRESULT hr) {
    for (const auto& entry : kResultTexts) {
        if (entry.code == hr) {
            return entry.text;
        }
    }
    if (IsErrnoResult(hr)) {
        const int error = static_cast<int>(static_cast<std::uint32_t>(hr) & 0xFFFFu);
        char buffer[256];
        // The GNU strerror_r returns the text, which may or may not be in the buffer.
        const char* text = strerror_r(error, buffer, sizeof buffer);
        return text;
    }
    char line[48];
    std::snprintf(line, sizeof line, "Unknown error 0x%08X.", static_cast<unsigned>(hr));
    return line;
}
