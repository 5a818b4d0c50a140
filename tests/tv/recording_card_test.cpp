// SPDX-License-Identifier: GPL-2.0-or-later
// Recording on the virtual TV card through the media engine: what a device, sound or size change does to a
// recording under way and to the compressors chosen for the next one.
#include "avi_structure.h"
#include "card_tools.h"
#include "one_element.h"
#include "record_frames.h"
#include "tv/compressor_options.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

namespace {

class RecordingOnTheCard : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        card.tools.outputFile = (folder.path() + "/capture.avi").toStdWString();
        videoCodec = Compressor(CLSID_VideoCompressorCategory, "jpegenc");
        audioCodec = Compressor(CLSID_AudioCompressorCategory, "lamemp3enc");
        ASSERT_TRUE(videoCodec && audioCodec);
    }
    QString file() const { return folder.path() + "/capture.avi"; }
    void recordSomeFrames() { RecordSomeFrames(card); }
    // The fourcc of the first video stream's format ("MJPG"), from the file's header list.
    QByteArray videoFourcc() const {
        QFile avi(file());
        if (!avi.open(QIODevice::ReadOnly)) {
            return {};
        }
        const QByteArray head = avi.read(4096);
        const qsizetype vids = head.indexOf("vids");
        return vids < 0 ? QByteArray() : head.mid(vids + 4, 4);
    }

    QTemporaryDir folder;
    CardTools card;
    RefPtr<IMoniker> videoCodec;
    RefPtr<IMoniker> audioCodec;
};

TEST_F(RecordingOnTheCard, DeviceSoundAndSizeChangesKeepTheChosenCompressors) {
    card.select();
    card.tools.SelectCompressors(videoCodec.get(), audioCodec.get());
    ASSERT_TRUE(card.tools.videoCompressor && card.tools.audioCompressor);

    // Sound off and on again: the filters are made anew, the compressors with them.
    card.tools.audioWanted = false;
    card.tools.SelectSources(card.video.get(), nullptr);
    EXPECT_TRUE(card.tools.videoCompressor) << "the video compressor went with the filters";
    EXPECT_FALSE(card.tools.audioCompressor) << "no sound, no audio compressor";
    card.tools.audioWanted = true;
    card.tools.SelectSources(card.video.get(), card.audio.get());
    EXPECT_TRUE(card.tools.videoCompressor);
    EXPECT_TRUE(card.tools.audioCompressor) << "turning sound on binds the audio compressor chosen";

    ASSERT_TRUE(card.tools.SetCaptureFormat(320, 240));
    recordSomeFrames();
    ASSERT_TRUE(card.tools.HaltCapture());
    EXPECT_TRUE(ReadAviStructure(file()).complete());
    EXPECT_EQ(videoFourcc(), "MJPG") << "the recording is compressed as the picker says";
}

// At 720 x 576 the card's frames are woven from two fields and marked interlaced. Encoders of progressive
// pictures refuse that marking (libav's MJPEG, WMV and MS-MPEG-4): they get the woven frames as pictures, and
// record.
TEST_F(RecordingOnTheCard, EncodersOfProgressivePicturesRecordTheCardsInterlacedFrames) {
    int tried = 0;
    for (const char* factory : {"avenc_mjpeg", "avenc_wmv1", "avenc_msmpeg4"}) {
        const RefPtr<IMoniker> codec = Compressor(CLSID_VideoCompressorCategory, factory);
        if (!codec) {
            continue; // not installed here
        }
        ++tried;
        card.select();
        ASSERT_TRUE(card.tools.SetCaptureFormat(720, 576));
        card.tools.SelectCompressors(codec.get(), nullptr);
        ASSERT_TRUE(card.tools.videoCompressor) << factory;
        recordSomeFrames();
        ASSERT_TRUE(card.tools.HaltCapture()) << factory;
        const AviStructure avi = ReadAviStructure(file());
        EXPECT_TRUE(avi.complete()) << factory;
        EXPECT_GE(avi.videoChunks, 5) << factory;
        EXPECT_TRUE(card.shown().empty()) << factory << ": " << card.shown().front();
        card.tools.SelectCompressors(nullptr, nullptr);
    }
    if (tried == 0) {
        GTEST_SKIP() << "none of libav's MJPEG, WMV and MS-MPEG-4 encoders is installed";
    }
}

