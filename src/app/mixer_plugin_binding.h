// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The program's side of the mixer plug-in: found beside the executable, bound once at start, asked to apply
// or edit named presets, closed and unloaded at the end. Every call is skipped when its entry point is
// missing.

#include "components/mixer_presets.h"
#include "platform/win/shared_library.h"

#include <functional>
#include <memory>
#include <string>

class MessageBoxes;
class QWidget;
struct FaderixHost;

class MixerPluginBinding final : public MixerPresets {
public:
    static constexpr const char* kDefaultPath = "Mixer/Faderix.so";

    explicit MixerPluginBinding(MessageBoxes& messageBoxes);
    ~MixerPluginBinding() override;

    // Loads the library and calls its Open with the window as host; reports a failure in a box and goes on.
    void bind(QWidget* mainWindow, const std::string& path = kDefaultPath);
    // Close, then unload. The library is never loaded again.
    void unbind();

    bool isBound() const { return library_.isLoaded(); }
    // ActionSetup has not returned yet: its dialog is open, and the plug-in must stay loaded.
    bool isInSetup() const { return setupDepth_ > 0; }
    // Asks the open setup dialog to close the way the user closes it, which saves the preset. Does nothing
    // when the plug-in does not say which dialog is open.
    void closeSetupDialog();
    // Runs each time an ActionSetup call has returned.
    void setAfterSetup(std::function<void()> afterSetup) { afterSetup_ = std::move(afterSetup); }
    // The description the plug-in returned from Open, empty when unbound.
    const std::string& description() const { return description_; }

    void ActionPreset(const char* name) override;
    void ActionSetup(const char* name) override;

private:
    using OpenFn = const char* (*)(std::int32_t, FaderixHost*, std::int32_t);
    using CloseFn = void (*)();
    using ActionSetupFn = void (*)(const char*);
    using ActionPresetFn = std::int32_t (*)(const char*, std::int32_t);

    MessageBoxes& messageBoxes_;
    SharedLibrary library_;
    std::unique_ptr<FaderixHost> host_;
    OpenFn open_ = nullptr;
    CloseFn close_ = nullptr;
    ActionSetupFn actionSetup_ = nullptr;
    ActionPresetFn actionPreset_ = nullptr;
    // The plug-in's exported variable that holds its open setup dialog (a QObject), if it has one.
    void** setupForm_ = nullptr;
    int setupDepth_ = 0;
    std::function<void()> afterSetup_;
    std::string description_;
};
