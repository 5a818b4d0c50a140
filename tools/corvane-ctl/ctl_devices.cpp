// SPDX-License-Identifier: GPL-2.0-or-later
#include "ctl_devices.h"

#include "platform/devices/gst/encoder_probe.h"

const CtlCategory kCtlCategories[7] = {
    {kVideoCapturePicker, "video-capture"},
    {kAudioCapturePicker, "audio-capture"},
    {kTVTunerPicker, "tv-tuner"},
    {kTVAudioPicker, "tv-audio"},
    {kVideoCrossbarPicker, "crossbar"},
    {kVideoCompressionPicker, "video-compressor"},
    {kAudioCompressionPicker, "audio-compressor"},
};

int ListDevices(std::FILE* out, const DeviceEnumFactory& factory) {
    // The first listing after an installation tries every encoder, which takes a while; say why.
    SetEncoderProbeNotice([](std::size_t count) {
        std::fprintf(stderr, "probing %zu encoders...\n", count);
        std::fflush(stderr);
    });
    for (const CtlCategory& category : kCtlCategories) {
        // The picker itself lists them, so the indexes are the ones the program stores.
        DevicePickerCombo picker(category.kind, nullptr, factory);
        for (int index = 0; index < picker.count(); ++index) {
            picker.setCurrentIndex(index);
            if (picker.GetMoniker()) {
                std::fprintf(out, "%s\t%d\t%s\n", category.name, index,
                             picker.itemText(index).toUtf8().constData());
            }
        }
    }
    std::fflush(out);
    return 0;
}
