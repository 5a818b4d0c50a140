// SPDX-License-Identifier: GPL-2.0-or-later
// The encoder probe: real encoders and small test bins run into avimux, and the cache of their verdicts.
#include "platform/devices/device_provider.h"
#include "platform/devices/gst/encoder_probe.h"
#include "platform/devices/gst/gst_device_element.h"
#include "platform/devices/gst/gst_encoder_provider.h"
#include "platform/media/gst/engine_setup.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

namespace {

// A bin of the description with its first sink and last source pads as "sink" and "src", as an encoder.
GstElement* EncoderBin(const char* description) {
    GError* error = nullptr;
    GstElement* bin = gst_parse_bin_from_description(description, TRUE, &error);
    g_clear_error(&error);
    return bin;
}

TEST(EncoderProbe, AcceptsEncodersThatRecordAndRejectsOnesThatCannotNegotiate) {
    ASSERT_TRUE(EnsureGstInitialised());
    const ProbeVerdict jpeg =
        ProbeEncoderElement(gst_element_factory_make("jpegenc", nullptr), EncoderKind::Video);
    EXPECT_TRUE(jpeg.works) << jpeg.reason;
    const ProbeVerdict aac =
        ProbeEncoderElement(gst_element_factory_make("avenc_aac", nullptr), EncoderKind::Audio);
    EXPECT_TRUE(aac.works) << aac.reason;

    // An encoder whose input takes no picture of the capture's size.
    const ProbeVerdict forbidden = ProbeEncoderElement(
        EncoderBin("capsfilter caps=video/x-raw,width=16,height=16 ! jpegenc"), EncoderKind::Video);
    EXPECT_FALSE(forbidden.works);
    EXPECT_FALSE(forbidden.reason.empty());
    // Sound into a picture encoder links to nothing.
    EXPECT_FALSE(ProbeEncoderElement(gst_element_factory_make("jpegenc", nullptr), EncoderKind::Audio).works);
    EXPECT_FALSE(ProbeEncoderElement(nullptr, EncoderKind::Video).works);

    // libav's MPEG-1 encoder is listed with caps avimux takes but refuses 25 fps at 720 x 576 from the
    // converter; it is the kind of encoder the probe exists for.
    if (GstElement* mpeg1 = gst_element_factory_make("avenc_mpeg1video", nullptr)) {
        EXPECT_FALSE(ProbeEncoderElement(mpeg1, EncoderKind::Video).works);
    }
}

TEST(EncoderProbe, AHangingEncoderCostsOnlyTheTimeout) {
    ASSERT_TRUE(EnsureGstInitialised());
    // Each frame takes a minute: the probe must give up long before, without waiting for the element.
    const ProbeVerdict verdict = ProbeEncoderElement(EncoderBin("identity sleep-time=60000000 ! jpegenc"),
                                                     EncoderKind::Video, GST_SECOND / 5);
    EXPECT_FALSE(verdict.works);
    EXPECT_NE(verdict.reason.find("time"), std::string::npos) << verdict.reason;
}

// A probe that records what it was asked and answers by the factory's name.
struct CountingProbe {
    std::vector<std::string> asked;
    EncoderProbeCache::Probe probe() {
        return [this](const EncoderCandidate& candidate) {
            asked.push_back(candidate.factory);
            const bool good = candidate.factory.rfind("good", 0) == 0;
            return ProbeVerdict{good, good ? "" : "refused", candidate.factory == "slow"};
        };
    }
};

class ProbeCacheFile : public ::testing::Test {
protected:
    std::filesystem::path path() const {
        return std::filesystem::path(folder.path().toStdString()) / "a/b.json";
    }
    // A fresh cache over the same file, as the next start of the program has.
    std::vector<ProbeVerdict> run(CountingProbe& probe, std::size_t* noticed = nullptr) {
        EncoderProbeCache cache(path(), probe.probe());
        return cache.verdicts(candidates, [noticed](std::size_t count) {
            if (noticed) {
                *noticed = count;
            }
        });
    }

