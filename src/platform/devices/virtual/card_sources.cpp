#include "card_sources.h"

#include "field_sampler.h"
#include "platform/media/gst/engine_setup.h"

#include <initializer_list>
#include <utility>

const char* const kCardPictureElement = "corvanetvpicture";
const char* const kCardSoundElement = "corvanetvsound";

namespace {

// Builds source ! caps [! extra...] inside bin and exposes the last element's output as the bin's "src" pad.
void Assemble(GstBin* bin, const char* sourceFactory,
              std::initializer_list<std::pair<const char*, const char*>> extra) {
    GstElement* source = gst_element_factory_make(sourceFactory, "source");
    GstElement* caps = gst_element_factory_make("capsfilter", "caps");
    // Live: data is taken at the clock's pace and stamped with its running time.
    g_object_set(source, "is-live", TRUE, nullptr);
    gst_bin_add_many(bin, source, caps, nullptr);
    gst_element_link(source, caps);
    GstElement* last = caps;
    for (const auto& [factory, name] : extra) {
        if (GstElement* element = gst_element_factory_make(factory, name)) {
            gst_bin_add(bin, element);
            gst_element_link(last, element);
            last = element;
        }
    }
    GstPad* output = gst_element_get_static_pad(last, "src");
    GstPadTemplate* templ = gst_element_class_get_pad_template(GST_ELEMENT_GET_CLASS(bin), "src");
    gst_element_add_pad(GST_ELEMENT(bin), gst_ghost_pad_new_from_template("src", output, templ));
    gst_object_unref(output);
}

} // namespace

extern "C" {

struct CorvaneTvPicture {
    GstBin parent;
};
struct CorvaneTvPictureClass {
    GstBinClass parentClass;
};
struct CorvaneTvSound {
    GstBin parent;
};
struct CorvaneTvSoundClass {
    GstBinClass parentClass;
};

G_DEFINE_TYPE(CorvaneTvPicture, corvane_tv_picture, GST_TYPE_BIN)
G_DEFINE_TYPE(CorvaneTvSound, corvane_tv_sound, GST_TYPE_BIN)

static GstStaticPadTemplate kPictureTemplate =
    GST_STATIC_PAD_TEMPLATE("src", GST_PAD_SRC, GST_PAD_ALWAYS, GST_STATIC_CAPS("video/x-raw"));
static GstStaticPadTemplate kSoundTemplate =
    GST_STATIC_PAD_TEMPLATE("src", GST_PAD_SRC, GST_PAD_ALWAYS, GST_STATIC_CAPS("audio/x-raw"));

static void corvane_tv_picture_class_init(CorvaneTvPictureClass* klass) {
    GstElementClass* element = GST_ELEMENT_CLASS(klass);
    gst_element_class_add_static_pad_template(element, &kPictureTemplate);
    gst_element_class_set_static_metadata(
        element, "Corvane virtual TV card picture", "Source/Video",
        "What the virtual TV card receives: a channel's test pattern, colour "
        "bars of an input, or noise",
        "Corvane");
}

static void corvane_tv_picture_init(CorvaneTvPicture* self) {
    Assemble(GST_BIN(self), "videotestsrc",
             {{kFieldSamplerElement, "fields"}, {"textoverlay", "overlay"}, {"videobalance", "balance"}});
}

static void corvane_tv_sound_class_init(CorvaneTvSoundClass* klass) {
    GstElementClass* element = GST_ELEMENT_CLASS(klass);
    gst_element_class_add_static_pad_template(element, &kSoundTemplate);
    gst_element_class_set_static_metadata(
        element, "Corvane virtual TV card sound", "Source/Audio",
        "What the virtual TV card's audio decoder hears: a tone per carrier, "
        "silence otherwise",
        "Corvane");
}

static void corvane_tv_sound_init(CorvaneTvSound* self) {
    Assemble(GST_BIN(self), "audiotestsrc", {});
}

} // extern "C"

bool RegisterCardSources() {
    static const bool registered =
        EnsureGstInitialised() &&
        gst_element_register(nullptr, kFieldSamplerElement, GST_RANK_NONE, FieldSamplerType()) &&
        gst_element_register(nullptr, kCardPictureElement, GST_RANK_NONE, corvane_tv_picture_get_type()) &&
        gst_element_register(nullptr, kCardSoundElement, GST_RANK_NONE, corvane_tv_sound_get_type());
    return registered;
}

GstElement* CardSourcePart(GstElement* source, const char* part) {
    return gst_bin_get_by_name(GST_BIN(source), part);
}
