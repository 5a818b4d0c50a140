#include "picture_deinterlacer.h"

#include "platform/media/deinterlace_methods.h"
#include "platform/media/video_renderer.h"

void ApplyDeinterlace(GstElement* deinterlace, const std::string& choice) {
    if (!deinterlace || !IsDeinterlaceChoice(choice)) {
        return;
    }
    const bool off = choice == kDeinterlaceOff;
    gst_util_set_object_arg(G_OBJECT(deinterlace), "mode", off ? "disabled" : "auto");
    if (!off) {
        gst_util_set_object_arg(G_OBJECT(deinterlace), "method", choice.c_str());
    }
}

GstElement* MakeDeinterlacer(VideoRenderer& renderer) {
    GstElement* deinterlace = gst_element_factory_make("deinterlace", nullptr);
    if (!deinterlace) {
        // Without the element the picture is shown as it comes, combs and all.
        g_warning("media engine: element deinterlace is not installed");
        return gst_element_factory_make("identity", nullptr);
    }
    const std::string choice = DefaultDeinterlace();
    ApplyDeinterlace(deinterlace, choice);
    renderer.put_Deinterlace(choice.c_str());
    // The element lives in the renderer filter's bin, which goes before the renderer it holds.
    renderer.setDeinterlaceHandler(
        [deinterlace](const std::string& chosen) { ApplyDeinterlace(deinterlace, chosen); });
    return deinterlace;
}
