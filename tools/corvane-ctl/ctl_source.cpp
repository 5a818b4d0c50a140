// SPDX-License-Identifier: GPL-2.0-or-later
#include "ctl_source.h"

#include "channels/channel_tuner.h"
#include "ctl_message_boxes.h"
#include "platform/win/clock.h"
#include "tv/tuner_tools.h"

#include <vector>

int TuneCard(TTunerTools& tools, CtlMessageBoxes& boxes, Clock& clock, const std::string& device,
             std::int32_t hertz, std::FILE* err) {
    if (!tools.PrepareTvTuner()) {
        return boxes.fail(err, device + " has no TV tuner");
    }
    // Whatever was said while opening the device did not stop it.
    boxes.flush(err, false);
    // The answer says only whether the frequency was 0; a refusal is in its box.
    const bool tuned = tools.TuneFrequency(hertz);
    if (!tuned || boxes.pending()) {
        return boxes.fail(err, "the tuner refused " + std::to_string(hertz) + " Hz");
    }
    clock.Sleep(kTunerSettleMs);
    return 0;
}

int ChooseInput(TTunerTools& tools, CtlMessageBoxes& boxes, const std::string& device,
                const std::string& name, std::FILE* err) {
    std::vector<std::string> names;
    const std::int32_t count = tools.crossbar ? tools.crossbar->InputCount() : 0;
    for (std::int32_t i = 0; i < count; ++i) {
        char text[64] = {};
        tools.crossbar->InputName(i, text, sizeof text);
        if (name == text) {
            if (FAILED(tools.crossbar->Routing(i))) {
                return boxes.fail(err, "cannot switch " + device + " to " + name);
            }
            return 0;
        }
        names.emplace_back(text);
    }
    std::string list;
    for (const std::string& known : names) {
        list += (list.empty() ? "" : ", ") + known;
    }
    return boxes.fail(err, "no input named " + name + " on " + device +
                               (names.empty() ? " (it has no inputs to choose)" : "; inputs: " + list));
}

int PrepareSource(TTunerTools& tools, CtlMessageBoxes& boxes, Clock& clock, const std::string& device,
                  const CtlArguments& args, std::FILE* err) {
    if (args.tuneFrequency) {
        if (const int status = TuneCard(tools, boxes, clock, device, *args.tuneFrequency, err)) {
            return status;
        }
    }
    return args.input ? ChooseInput(tools, boxes, device, *args.input, err) : 0;
}