// mpeg2enc as MPEG-1 aborts the process on a stream marked interlaced (and is too slow under a sanitizer to
// record from here): its filter marks the frames progressive in front of it; an encoder that codes fields
// keeps the marking.
TEST(CompressorFilter, MarksFramesProgressiveOnlyForEncodersOfPictures) {
    const auto marked = [](const char* factory) -> std::optional<bool> {
        RefPtr<IBaseFilter> filter;
        if (FAILED(BindDeviceElement(gst_element_factory_make(factory, nullptr), FilterRole::Encoder,
                                     IBaseFilter::IID, reinterpret_cast<void**>(filter.put())))) {
            return std::nullopt;
        }
        bool found = false;
        GValue item = G_VALUE_INIT;
        GstIterator* elements = gst_bin_iterate_elements(GST_BIN(AsGstFilter(filter.get())->element()));
        while (gst_iterator_next(elements, &item) == GST_ITERATOR_OK) {
            auto* element = GST_ELEMENT(g_value_get_object(&item));
            found = found || g_str_equal(GST_OBJECT_NAME(gst_element_get_factory(element)), "capssetter");
            g_value_reset(&item);
        }
        g_value_unset(&item);
        gst_iterator_free(elements);
        return found;
    };
    if (const std::optional<bool> mpeg2 = marked("mpeg2enc")) {
        EXPECT_TRUE(*mpeg2);
    }
    if (const std::optional<bool> jpeg = marked("jpegenc")) {
        EXPECT_TRUE(*jpeg);
    }
    if (const std::optional<bool> mpeg4 = marked("avenc_mpeg4")) {
        EXPECT_FALSE(*mpeg4) << "MPEG-4 codes fields and keeps the interlaced marking";
    }
}

TEST_F(RecordingOnTheCard, AnAudioCompressorChosenWithoutSoundIsBoundWhenSoundComesOn) {
    card.tools.audioWanted = false;
    card.tools.SelectSources(card.video.get(), nullptr);
    card.tools.SelectCompressors(nullptr, audioCodec.get());
    EXPECT_FALSE(card.tools.audioCompressor);

    card.tools.audioWanted = true;
    card.tools.SelectSources(card.video.get(), card.audio.get());
    EXPECT_TRUE(card.tools.audioCompressor);
}

TEST_F(RecordingOnTheCard, ASizeChangeOrNewDeviceWhileRecordingEndsTheFileFirst) {
    card.select();
    recordSomeFrames();

    card.tools.SetCaptureFormat(320, 240);

    EXPECT_FALSE(card.tools.captureRunning) << "the graph is gone, so is the recording";
    const AviStructure avi = ReadAviStructure(file());
    EXPECT_TRUE(avi.complete()) << "RIFF " << avi.riffSize << " of " << avi.fileSize << ", idx1 "
                                << avi.idx1AfterMovi;
    EXPECT_GE(avi.videoChunks, 5);
    EXPECT_TRUE(card.shown().empty()) << card.shown().front();

    // The same through a device change, which releases the filters.
    ASSERT_TRUE(card.tools.SetCaptureFormat(352, 288));
    recordSomeFrames();
    card.tools.SelectSources(card.video.get(), nullptr);
    EXPECT_FALSE(card.tools.captureRunning);
    EXPECT_TRUE(ReadAviStructure(file()).complete());
}

TEST_F(RecordingOnTheCard, ChangingACompressorWhileRecordingEndsTheFileFirst) {
    card.select();
    card.tools.SelectCompressors(videoCodec.get(), nullptr);
    recordSomeFrames();

    card.tools.SelectCompressors(nullptr, nullptr);

    EXPECT_FALSE(card.tools.captureRunning);
    EXPECT_FALSE(card.tools.videoCompressor);
    EXPECT_TRUE(ReadAviStructure(file()).complete());
}

} // namespace

namespace {

int Quality(IBaseFilter* compressor) {
    int quality = -1;
    if (const RefPtr<IDeviceElement> element = query<IDeviceElement>(compressor)) {
        g_object_get(element->deviceElement(), "quality", &quality, nullptr);
    }
    return quality;
}

TEST_F(RecordingOnTheCard, EveryBoundCompressorTakesItsStoredSettingsAndSkipsWhatItCannotTake) {
    CompressorOptions options;
    options.set("jpegenc", {{"nosuch", "1"}, {"quality", "banana"}, {"quality", "12"}});
    card.tools.compressorOptions = &options;
    card.select();

    testing::internal::CaptureStderr();
    card.tools.SelectCompressors(videoCodec.get(), nullptr);
    const std::string skipped = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(card.tools.videoCompressor);
    EXPECT_EQ(Quality(card.tools.videoCompressor.get()), 12);
    EXPECT_NE(skipped.find("nosuch=1 of the compressor jpegenc is skipped"), std::string::npos) << skipped;
    EXPECT_NE(skipped.find("quality=banana of the compressor jpegenc is skipped"), std::string::npos)
        << skipped;

    // What the page leaves set becomes the stored settings, and the compressor made anew by a device change
    // takes them.
    g_object_set(query<IDeviceElement>(card.tools.videoCompressor)->deviceElement(), "quality", 30, nullptr);
    RememberSettings(card.tools.videoCompressor.get(), options);
    EXPECT_EQ(options.of("jpegenc"), (CompressorOptions::Settings{{"quality", "30"}}));
    card.tools.SelectSources(card.video.get(), nullptr);
    ASSERT_TRUE(card.tools.videoCompressor);
    EXPECT_EQ(Quality(card.tools.videoCompressor.get()), 30);

    recordSomeFrames();
    ASSERT_TRUE(card.tools.HaltCapture());
    EXPECT_TRUE(ReadAviStructure(file()).complete()) << "a skipped setting never fails the recording";
}

} // namespace
