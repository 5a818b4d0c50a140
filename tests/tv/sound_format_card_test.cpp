// SPDX-License-Identifier: GPL-2.0-or-later
// The recorded sound's format on the virtual TV card: a GStreamer audio source's formats and the one chosen,
// and the format label for raw sound and for a compressor.
#include "avi_structure.h"
#include "card_tools.h"
#include "one_element.h"
#include "record_frames.h"
#include "tv/capture_status.h"
#include "tv/owned_media_type.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>

namespace {

struct Wave {
    unsigned tag = 0, channels = 0, rate = 0, bits = 0;
};

// The first sound stream's WAVEFORMATEX in the file's header list.
Wave RecordedWave(const QString& path) {
    QFile avi(path);
    if (!avi.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray head = avi.read(8192);
    const qsizetype strf = head.indexOf("strf", head.indexOf("auds"));
    if (strf < 0 || head.size() < strf + 24) {
        return {};
    }
    const auto word = [&](qsizetype at) {
        return static_cast<unsigned>(static_cast<unsigned char>(head[at]) |
                                     static_cast<unsigned char>(head[at + 1]) << 8);
    };
    const qsizetype wave = strf + 8;
    return {word(wave), word(wave + 2), ReadLe32(head, wave + 4), word(wave + 14)};
}

const WAVEFORMATEX& WaveOf(const AM_MEDIA_TYPE* type) {
    static const WAVEFORMATEX none;
    const WAVEFORMATEX* wave = WaveFormatOf(type);
    return wave ? *wave : none;
}

using MediaType = std::unique_ptr<AM_MEDIA_TYPE, decltype(&DeleteMediaType)>;

class SoundFormatOnTheCard : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        card.tools.outputFile = (folder.path() + "/capture.avi").toStdWString();
        // A live source, as a sound card is.
        sound = OneDevice(
            std::make_shared<OneElement>(CLSID_AudioInputDeviceCategory, "audiotestsrc", FilterRole::Source,
                                         [](GstElement* e) { g_object_set(e, "is-live", TRUE, nullptr); }),
            CLSID_AudioInputDeviceCategory);
        ASSERT_TRUE(sound);
    }
    // Records some frames and stops; check runs while the recording goes on.
    void record(const std::function<void()>& check = {}) {
        RecordSomeFrames(card);
        if (check) {
            check();
        }
        ASSERT_TRUE(card.tools.HaltCapture());
    }
    QString file() const { return folder.path() + "/capture.avi"; }
    // The offered format of rate, channels and bits; empty when there is none.
    MediaType offered(unsigned rate, unsigned channels, unsigned bits) const {
        int count = 0;
        int size = 0;
        card.tools.audioConfig->GetNumberOfCapabilities(&count, &size);
        for (int i = 0; i < count; ++i) {
            AM_MEDIA_TYPE* listed = nullptr;
            card.tools.audioConfig->GetStreamCaps(i, &listed, nullptr);
            MediaType type(listed, DeleteMediaType);
            const WAVEFORMATEX& wave = WaveOf(type.get());
            if (wave.nSamplesPerSec == rate && wave.nChannels == channels && wave.wBitsPerSample == bits) {
                return type;
            }
        }
        return MediaType(nullptr, DeleteMediaType);
    }

    QTemporaryDir folder;
    CardTools card;
    RefPtr<IMoniker> sound;
};

