// Leaks on purpose, once from plain C++ and once through GLib, after starting Qt and GStreamer as the program
// does. Its test expects the run to fail: leak detection is on and tests/lsan.supp hides no leak of ours,
// even one made through a library that the suppressions name.
#include <QApplication>

#include <glib.h>
#include <gst/gst.h>

#include <cstdio>

namespace {

char* LeakThroughGLib() {
    return g_strdup("kept by nobody");
}

int* LeakThroughNew() {
    return new int[64]();
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    gst_init(&argc, &argv);
    static volatile void* sink = nullptr;
    sink = LeakThroughGLib();
    sink = LeakThroughNew();
    sink = nullptr;
    std::puts("leaked");
    return 0;
}
