// SPDX-License-Identifier: GPL-2.0-or-later
#include "program.h"

#include "channels/search_form.h"
#include "command_line.h"
#include "main_form.h"
#include "mixer_plugin_binding.h"
#include "platform/registry/registry_path.h"
#include "platform/win/clock.h"
#include "platform/win/message_boxes.h"
#include "platform/win/shell.h"
#include "player/player_page.h"
#include "single_instance.h"
#include "unix_signals.h"
#include "view/video_window_form.h"
#include "window_system_choice.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>

namespace {

// How long a later program waits for the running one to take its files.
constexpr int kHandOverTimeoutMs = 10000;

// A later program on the same settings file: its files go to the running one, which raises its window.
int HandOverToRunningProgram(const InstanceAddress& address, const std::filesystem::path& registry, int argc,
                             char** argv) {
    // A command changing the stored settings answers no program; waiting for it to take files is pointless.
    if (const auto holder = ReadInstanceHolder(address); holder && !holder->listens) {
        std::fprintf(
            stderr,
            "corvane: corvane-ctl (process %ld) is changing the stored settings in %s; start Corvane "
            "again when it has finished\n",
            holder->pid, registry.c_str());
        return 1;
    }
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        // The running program has a working folder of its own.
        std::error_code ignored;
        files.push_back(std::filesystem::absolute(argv[i], ignored).string());
    }
    if (const auto taken = HandOverFiles(address.socketPath, files, kHandOverTimeoutMs)) {
        std::printf("corvane: handed %d file(s) to the Corvane already running on %s\n", *taken,
                    registry.c_str());
        return 0;
    }
    std::fprintf(stderr,
                 "corvane: another Corvane is already running on the settings file %s and could not be "
                 "reached; a second one would save over its settings, so none is started\n",
                 registry.c_str());
    return 1;
}

} // namespace

int RunProgram(int argc, char** argv) {
    // Answered before Qt starts, so they work without a display, and before the instance check, so they
    // answer also while another Corvane runs.
    if (const auto answered = AnswerInformationOption(argc, argv, stdout)) {
        return *answered;
    }
    const std::filesystem::path registry = DefaultRegistryPath();
    const InstanceAddress address = InstanceAddressFor(registry);
    InstanceLock instance(address);
    if (!instance.isFirst()) {
        return HandOverToRunningProgram(address, registry, argc, argv);
    }
    PreferXcbInWaylandSession();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kApplicationTitle));
    QApplication::setOrganizationName(QStringLiteral("Pellworth"));
    // The program ends when the main window closes, whatever other windows are still open.
    QApplication::setQuitOnLastWindowClosed(false);

    RealClock clock;
    QtMessageBoxes messageBoxes;
    DesktopShell shell;
    try {
        TMainForm mainForm(
            TMainForm::Services{clock, messageBoxes, shell, MixerPluginBinding::kDefaultPath, registry});
        TRadioSearchForm radioSearchForm(clock);
        TTVSearchForm tvSearchForm(clock);
        mainForm.setSearchForms(&tvSearchForm, &radioSearchForm);
        TVideoWindowForm videoWindowForm(mainForm);
        VideoWindowForm = &videoWindowForm;
        mainForm.setVideoWindow(&videoWindowForm);
        QObject::connect(&mainForm, &TMainForm::closed, &app, &QApplication::quit, Qt::QueuedConnection);
        CloseWindowOnTerminationSignals(&mainForm);

        mainForm.show();
        const QStringList files = app.arguments().mid(1);
        if (!files.isEmpty() && mainForm.playerPage()) {
            mainForm.playerPage()->openFiles(files);
        }
        // Later programs started on the same settings file raise this window and open their files here.
        InstanceServer instanceServer(instance.takeListener(), [&mainForm](const QStringList& handedOver) {
            mainForm.openHandedOverFiles(handedOver);
        });
        const int result = app.exec();
        VideoWindowForm = nullptr;
        return result;
    } catch (const std::exception& error) {
        QMessageBox::critical(nullptr, QString::fromLatin1(kApplicationTitle),
                              QString::fromLocal8Bit(error.what()));
        return 1;
    }
}
