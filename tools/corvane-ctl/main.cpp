// SPDX-License-Identifier: GPL-2.0-or-later
// corvane-ctl: a command-line companion of Corvane for scripts. It lists the devices, records, tunes and
// takes snapshots, and searches through the program's own settings, device pickers, capture graph and
// radio tuner object.
#include "ctl_arguments.h"
#include "ctl_channels.h"
#include "ctl_devices.h"
#include "ctl_listen.h"
#include "ctl_record.h"
#include "ctl_scan.h"
#include "ctl_snapshot.h"
#include "ctl_tune.h"
#include "platform/media/gst/engine_setup.h"
#include "platform/win/clock.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    // channels has its own arguments and needs no devices.
    if (!args.empty() && args[0] == "channels") {
        std::string error;
        const std::optional<CtlChannelList> which = ParseCtlChannels({args.begin() + 1, args.end()}, error);
        if (!which) {
            std::fprintf(stderr, "error: %s\n%s", error.c_str(), kCtlUsage);
            return 2;
        }
        return ListChannels(*which, stdout);
    }
    const CtlParse parsed = ParseCtlArguments(args);
    if (!parsed.arguments) {
        std::fprintf(stderr, "error: %s\n%s", parsed.error.c_str(), kCtlUsage);
        return 2;
    }
    if (parsed.arguments->command == CtlArguments::Command::Help) {
        std::fputs(kCtlUsage, stdout);
        return 0;
    }
    if (parsed.arguments->command == CtlArguments::Command::Version) {
        std::puts("corvane-ctl " CORVANE_CTL_VERSION);
        return 0;
    }
    // The pickers and the engine are widgets underneath; no window is ever shown.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("corvane-ctl"));
    QApplication::setOrganizationName(QStringLiteral("Pellworth"));
    EnsureGstInitialised();
    if (parsed.arguments->command == CtlArguments::Command::Listen) {
        return Listen(*parsed.arguments, stdout, stderr);
    }
    if (parsed.arguments->command == CtlArguments::Command::Devices) {
        return ListDevices(stdout);
    }
    if (parsed.arguments->command == CtlArguments::Command::Tune) {
        RealClock clock;
        return parsed.arguments->band == CtlArguments::Band::Tv
                   ? TuneTv(*parsed.arguments, clock, stdout, stderr)
                   : TuneRadio(*parsed.arguments, clock, stdout, stderr);
    }
    if (parsed.arguments->command == CtlArguments::Command::Snapshot) {
        RealClock clock;
        return TakeSnapshot(*parsed.arguments, clock, stdout, stderr);
    }
    if (parsed.arguments->command == CtlArguments::Command::Scan) {
        RealClock clock;
        return ScanChannels(*parsed.arguments, clock, stdout, stderr);
    }
    return RecordCapture(*parsed.arguments, stdout, stderr);
}
