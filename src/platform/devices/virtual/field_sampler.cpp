#include "field_sampler.h"

#include <cstdlib>

const char* const kFieldSamplerElement = "corvanefieldsampler";

namespace {

constexpr LONG kInterlacedLines[] = {576, 480};

bool IsWoven(DWORD compression) {
    return compression == FourCC_YUY2 || compression == FourCC_I420;
}

} // namespace

FieldSampling FieldSamplingOf(const VideoFormat& drawn, bool lines525) {
    FieldSampling sampling;
    const LONG lines = std::abs(drawn.height);
    for (LONG interlaced : kInterlacedLines) {
        sampling.interlaced = sampling.interlaced || lines == interlaced;
    }
    sampling.interlaced = sampling.interlaced && IsWoven(drawn.compression);
    // V4L2: M/NTSC sends the bottom field first, every other standard the top field.
    sampling.topFieldFirst = !lines525;
    sampling.fieldRateNumerator = lines525 ? 60000 : 50;
    sampling.fieldRateDenominator = lines525 ? 1001 : 1;
    return sampling;
}

GstCaps* PatternCapsOf(const VideoFormat& drawn, const FieldSampling& sampling) {
    GstCaps* caps = CapsOf(drawn);
    if (caps && sampling.interlaced) {
        gst_caps_set_simple(caps, "framerate", GST_TYPE_FRACTION, sampling.fieldRateNumerator,
                            sampling.fieldRateDenominator, nullptr);
    }
    return caps;
}

extern "C" {

struct CorvaneFieldSampler {
    GstBin parent;
    GstElement* pass;
    GstElement* weave;
    GstElement* rate;
    GstElement* rateCaps;
    GstPad* sink;
    GstPad* src;
};
struct CorvaneFieldSamplerClass {
    GstBinClass parentClass;
};

G_DEFINE_TYPE(CorvaneFieldSampler, corvane_field_sampler, GST_TYPE_BIN)

static GstStaticPadTemplate kSamplerSink =
    GST_STATIC_PAD_TEMPLATE("sink", GST_PAD_SINK, GST_PAD_ALWAYS, GST_STATIC_CAPS("video/x-raw"));
static GstStaticPadTemplate kSamplerSrc =
    GST_STATIC_PAD_TEMPLATE("src", GST_PAD_SRC, GST_PAD_ALWAYS, GST_STATIC_CAPS("video/x-raw"));

static void corvane_field_sampler_class_init(CorvaneFieldSamplerClass* klass) {
    GstElementClass* element = GST_ELEMENT_CLASS(klass);
    gst_element_class_add_static_pad_template(element, &kSamplerSink);
    gst_element_class_add_static_pad_template(element, &kSamplerSrc);
    gst_element_class_set_static_metadata(element, "Corvane virtual TV card field sampler", "Filter/Video",
                                          "Weaves two fields sampled a field apart into each frame at the "
                                          "line counts of analog TV",
                                          "Corvane");
}

static void corvane_field_sampler_init(CorvaneFieldSampler* self) {
    GstBin* bin = GST_BIN(self);
    self->pass = gst_element_factory_make("identity", "pass");
    self->weave = gst_element_factory_make("interlace", "weave");
    self->rate = gst_element_factory_make("videorate", "rate");
    self->rateCaps = gst_element_factory_make("capsfilter", "rate-caps");
    gst_bin_add(bin, self->pass);
    if (self->weave && self->rate && self->rateCaps) {
        // One field of each source picture, the next picture's other field: 50p becomes 25i.
        gst_util_set_object_arg(G_OBJECT(self->weave), "field-pattern", "1:1");
        gst_bin_add_many(bin, self->weave, self->rate, self->rateCaps, nullptr);
        gst_element_link_many(self->weave, self->rate, self->rateCaps, nullptr);
    }
    GstPad* passSink = gst_element_get_static_pad(self->pass, "sink");
    GstPad* passSrc = gst_element_get_static_pad(self->pass, "src");
    self->sink =
        gst_ghost_pad_new_from_template("sink", passSink, gst_static_pad_template_get(&kSamplerSink));
    self->src = gst_ghost_pad_new_from_template("src", passSrc, gst_static_pad_template_get(&kSamplerSrc));
    gst_object_unref(passSink);
    gst_object_unref(passSrc);
    gst_element_add_pad(GST_ELEMENT(self), self->sink);
    gst_element_add_pad(GST_ELEMENT(self), self->src);
}

} // extern "C"

GType FieldSamplerType() {
    return corvane_field_sampler_get_type();
}

void SetFieldSampling(GstElement* element, const VideoFormat& drawn, const FieldSampling& sampling) {
    if (!element || !G_TYPE_CHECK_INSTANCE_TYPE(element, corvane_field_sampler_get_type())) {
        return;
    }
    auto* self = reinterpret_cast<CorvaneFieldSampler*>(element);
    const bool weaves = sampling.interlaced && self->weave;
    GstElement* first = weaves ? self->weave : self->pass;
    GstElement* last = weaves ? self->rateCaps : self->pass;
    if (weaves) {
        g_object_set(self->weave, "top-field-first", sampling.topFieldFirst ? TRUE : FALSE, nullptr);
        GstCaps* rate = CapsOf(drawn);
        if (rate) {
            // Only the rate is held: the weaver's caps (interlacing, field order) pass through.
            GstStructure* structure = gst_caps_get_structure(rate, 0);
            gst_structure_remove_fields(structure, "format", "width", "height", "pixel-aspect-ratio",
                                        nullptr);
            g_object_set(self->rateCaps, "caps", rate, nullptr);
            gst_caps_unref(rate);
        }
    }
    GstPad* sink = gst_element_get_static_pad(first, "sink");
    GstPad* src = gst_element_get_static_pad(last, "src");
    gst_ghost_pad_set_target(GST_GHOST_PAD(self->sink), sink);
    gst_ghost_pad_set_target(GST_GHOST_PAD(self->src), src);
    gst_object_unref(sink);
    gst_object_unref(src);
}
