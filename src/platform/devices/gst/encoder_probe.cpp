// SPDX-License-Identifier: GPL-2.0-or-later
#include "encoder_probe.h"

#include "gst_device_element.h"
#include "platform/media/gst/video_format.h"

#include <nlohmann/json.hpp>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

// A few frames of the capture's default picture and a few buffers of its sound: enough for an encoder to
// negotiate, take its first input and drain at end of stream.
constexpr int kProbeFrames = 5;
constexpr int kProbeSoundBuffers = 10;
constexpr int kProbeSamplesPerBuffer = 1764; // 40 ms at 44.1 kHz
constexpr int kCacheFormat = 1;

const VideoFormat kProbePicture{
    .width = 720, .height = 576, .compression = FourCC_YUY2, .bitCount = 16, .avgTimePerFrame = 400000};

GstElement* ProbeSource(EncoderKind kind) {
    GstElement* source = nullptr;
    if (kind == EncoderKind::Video) {
        source = gst_element_factory_make("videotestsrc", nullptr);
        g_object_set(source, "num-buffers", kProbeFrames, nullptr);
    } else {
        source = gst_element_factory_make("audiotestsrc", nullptr);
        g_object_set(source, "num-buffers", kProbeSoundBuffers, "samplesperbuffer", kProbeSamplesPerBuffer,
                     nullptr);
    }
    return source;
}

GstCaps* ProbeCaps(EncoderKind kind) {
    return kind == EncoderKind::Video ? CapsOf(kProbePicture) : CapsOf(AudioFormat{});
}

using BufferCount = std::atomic<int>;

GstPadProbeReturn CountBuffer(GstPad*, GstPadProbeInfo*, gpointer count) {
    static_cast<BufferCount*>(count)->fetch_add(1);
    return GST_PAD_PROBE_OK;
}

std::string ErrorText(GstMessage* message) {
    GError* error = nullptr;
    gchar* debug = nullptr;
    gst_message_parse_error(message, &error, &debug);
    std::string text = error ? error->message : "error";
    if (debug) {
        text += " (" + std::string(debug) + ")";
    }
    g_clear_error(&error);
    g_free(debug);
    return text;
}

// Stops and frees the probe's pipeline. An encoder that hangs may hold its streaming thread so that the
// state change waits for it; that wait happens on a thread of its own, so the caller never does.
void TearDown(GstElement* pipeline, IBaseFilter* filter, bool mayHang) {
    auto tearDown = [pipeline, filter] {
        gst_element_set_state(pipeline, GST_STATE_NULL);
        gst_object_unref(pipeline);
        filter->Release();
    };
    if (mayHang) {
        std::thread(tearDown).detach();
    } else {
        tearDown();
    }
}

std::filesystem::path CacheHome() {
    if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && *xdg == '/') {
        return xdg;
    }
    if (const char* home = std::getenv("HOME"); home && *home) {
        return std::filesystem::path(home) / ".cache";
    }
    return ".cache";
}

std::mutex gNoticeMutex;
EncoderProbeCache::Notice gNotice;

} // namespace

ProbeVerdict ProbeEncoderElement(GstElement* encoder, EncoderKind kind, GstClockTime timeout) {
    if (!encoder) {
        return {false, "the element cannot be made"};
    }
    RefPtr<IBaseFilter> filter;
    if (FAILED(BindDeviceElement(encoder, FilterRole::Encoder, IBaseFilter::IID,
                                 reinterpret_cast<void**>(filter.put()))) ||
        !filter) {
        return {false, "the filter cannot be made"};
    }
    GstElement* compressor = AsGstFilter(filter.get())->element();
    GstElement* pipeline = gst_pipeline_new("encoder-probe");
    GstElement* source = ProbeSource(kind);
    GstElement* format = gst_element_factory_make("capsfilter", nullptr);
    GstCaps* caps = ProbeCaps(kind);
    g_object_set(format, "caps", caps, nullptr);
    gst_caps_unref(caps);
    GstElement* mux = gst_element_factory_make("avimux", nullptr);
    GstElement* sink = gst_element_factory_make("fakesink", nullptr);
    g_object_set(sink, "sync", FALSE, nullptr);
    // The pipeline takes a reference of its own on the filter's bin.
    gst_bin_add_many(GST_BIN(pipeline), source, format, compressor, mux, sink, nullptr);
    if (!gst_element_link(source, format) || !gst_element_link(mux, sink)) {
        TearDown(pipeline, filter.detach(), false);
        return {false, "the probe's elements do not link"};
    }
    if (!gst_element_link_pads(format, "src", compressor, "Input")) {
        TearDown(pipeline, filter.detach(), false);
        return {false, "does not take the capture's format"};
    }
    if (!gst_element_link_pads(compressor, "Output", mux,
                               kind == EncoderKind::Video ? "video_%u" : "audio_%u")) {
        TearDown(pipeline, filter.detach(), false);
        return {false, "does not link to the AVI multiplexer"};
    }
    // The count belongs to the pad, which a hung encoder's tear-down may free late.
    auto* encoded = new BufferCount(0);
    GstPad* output = gst_element_get_static_pad(compressor, "Output");
    gst_pad_add_probe(output, GST_PAD_PROBE_TYPE_BUFFER, &CountBuffer, encoded,
                      [](gpointer count) { delete static_cast<BufferCount*>(count); });
    gst_object_unref(output);

    ProbeVerdict verdict;
    bool timedOut = false;
    if (gst_element_set_state(pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        verdict.reason = "does not start";
    }
    GstBus* bus = gst_element_get_bus(pipeline);
    // A failed start has posted its error already, which says more than "does not start".
    GstMessage* message = gst_bus_timed_pop_filtered(bus, verdict.reason.empty() ? timeout : 0,
                                                     GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    gst_object_unref(bus);
    if (!message) {
        timedOut = verdict.reason.empty();
        if (timedOut) {
            verdict.reason = "no end of stream within the time allowed";
            verdict.timedOut = true;
        }
    } else if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR) {
        verdict.reason = ErrorText(message);
    } else if (verdict.reason.empty() && encoded->load() == 0) {
        verdict.reason = "no output";
    } else {
        verdict.works = verdict.reason.empty();
    }
    if (message) {
        gst_message_unref(message);
    }
    TearDown(pipeline, filter.detach(), timedOut);
    return verdict;
}

ProbeVerdict ProbeEncoder(const EncoderCandidate& candidate) {
    return ProbeEncoderElement(gst_element_factory_make(candidate.factory.c_str(), nullptr), candidate.kind);
}

std::string EncoderRegistryKey(GstElementFactory* factory) {
    std::string key = gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(factory));
    GstPlugin* plugin = gst_plugin_feature_get_plugin(GST_PLUGIN_FEATURE(factory));
    if (!plugin) {
        return key;
    }
    const gchar* file = gst_plugin_get_filename(plugin);
    const gchar* version = gst_plugin_get_version(plugin);
    key += std::string("|") + (file ? file : "") + "|" + (version ? version : "");
    struct stat info {};
    if (file && ::stat(file, &info) == 0) {
        key += "|" + std::to_string(info.st_size) + "|" + std::to_string(info.st_mtim.tv_sec) + "." +
               std::to_string(info.st_mtim.tv_nsec);
    }
    gst_object_unref(plugin);
    return key;
}

