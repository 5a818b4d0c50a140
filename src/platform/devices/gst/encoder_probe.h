// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Whether an encoder really records: each candidate is run once from a test source in the capture's default
// format, through the compressor filter (and so its converter), into the AVI multiplexer, to end of stream.
// Some encoders GStreamer lists with caps avimux accepts cannot negotiate them (or fail at their first
// frame); they are not offered. Verdicts are kept in a cache file keyed by the encoder's plugin file, so only
// a new or changed plugin is tried again.

#include <gst/gst.h>

#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

enum class EncoderKind { Video, Audio };

struct EncoderCandidate {
    std::string factory;
    EncoderKind kind = EncoderKind::Video;
    // Changes whenever the encoder's plugin does (see EncoderRegistryKey).
    std::string key;
};

struct ProbeVerdict {
    bool works = false;
    // Why it does not, in GStreamer's words; empty when it works.
    std::string reason;
    // No answer in time: on a loaded machine a good encoder can be slow, so this verdict holds for the
    // process only and is not written to the cache file.
    bool timedOut = false;
};

inline constexpr GstClockTime kEncoderProbeTimeout = 5 * GST_SECOND;

// Runs encoder (an element or a bin with one raw sink and one encoded source pad; taken over) once as a
// compressor into avimux. Returns within about timeout even when the encoder hangs.
ProbeVerdict ProbeEncoderElement(GstElement* encoder, EncoderKind kind,
                                 GstClockTime timeout = kEncoderProbeTimeout);
// The same for a factory of the registry.
ProbeVerdict ProbeEncoder(const EncoderCandidate& candidate);

// factory, plugin file name, plugin version, file size and modification time.
std::string EncoderRegistryKey(GstElementFactory* factory);

// $XDG_CACHE_HOME (else ~/.cache) /Pellworth/Corvane/encoder-probe.json
std::filesystem::path DefaultEncoderProbeCachePath();

// The verdicts of one cache file, remembered for the process's lifetime.
class EncoderProbeCache {
public:
    using Probe = std::function<ProbeVerdict(const EncoderCandidate&)>;
    // Told how many encoders are about to be tried, before a probe that has to try any.
    using Notice = std::function<void(std::size_t)>;

    explicit EncoderProbeCache(std::filesystem::path path, Probe probe = ProbeEncoder);

    // One verdict per candidate, in order. Candidates without a verdict for their key are probed and the
    // cache file rewritten; an unreadable or damaged file counts as empty. A timed-out verdict is asked
    // again by the next program, not by this one.
    std::vector<ProbeVerdict> verdicts(const std::vector<EncoderCandidate>& candidates,
                                       const Notice& notice = {});

private:
    struct Entry {
        std::string key;
        ProbeVerdict verdict;
    };
    void load();
    void save() const;

    std::filesystem::path path_;
    Probe probe_;
    std::mutex mutex_;
    bool loaded_ = false;
    std::map<std::string, Entry> entries_; // by factory
};

// The process's cache over DefaultEncoderProbeCachePath(), made at first use.
EncoderProbeCache& SharedEncoderProbeCache();
// What to say when the shared cache has to probe (a command line tool says it on stderr); none by default.
void SetEncoderProbeNotice(EncoderProbeCache::Notice notice);
EncoderProbeCache::Notice EncoderProbeNotice();
