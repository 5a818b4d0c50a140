// SPDX-License-Identifier: GPL-2.0-or-later
// The manual command from the command line to the mixer: each input line is one argument of
// "faderix-cli manual", parsed as the command line is, then run on the built-in virtual mixer.
#include "../tools/faderix-cli/manual_arguments.h"
#include "backend/virtual/virtual_mixer_backend.h"
#include "fuzz_support.h"
#include "manual_command.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string error;
    const auto arguments = faderix_cli::ManualArguments::parse(fuzz::Split(data, size, '\n'), error);
    if (!arguments) {
        return 0;
    }
    faderix::VirtualMixerBackend mixer(faderix::builtInVirtualMixer(),
                                       (fuzz::ScratchFolder() / "state.json").string());
    faderix::runManualCommand(mixer, &arguments->params());
    faderix::manualErrorText(&arguments->params());
    fuzz::ClearScratchFolder();
    return 0;
}