TEST_F(SoundFormatOnTheCard, AGStreamerSourceListsItsFormatsAndRecordsTheOneSet) {
    card.tools.SelectSources(card.video.get(), sound.get());
    EXPECT_FALSE(card.showedBoxStartingWith("Cannot find ACapture:IAMStreamConfig"));
    ASSERT_TRUE(card.tools.audioConfig);

    int count = 0;
    int size = -1;
    ASSERT_EQ(card.tools.audioConfig->GetNumberOfCapabilities(&count, &size), S_OK);
    // audiotestsrc takes any rate and channel count: every usual rate, mono and stereo, four sample sizes.
    EXPECT_EQ(count, 7 * 2 * 4);
    std::set<unsigned> rates;
    for (int i = 0; i < count; ++i) {
        OwnedMediaType type;
        ASSERT_EQ(card.tools.audioConfig->GetStreamCaps(i, &type.type, nullptr), S_OK);
        const WAVEFORMATEX& wave = WaveOf(type.type);
        EXPECT_EQ(wave.wFormatTag, WAVE_FORMAT_PCM);
        EXPECT_TRUE(wave.nChannels == 1 || wave.nChannels == 2);
        EXPECT_EQ(wave.nBlockAlign, wave.nChannels * wave.wBitsPerSample / 8);
        rates.insert(wave.nSamplesPerSec);
    }
    EXPECT_EQ(rates, (std::set<unsigned>{8000, 11025, 16000, 22050, 32000, 44100, 48000}));
    OwnedMediaType none;
    EXPECT_EQ(card.tools.audioConfig->GetStreamCaps(count, &none.type, nullptr), S_FALSE);

    // Before a choice: what the source negotiates by itself.
    EXPECT_EQ(AudioFormatText(nullptr, card.tools.audioConfig.get()), "44.100 kHz, 16 Bit, Stereo");

    const MediaType chosen = offered(22050, 1, 16);
    ASSERT_TRUE(chosen);
    ASSERT_EQ(card.tools.audioConfig->SetFormat(chosen.get()), S_OK);
    // A format the source does not offer is refused and changes nothing.
    const MediaType odd = offered(22050, 1, 16);
    const_cast<WAVEFORMATEX*>(WaveFormatOf(odd.get()))->nSamplesPerSec = 12345;
    EXPECT_EQ(card.tools.audioConfig->SetFormat(odd.get()), VFW_E_INVALIDMEDIATYPE);
    EXPECT_EQ(AudioFormatText(nullptr, card.tools.audioConfig.get()), "22.050 kHz, 16 Bit, Mono");

    record([&] {
        EXPECT_EQ(card.tools.audioConfig->SetFormat(offered(48000, 2, 16).get()), VFW_E_WRONG_STATE)
            << "not while it records";
    });
    EXPECT_TRUE(ReadAviStructure(file()).complete());
    const Wave recorded = RecordedWave(file());
    EXPECT_EQ(recorded.tag, WAVE_FORMAT_PCM);
    EXPECT_EQ(recorded.rate, 22050u);
    EXPECT_EQ(recorded.channels, 1u);
    EXPECT_EQ(recorded.bits, 16u);
}

TEST_F(SoundFormatOnTheCard, TheLabelShowsTheFormatACompressorRecords) {
    card.select();
    // The virtual card's sound, raw.
    EXPECT_EQ(AudioFormatText(nullptr, card.tools.audioConfig.get()), "44.100 kHz, 16 Bit, Stereo");

    card.tools.SelectCompressors(nullptr, Compressor(CLSID_AudioCompressorCategory, "lamemp3enc").get());
    ASSERT_TRUE(card.tools.audioCompressor);
    EXPECT_EQ(AudioFormatText(card.tools.audioCompressor.get(), nullptr), "MPEG Layer-3, 44.100 kHz, Stereo");
    card.tools.SelectCompressors(nullptr, Compressor(CLSID_AudioCompressorCategory, "avenc_ac3").get());
    ASSERT_TRUE(card.tools.audioCompressor);
    EXPECT_EQ(AudioFormatText(card.tools.audioCompressor.get(), nullptr).rfind("AC-3, ", 0), 0u)
        << AudioFormatText(card.tools.audioCompressor.get(), nullptr);

    // From a source at 22.05 kHz mono the encoder records that, as the running graph negotiated it.
    card.tools.SelectSources(card.video.get(), sound.get());
    ASSERT_EQ(card.tools.audioConfig->SetFormat(offered(22050, 1, 16).get()), S_OK);
    card.tools.SelectCompressors(nullptr, Compressor(CLSID_AudioCompressorCategory, "lamemp3enc").get());
    ASSERT_TRUE(card.tools.audioCompressor);
    record([&] {
        EXPECT_EQ(AudioFormatText(card.tools.audioCompressor.get(), nullptr),
                  "MPEG Layer-3, 22.050 kHz, Mono");
    });
    EXPECT_EQ(RecordedWave(file()).tag, 0x55u);
}

} // namespace
