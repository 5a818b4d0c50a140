// SPDX-License-Identifier: GPL-2.0-or-later
// The entry point of the TV benchmarks: the virtual card unless told otherwise, no display needed, and a
// folder of device locks of their own, so they never meet a running program's.
#include "platform/media/gst/engine_setup.h"

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>

int main(int argc, char** argv) {
    setenv("CORVANE_DEVICES", "virtual", 0);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QTemporaryDir runtime;
    setenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit().constData(), 1);
    QApplication app(argc, argv);
    EnsureGstInitialised();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
