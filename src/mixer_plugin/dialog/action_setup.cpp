// SPDX-License-Identifier: LGPL-2.1-or-later
#include "action_setup.h"

#include "action_form.h"

#include <QApplication>
#include <QMessageBox>
#include <QWindow>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace faderix {

namespace {

std::unique_ptr<QApplication> ownApplication;

// A host without Qt gets an application object of the plug-in's own; a host with a non-widget Qt
// application cannot show the dialog at all. Without any display Qt would end the host's process, so
// the dialog is refused instead.
bool ensureWidgetApplication() {
    if (QCoreApplication::instance() == nullptr) {
        const auto isSet = [](const char* name) {
            return std::getenv(name) != nullptr && *std::getenv(name) != '\0';
        };
        if (!isSet("QT_QPA_PLATFORM") && !isSet("DISPLAY") && !isSet("WAYLAND_DISPLAY")) {
            std::fprintf(stderr, "Faderix: no display to show the setup dialog on\n");
            return false;
        }
        static int argc = 1;
        static char name[] = "Faderix";
        static char* argv[] = {name, nullptr};
        ownApplication = std::make_unique<QApplication>(argc, argv);
    }
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        std::fprintf(stderr,
                     "Faderix: the host's Qt application has no widgets; the setup dialog cannot be shown\n");
        return false;
    }
    return true;
}

// The host's window owns the dialog, so the dialog stays above it. A window of a Qt host in this process
// becomes the dialog's parent; any other native window its transient parent.
void setNativeOwner(QDialog& dialog, uintptr_t nativeParent) {
    if (nativeParent == 0) {
        return;
    }
    if (QWidget* owner = QWidget::find(static_cast<WId>(nativeParent))) {
        dialog.setParent(owner->window(), dialog.windowFlags());
        return;
    }
    dialog.winId();
    QWindow* owner = QWindow::fromWinId(static_cast<WId>(nativeParent));
    if (owner != nullptr && dialog.windowHandle() != nullptr) {
        dialog.windowHandle()->setTransientParent(owner);
        QObject::connect(&dialog, &QObject::destroyed, [owner] { delete owner; });
    }
}

} // namespace

bool actionSetup(PluginSession& session, const char* name, void** formSlot) {
    // Such a name can never be saved, and its preset is to stay empty: edits would be lost or, worse,
    // applied by ActionPreset from memory.
    if (!isSafePresetName(name)) {
        std::fprintf(stderr, "Faderix: \"%s\" cannot name a preset file; the setup dialog is not shown\n",
                     name);
        return false;
    }
    if (!ensureWidgetApplication()) {
        return false;
    }
    const uintptr_t nativeParent = session.host.nativeParent();
    QWidget* hostWindow = nativeParent != 0 ? QWidget::find(static_cast<WId>(nativeParent)) : nullptr;
    const ShowMixerError showError = [hostWindow](const char* text) {
        QMessageBox::critical(hostWindow, kPluginDescription, QString::fromUtf8(text));
    };
    auto form = std::make_unique<TActionForm>(*session.backend, showError);
    *formSlot = static_cast<QObject*>(form.get());
    setNativeOwner(*form, nativeParent);
    form->setWindowTitle(form->windowTitle() + " [" + QString::fromUtf8(name) + "]");

    Preset& preset = session.store.get(name);
    form->setEditedPreset(&preset);
    form->exec();

    for (PresetItem& item : preset.items) {
        if (auto path = findPathByControl(*session.backend, item.mixer, item.controlId)) {
            item.name = *path;
        }
    }
    errno = 0;
    const bool saved = session.store.save(name, preset);
    if (!saved) {
        // The edit stays in memory for this session, but the user must know it will not outlive it.
        std::fprintf(stderr, "Faderix: the preset \"%s\" could not be saved to %s: %s\n", name,
                     session.store.fileOf(name).c_str(), std::strerror(errno != 0 ? errno : EIO));
    }
    form.reset();
    *formSlot = nullptr;
    return saved;
}

void closeSetupToolkit() {
    ownApplication.reset();
}

} // namespace faderix