    QTemporaryDir folder;
    std::vector<EncoderCandidate> candidates = {{"good1", EncoderKind::Video, "k1"},
                                                {"bad", EncoderKind::Video, "k2"},
                                                {"good2", EncoderKind::Audio, "k3"}};
};

TEST_F(ProbeCacheFile, ASecondStartProbesNothingAndAChangedPluginIsProbedAgain) {
    CountingProbe first;
    std::size_t noticed = 0;
    const auto verdicts = run(first, &noticed);
    EXPECT_EQ(first.asked, (std::vector<std::string>{"good1", "bad", "good2"}));
    EXPECT_EQ(noticed, 3u);
    ASSERT_EQ(verdicts.size(), 3u);
    EXPECT_TRUE(verdicts[0].works);
    EXPECT_FALSE(verdicts[1].works);
    EXPECT_EQ(verdicts[1].reason, "refused");

    CountingProbe second;
    noticed = 0;
    const auto again = run(second, &noticed);
    EXPECT_TRUE(second.asked.empty());
    EXPECT_EQ(noticed, 0u) << "nothing to say when nothing is probed";
    ASSERT_EQ(again.size(), 3u);
    EXPECT_FALSE(again[1].works);
    EXPECT_EQ(again[1].reason, "refused");
    EXPECT_TRUE(again[2].works);

    candidates[1].key = "k2-updated";
    CountingProbe third;
    run(third);
    EXPECT_EQ(third.asked, (std::vector<std::string>{"bad"}));

    // An encoder that did not answer in time is tried again at the next start, not within this one.
    candidates.push_back({"slow", EncoderKind::Video, "k4"});
    EncoderProbeCache cacheOfOneRun(path(), third.probe());
    EXPECT_FALSE(cacheOfOneRun.verdicts(candidates).at(3).works);
    cacheOfOneRun.verdicts(candidates);
    CountingProbe fourth;
    run(fourth);
    EXPECT_EQ(third.asked, (std::vector<std::string>{"bad", "slow"}));
    EXPECT_EQ(fourth.asked, (std::vector<std::string>{"slow"}));
    candidates.pop_back();

    // A cache of one program run remembers without the file too.
    EncoderProbeCache cache(path(), third.probe());
    cache.verdicts(candidates);
    std::filesystem::remove(path());
    cache.verdicts(candidates);
    EXPECT_EQ(third.asked.size(), 2u);
}

TEST_F(ProbeCacheFile, ADamagedOrUnwritableCacheOnlyCostsAProbe) {
    for (const char* content : {"{not json", "[]", "{\"format\":1,\"encoders\":{\"good1\":{\"key\":7}}}",
                                "{\"format\":99,\"encoders\":{}}"}) {
        std::filesystem::create_directories(path().parent_path());
        std::ofstream(path()) << content;
        CountingProbe probe;
        const auto verdicts = run(probe);
        EXPECT_EQ(probe.asked.size(), 3u) << content;
        ASSERT_EQ(verdicts.size(), 3u);
        EXPECT_TRUE(verdicts[0].works);
        // Rewritten whole: the next start probes nothing.
        CountingProbe next;
        run(next);
        EXPECT_TRUE(next.asked.empty()) << content;
    }
    // A folder that cannot be made: the verdicts still come.
    CountingProbe probe;
    EncoderProbeCache cache("/proc/no-such-folder/cache.json", probe.probe());
    EXPECT_TRUE(cache.verdicts(candidates).at(2).works);
}

TEST(EncoderProbe, TheCacheFileFollowsXdgCacheHome) {
    const std::string cacheHome = std::getenv("XDG_CACHE_HOME") ? std::getenv("XDG_CACHE_HOME") : "";
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    setenv("XDG_CACHE_HOME", "/somewhere", 1);
    EXPECT_EQ(DefaultEncoderProbeCachePath(), "/somewhere/Pellworth/Corvane/encoder-probe.json");
    setenv("XDG_CACHE_HOME", "relative", 1);
    setenv("HOME", "/home/x", 1);
    EXPECT_EQ(DefaultEncoderProbeCachePath(), "/home/x/.cache/Pellworth/Corvane/encoder-probe.json");
    setenv("XDG_CACHE_HOME", cacheHome.c_str(), 1);
    setenv("HOME", home.c_str(), 1);
}

// The factories the system's compressor list offers in a category.
std::vector<std::string> ListedFactories(const Guid& category) {
    std::vector<std::string> factories;
    const RefPtr<ICreateDevEnum> devEnum = MakeDeviceEnum({MakeGstEncoderProvider()});
    RefPtr<IEnumMoniker> monikers;
    if (devEnum->CreateClassEnumerator(category, monikers.put(), 0) != S_OK) {
        return factories;
    }
    IMoniker* moniker = nullptr;
    while (monikers->Next(1, &moniker, nullptr) == S_OK) {
        const RefPtr<IMoniker> owned = RefPtr<IMoniker>::adopt(moniker);
        RefPtr<IDeviceElement> element;
        if (SUCCEEDED(owned->BindToObject(nullptr, nullptr, IDeviceElement::IID,
                                          reinterpret_cast<void**>(element.put()))) &&
            element) {
            factories.push_back(GST_OBJECT_NAME(gst_element_get_factory(element->deviceElement())));
        }
    }
    return factories;
}

TEST(EncoderProbe, OnlyEncodersThatRecordAreListed) {
    ASSERT_TRUE(EnsureGstInitialised());
    const auto video = ListedFactories(CLSID_VideoCompressorCategory);
    EXPECT_NE(std::find(video.begin(), video.end(), "jpegenc"), video.end());
    if (GstElementFactory* mpeg1 = gst_element_factory_find("avenc_mpeg1video")) {
        gst_object_unref(mpeg1);
        EXPECT_EQ(std::find(video.begin(), video.end(), "avenc_mpeg1video"), video.end());
    }
    const auto audio = ListedFactories(CLSID_AudioCompressorCategory);
    EXPECT_NE(std::find(audio.begin(), audio.end(), "lamemp3enc"), audio.end());
}

TEST(EncoderProbe, TheKeyNamesThePluginFile) {
    ASSERT_TRUE(EnsureGstInitialised());
    GstElementFactory* factory = gst_element_factory_find("jpegenc");
    ASSERT_NE(factory, nullptr);
    GstPlugin* plugin = gst_plugin_feature_get_plugin(GST_PLUGIN_FEATURE(factory));
    const std::string key = EncoderRegistryKey(factory);
    EXPECT_EQ(key.rfind("jpegenc|", 0), 0u) << key;
    EXPECT_NE(key.find(gst_plugin_get_filename(plugin)), std::string::npos) << key;
    gst_object_unref(plugin);
    gst_object_unref(factory);
}

} // namespace
