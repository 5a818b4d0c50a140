// SPDX-License-Identifier: LGPL-2.1-or-later
/* Faderix mixer plug-in: the C interface between the plug-in and its host.
 *
 * The host loads Faderix.so, resolves the six entry points below by name and calls Open once
 * before anything else and Close once before it unloads the library. Every argument and result
 * of an entry point is a fixed-width 32-bit integer or a pointer. All calls are made on one
 * thread, the host's GUI thread; the plug-in starts no threads.
 */
#ifndef FADERIX_H
#define FADERIX_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Messages from the plug-in to the host (window message numbers: WM_USER + n). */
#define FADERIX_WM_USER 0x400
/* Posted at the end of every ActionPreset and ActionManual call.
 * wParam: the tag of the call; lParam: the reported value (a 32-bit integer, 0 when there is none). */
#define WM_PLUGIN_RESULT 0x402
/* Sent by ActionManual when its parameters cannot be used.
 * wParam: const char*, the error text (at most 255 characters); lParam: 0. */
#define WM_PLUGIN_ERROR 0x405
/* Sent by ActionManual once it has found its line and control.
 * wParam: the tag of the call; lParam: const ControlInfoRecord*. */
#define WM_PLUGIN_CONTROL_INFO 0x406

typedef struct FaderixHost FaderixHost;

/* Queue a message for the host and return at once; nonzero if it was queued. */
typedef int32_t (*FaderixPostFn)(FaderixHost* host, uint32_t message, uintptr_t wParam, intptr_t lParam);
/* Deliver a message synchronously. Pointers in wParam/lParam are valid only until this returns;
 * a host that wants the text or record later copies it. */
typedef intptr_t (*FaderixSendFn)(FaderixHost* host, uint32_t message, uintptr_t wParam, intptr_t lParam);

/* The host record that stands for the host window. It begins with its own size so that fields can
 * be added at the end: the plug-in reads only the fields that fit in `size` and treats the rest as 0.
 * The host keeps the record alive, at the same address, from Open to Close; the plug-in reads it each
 * time it delivers a message and passes it back to the callbacks. */
struct FaderixHost {
    uint32_t size;          /* sizeof(FaderixHost) as compiled into the host */
    void* context;          /* the host's own data; never touched by the plug-in */
    FaderixPostFn post;     /* may be 0: results are then dropped and the calls return 0 */
    FaderixSendFn send;     /* may be 0: sent messages are then dropped */
    uintptr_t nativeParent; /* native window id (WId) that owns the setup dialog, or 0 */
};

/* Parameter kinds of ManualParams. */
#define FADERIX_PARAM_TEXT 0 /* any other kind value means a number */

/* The command record of ActionManual. value[i] holds a `const char*` for a text parameter and a
 * 32-bit integer (sign-extended) for a number. */
typedef struct ManualParams {
    int32_t count;   /* number of parameters given, 3 or 4 (at most 4) */
    int32_t kind[4]; /* FADERIX_PARAM_TEXT or a number kind, per parameter */
    intptr_t value[4];
} ManualParams;

/* The record sent with WM_PLUGIN_CONTROL_INFO. */
typedef struct ControlInfoRecord {
    int32_t recordKind;      /* always 2 */
    int32_t reserved[4];     /* always 0 */
    const char* lineName;    /* the line's long name */
    const char* controlName; /* the control's long name */
} ControlInfoRecord;

/* Returns the constant description "Sound mixer plugin", valid while the library is loaded.
 * `host` may be 0 (no messages are delivered then). reserved1 and reserved2: pass 0. */
const char* Open(int32_t reserved1, FaderixHost* host, int32_t reserved2);
/* Releases every loaded preset. Saves nothing; a second call does nothing. */
void Close(void);
/* Shows the modal setup dialog for the named preset and saves the preset when it closes. */
void ActionSetup(const char* presetName);
/* Applies the named preset, then posts WM_PLUGIN_RESULT(tag, value). Nonzero if posted. */
int32_t ActionPreset(const char* presetName, int32_t tag);
/* Copies the name of preset number `index` (in name order) into `buffer`, cut to bufferSize - 1
 * characters and NUL-padded; returns 1, or 0 when there is no such preset or the buffer is unusable. */
int32_t EnumActionPreset(int32_t index, char* buffer, int32_t bufferSize);
/* Runs one mixer command (GET/SET/TOGGLE/UP/DOWN, line type, "Volume"/"Mute", amount) on mixer 0.
 * Sends WM_PLUGIN_ERROR or WM_PLUGIN_CONTROL_INFO, then posts WM_PLUGIN_RESULT(tag, value).
 * Nonzero if the result was posted. */
int32_t ActionManual(const ManualParams* params, int32_t tag);

/* Function pointer types for hosts that resolve the entry points with dlsym. */
typedef const char* (*FaderixOpenFn)(int32_t, FaderixHost*, int32_t);
typedef void (*FaderixCloseFn)(void);
typedef void (*FaderixActionSetupFn)(const char*);
typedef int32_t (*FaderixActionPresetFn)(const char*, int32_t);
typedef int32_t (*FaderixEnumActionPresetFn)(int32_t, char*, int32_t);
typedef int32_t (*FaderixActionManualFn)(const ManualParams*, int32_t);

#ifdef __cplusplus
}
#endif

#endif /* FADERIX_H */
