#include "program.h"

#include "channels/search_form.h"
#include "command_line.h"
#include "main_form.h"
#include "mixer_plugin_binding.h"
#include "platform/win/clock.h"
#include "platform/win/message_boxes.h"
#include "platform/win/shell.h"
#include "player/player_page.h"
#include "unix_signals.h"
#include "view/video_window_form.h"

#include <QApplication>
#include <QMessageBox>

#include <exception>
#include <memory>

int RunProgram(int argc, char** argv) {
    // Answered before Qt starts, so they work without a display.
    if (const auto answered = AnswerInformationOption(argc, argv, stdout)) {
        return *answered;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kApplicationTitle));
    QApplication::setOrganizationName(QStringLiteral("Pellworth"));
    // The program ends when the main window closes, whatever other windows are still open.
    QApplication::setQuitOnLastWindowClosed(false);

    RealClock clock;
    QtMessageBoxes messageBoxes;
    DesktopShell shell;
    try {
        TMainForm mainForm(TMainForm::Services{clock, messageBoxes, shell, MixerPluginBinding::kDefaultPath});
        TRadioSearchForm radioSearchForm;
        TTVSearchForm tvSearchForm;
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
        const int result = app.exec();
        VideoWindowForm = nullptr;
        return result;
    } catch (const std::exception& error) {
        QMessageBox::critical(nullptr, QString::fromLatin1(kApplicationTitle),
                              QString::fromLocal8Bit(error.what()));
        return 1;
    }
}