std::filesystem::path DefaultEncoderProbeCachePath() {
    return CacheHome() / "Pellworth" / "Corvane" / "encoder-probe.json";
}

EncoderProbeCache::EncoderProbeCache(std::filesystem::path path, Probe probe)
    : path_(std::move(path)), probe_(std::move(probe)) {}

std::vector<ProbeVerdict> EncoderProbeCache::verdicts(const std::vector<EncoderCandidate>& candidates,
                                                      const Notice& notice) {
    std::lock_guard lock(mutex_);
    if (!loaded_) {
        load();
        loaded_ = true;
    }
    std::vector<const EncoderCandidate*> missing;
    for (const EncoderCandidate& candidate : candidates) {
        const auto found = entries_.find(candidate.factory);
        if (found == entries_.end() || found->second.key != candidate.key) {
            missing.push_back(&candidate);
        }
    }
    if (!missing.empty()) {
        if (notice) {
            notice(missing.size());
        }
        for (const EncoderCandidate* candidate : missing) {
            entries_[candidate->factory] = {candidate->key, probe_(*candidate)};
        }
        save();
    }
    std::vector<ProbeVerdict> out;
    out.reserve(candidates.size());
    for (const EncoderCandidate& candidate : candidates) {
        out.push_back(entries_.at(candidate.factory).verdict);
    }
    return out;
}

void EncoderProbeCache::load() {
    std::ifstream in(path_);
    if (!in) {
        return;
    }
    const nlohmann::json document = nlohmann::json::parse(in, nullptr, false);
    if (!document.is_object() || document.value("format", 0) != kCacheFormat ||
        !document.contains("encoders") || !document["encoders"].is_object()) {
        return; // damaged or from another version: probe again
    }
    for (const auto& [factory, entry] : document["encoders"].items()) {
        if (entry.is_object() && entry.contains("key") && entry["key"].is_string() &&
            entry.contains("works") && entry["works"].is_boolean()) {
            entries_[factory] = {entry["key"].get<std::string>(),
                                 {entry["works"].get<bool>(), entry.value("reason", std::string())}};
        }
    }
}

void EncoderProbeCache::save() const {
    nlohmann::json encoders = nlohmann::json::object();
    for (const auto& [factory, entry] : entries_) {
        if (entry.verdict.timedOut) {
            continue;
        }
        encoders[factory] = {
            {"key", entry.key}, {"works", entry.verdict.works}, {"reason", entry.verdict.reason}};
    }
    const nlohmann::json document = {{"format", kCacheFormat}, {"encoders", encoders}};
    // Written beside the file and renamed over it, so a reader (another program starting) sees the old
    // file or the new one, never half of one. A cache that cannot be written only costs a probe next time.
    std::error_code error;
    std::filesystem::create_directories(path_.parent_path(), error);
    const std::filesystem::path temporary =
        path_.string() + ".tmp" + std::to_string(static_cast<long>(::getpid()));
    {
        std::ofstream out(temporary, std::ios::trunc);
        out << document.dump(1) << '\n';
        out.flush();
        if (!out) {
            std::filesystem::remove(temporary, error);
            return;
        }
    }
    std::filesystem::rename(temporary, path_, error);
    if (error) {
        std::filesystem::remove(temporary, error);
    }
}

EncoderProbeCache& SharedEncoderProbeCache() {
    static EncoderProbeCache cache(DefaultEncoderProbeCachePath());
    return cache;
}

void SetEncoderProbeNotice(EncoderProbeCache::Notice notice) {
    std::lock_guard lock(gNoticeMutex);
    gNotice = std::move(notice);
}

EncoderProbeCache::Notice EncoderProbeNotice() {
    std::lock_guard lock(gNoticeMutex);
    return gNotice;
}
