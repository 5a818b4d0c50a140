#pragma once
// The program's side of the mixer plug-in: found beside the executable, bound once at start, asked to apply
// or edit named presets, closed and unloaded at the end. Every call is skipped when its entry point is
// missing.

#include "components/mixer_presets.h"
#include "platform/win/shared_library.h"

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
    std::string description_;
};
