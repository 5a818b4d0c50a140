// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Result codes of the component model the media and device layers speak. Values are the platform's own so
// that codes logged or compared by number keep their meaning.

#include <cstdint>
#include <string>

using HRESULT = std::int32_t;

constexpr HRESULT MakeHResult(std::uint32_t bits) {
    return static_cast<HRESULT>(bits);
}

constexpr bool SUCCEEDED(HRESULT hr) {
    return hr >= 0;
}
constexpr bool FAILED(HRESULT hr) {
    return hr < 0;
}

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;

constexpr HRESULT E_NOTIMPL = MakeHResult(0x80004001u);
constexpr HRESULT E_NOINTERFACE = MakeHResult(0x80004002u);
constexpr HRESULT E_POINTER = MakeHResult(0x80004003u);
constexpr HRESULT E_ABORT = MakeHResult(0x80004004u);
constexpr HRESULT E_FAIL = MakeHResult(0x80004005u);
constexpr HRESULT E_UNEXPECTED = MakeHResult(0x8000FFFFu);
constexpr HRESULT E_ACCESSDENIED = MakeHResult(0x80070005u);
constexpr HRESULT E_HANDLE = MakeHResult(0x80070006u);
constexpr HRESULT E_OUTOFMEMORY = MakeHResult(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = MakeHResult(0x80070057u);

// Media framework codes.
constexpr HRESULT VFW_S_STATE_INTERMEDIATE = MakeHResult(0x00040237u);
constexpr HRESULT VFW_S_NOPREVIEWPIN = MakeHResult(0x0004027Eu);
constexpr HRESULT VFW_E_INVALIDMEDIATYPE = MakeHResult(0x80040200u);
constexpr HRESULT VFW_E_NEED_OWNER = MakeHResult(0x80040203u);
constexpr HRESULT VFW_E_ALREADY_CONNECTED = MakeHResult(0x80040204u);
constexpr HRESULT VFW_E_NO_ACCEPTABLE_TYPES = MakeHResult(0x80040207u);
constexpr HRESULT VFW_E_INVALID_DIRECTION = MakeHResult(0x80040208u);
constexpr HRESULT VFW_E_NOT_CONNECTED = MakeHResult(0x80040209u);
constexpr HRESULT VFW_E_NOT_FOUND = MakeHResult(0x80040216u);
constexpr HRESULT VFW_E_CANNOT_CONNECT = MakeHResult(0x80040217u);
constexpr HRESULT VFW_E_CANNOT_RENDER = MakeHResult(0x80040218u);
constexpr HRESULT VFW_E_WRONG_STATE = MakeHResult(0x80040227u);
constexpr HRESULT VFW_E_NOT_STOPPED = MakeHResult(0x80040224u);
constexpr HRESULT VFW_E_UNKNOWN_FILE_TYPE = MakeHResult(0x80040240u);
constexpr HRESULT VFW_E_UNSUPPORTED_STREAM = MakeHResult(0x80040265u);
constexpr HRESULT VFW_E_NO_AUDIO_HARDWARE = MakeHResult(0x80040256u);
constexpr HRESULT VFW_E_FILE_TOO_SHORT = MakeHResult(0x8004024Du);
constexpr HRESULT VFW_E_NOT_RUNNING = MakeHResult(0x80040226u);
constexpr HRESULT VFW_E_TIMEOUT = MakeHResult(0x8004022Eu);
constexpr HRESULT VFW_E_DDRAW_CAPS_NOT_SUITABLE = MakeHResult(0x80040273u);
constexpr HRESULT VFW_E_NOT_IN_GRAPH = MakeHResult(0x8004025Fu);

// Operating-system errors (errno) carried in a result code, as the platform carries its own system errors.
constexpr std::uint32_t FACILITY_ERRNO = 0x0FFu;
constexpr HRESULT HResultFromErrno(int error) {
    return error <= 0 ? S_OK
                      : MakeHResult(0x80000000u | (FACILITY_ERRNO << 16) |
                                    (static_cast<std::uint32_t>(error) & 0xFFFFu));
}
constexpr bool IsErrnoResult(HRESULT hr) {
    return FAILED(hr) && ((static_cast<std::uint32_t>(hr) >> 16) & 0x7FFFu) == FACILITY_ERRNO;
}

// The system's text for a result code: a known code's message, an errno's strerror text, or a generic
// "Unknown error 0x...." line. Never empty.
std::string FormatMessage(HRESULT hr);
