// SPDX-License-Identifier: GPL-2.0-or-later
#include "mixer_plugin_binding.h"

#include "faderix.h"
#include "platform/win/message_boxes.h"
#include "platform/win/window_message.h"

#include <QMetaObject>
#include <QWidget>

namespace {

QWidget* hostWindow(FaderixHost* host) {
    return host ? static_cast<QWidget*>(host->context) : nullptr;
}

// The plug-in's messages arrive exactly like the window's own: posted into its queue, or sent.
int32_t postToWindow(FaderixHost* host, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    return PostMessage(hostWindow(host), message, wParam, lParam) ? 1 : 0;
}

intptr_t sendToWindow(FaderixHost* host, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    return SendMessage(hostWindow(host), message, wParam, lParam);
}

QString fileNameOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return QString::fromStdString(slash == std::string::npos ? path : path.substr(slash + 1));
}

} // namespace

MixerPluginBinding::MixerPluginBinding(MessageBoxes& messageBoxes) : messageBoxes_(messageBoxes) {}

MixerPluginBinding::~MixerPluginBinding() {
    unbind();
}

void MixerPluginBinding::bind(QWidget* mainWindow, const std::string& path) {
    const QString fileName = fileNameOf(path);
    if (!library_.load(path)) {
        messageBoxes_.show(mainWindow, QStringLiteral("Can't find %1").arg(fileName), QStringLiteral("Error"),
                           MessageIcon::Error);
        return;
    }
    open_ = library_.function<OpenFn>("Open");
    if (!open_) {
        library_.unload();
        messageBoxes_.show(mainWindow, QStringLiteral("Error loading plugin %1").arg(fileName),
                           QStringLiteral("Error"), MessageIcon::Error);
        return;
    }
    close_ = library_.function<CloseFn>("Close");
    actionSetup_ = library_.function<ActionSetupFn>("ActionSetup");
    actionPreset_ = library_.function<ActionPresetFn>("ActionPreset");
    setupForm_ = static_cast<void**>(library_.symbol("_ActionForm"));

    host_ = std::make_unique<FaderixHost>();
    host_->size = sizeof(FaderixHost);
    host_->context = mainWindow;
    host_->post = &postToWindow;
    host_->send = &sendToWindow;
    host_->nativeParent = mainWindow ? static_cast<uintptr_t>(mainWindow->winId()) : 0;
    const char* description = open_(0, host_.get(), 0);
    description_ = description ? description : "";
}

void MixerPluginBinding::unbind() {
    if (!library_.isLoaded()) {
        return;
    }
    if (close_) {
        close_();
    }
    library_.unload();
    open_ = nullptr;
    close_ = nullptr;
    actionSetup_ = nullptr;
    actionPreset_ = nullptr;
    setupForm_ = nullptr;
    host_.reset();
}

void MixerPluginBinding::ActionPreset(const char* name) {
    if (actionPreset_) {
        actionPreset_(name, 0);
    }
}

void MixerPluginBinding::ActionSetup(const char* name) {
    if (!actionSetup_) {
        return;
    }
    ++setupDepth_;
    actionSetup_(name);
    --setupDepth_;
    if (afterSetup_) {
        afterSetup_();
    }
}

void MixerPluginBinding::closeSetupDialog() {
    if (!isInSetup() || !setupForm_ || !*setupForm_) {
        return;
    }
    // Queued: the dialog ends its own loop, and ActionSetup then saves and returns as after a user's close.
    QMetaObject::invokeMethod(static_cast<QObject*>(*setupForm_), "reject", Qt::QueuedConnection);
}
