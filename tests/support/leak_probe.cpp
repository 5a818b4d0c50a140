// SPDX-License-Identifier: GPL-2.0-or-later
// Leaks on purpose, once from plain C++ and once through GLib, after starting Qt and GStreamer as the program
// does. Its test expects the run to fail: leak detection is on and tests/lsan.supp hides no leak of ours,
// even one made through a library that the suppressions name.
#include <QApplication>

#include <glib.h>
#include <gst/gst.h>

#include <cstdio>

namespace {

// Nothing keeps the pointers: they die with the frames, which the later calls overwrite.
__attribute__((noinline)) void LeakThroughGLib() {
    const char* text = g_strdup("kept by nobody");
    std::printf("%s\n", text);
}

__attribute__((noinline)) void LeakThroughNew() {
    const int* numbers = new int[64]();
    std::printf("%d\n", numbers[63]);
}

__attribute__((noinline)) void OverwriteStack() {
    volatile char scratch[4096];
    for (volatile char& c : scratch) {
        c = 0;
    }
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    gst_init(&argc, &argv);
    LeakThroughGLib();
    LeakThroughNew();
    OverwriteStack();
    return 0;
}
