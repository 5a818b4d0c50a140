// SPDX-License-Identifier: GPL-2.0-or-later
// The capture graph builder and the capture half of the engine on the virtual TV card: finding the card's
// interfaces, rendering capture and preview streams, formats, stream control, and recordings that are
// complete AVI files however they end.

#include "avi_structure.h"
#include "capture_test_support.h"
#include "platform/devices/gst/gst_encoder_provider.h"
#include "platform/media/gst/gst_filter.h"

#include <gst/app/gstappsink.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

std::vector<std::wstring> PinNames(IBaseFilter* filter) {
    std::vector<std::wstring> names;
    RefPtr<IEnumPins> pins;
    filter->EnumPins(pins.put());
    IPin* pin = nullptr;
    while (pins->Next(1, &pin, nullptr) == S_OK) {
        PIN_INFO info;
        pin->QueryPinInfo(&info);
        info.pFilter->Release();
        names.emplace_back(info.achName);
        pin->Release();
    }
    return names;
}

Guid CategoryOf(IBaseFilter* filter, const wchar_t* pinName) {
    RefPtr<IPin> pin;
    filter->FindPin(pinName, pin.put());
    RefPtr<IKsPropertySet> properties = query<IKsPropertySet>(pin);
    Guid category;
    DWORD returned = 0;
    if (!properties || FAILED(properties->Get(AMPROPSETID_Pin, AMPROPERTY_PIN_CATEGORY, nullptr, 0, &category,
                                              sizeof category, &returned))) {
        return Guid{};
    }
    return category;
}

// Records into path until the video pin delivered frames and the graph is stopped; returns the counters.
struct Recording {
    RefPtr<IBaseFilter> mux;
    RefPtr<IFileSinkFilter> sink;
    RefPtr<IAMDroppedFrames> counters;
};

Recording BuildRecording(CaptureRig& rig, const QString& path, bool withSound) {
    Recording recording;
    const std::wstring file = path.toStdWString();
    // The test may have added the capture filter already.
    const HRESULT added = rig.graph->AddFilter(rig.video.get(), nullptr);
    EXPECT_TRUE(added == S_OK || added == VFW_E_WRONG_STATE);
    EXPECT_EQ(rig.builder->SetOutputFileName(&MEDIASUBTYPE_Avi, file.c_str(), recording.mux.put(),
                                             recording.sink.put()),
              S_OK);
    EXPECT_EQ(rig.builder->RenderStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, rig.video.get(), nullptr,
                                        recording.mux.get()),
              S_OK);
    if (withSound) {
        EXPECT_EQ(rig.graph->AddFilter(rig.audio.get(), nullptr), S_OK);
        EXPECT_EQ(rig.builder->RenderStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Audio, rig.audio.get(), nullptr,
                                            recording.mux.get()),
                  S_OK);
    }
    recording.counters = rig.onCapturePin<IAMDroppedFrames>();
    EXPECT_TRUE(recording.counters);
    return recording;
}

// Where a player (GStreamer's AVI reader) puts each buffer of one of the file's streams ("video_0"): the
// time it starts and the time it ends.
struct StreamTimes {
    std::vector<GstClockTime> starts;
    GstClockTime end = 0;
};

StreamTimes ReadStreamTimes(const QString& path, const char* stream) {
    const std::string description = "filesrc location=\"" + path.toStdString() + "\" ! avidemux name=d d." +
                                    stream + " ! appsink name=s sync=false";
    GstElement* pipeline = gst_parse_launch(description.c_str(), nullptr);
    GstElement* sink = gst_bin_get_by_name(GST_BIN(pipeline), "s");
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    StreamTimes times;
    while (GstSample* sample = gst_app_sink_pull_sample(GST_APP_SINK(sink))) {
        GstBuffer* buffer = gst_sample_get_buffer(sample);
        times.starts.push_back(GST_BUFFER_PTS(buffer));
        times.end = GST_BUFFER_PTS(buffer) + GST_BUFFER_DURATION(buffer);
        gst_sample_unref(sample);
    }
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(sink);
    gst_object_unref(pipeline);
    return times;
}

} // namespace

TEST(CaptureGraph, FindingTheTunerBringsTheCardsFrontEndIntoTheGraph) {
    CaptureRig rig;
    ASSERT_EQ(rig.graph->AddFilter(rig.video.get(), nullptr), S_OK);
    EXPECT_EQ(FilterNames(rig.graph.get()).size(), 1u);

    EXPECT_TRUE(rig.onCapturePin<IAMTVTuner>());
    const auto names = FilterNames(rig.graph.get());
    EXPECT_EQ(names.size(), 4u); // capture, crossbar, tuner, TV audio
    EXPECT_TRUE(rig.onCapturePin<IAMTVAudio>());
    EXPECT_TRUE(rig.onCapturePin<IAMCrossbar>());
    EXPECT_TRUE(rig.onCapturePin<IAMStreamConfig>());
    EXPECT_TRUE(rig.onCapturePin<IAMVideoProcAmp>());
    // A second search brings nothing new.
    EXPECT_EQ(FilterNames(rig.graph.get()).size(), 4u);

    // The analog input leads to the crossbar's decoder output.
    RefPtr<IPin> analog;
    ASSERT_EQ(rig.video->FindPin(L"Analog Video In", analog.put()), S_OK);
    RefPtr<IPin> upstream;
    ASSERT_EQ(analog->ConnectedTo(upstream.put()), S_OK);
    PIN_INFO info;
    upstream->QueryPinInfo(&info);
    RefPtr<IBaseFilter> crossbar = RefPtr<IBaseFilter>::adopt(info.pFilter);
    EXPECT_EQ(std::wstring(info.achName), L"Video Decoder");
    EXPECT_TRUE(query<IAMCrossbar>(crossbar));
    // With one crossbar there is none upstream of it.
    EXPECT_FALSE(rig.find<IAMCrossbar>(&LOOK_UPSTREAM_ONLY, nullptr, crossbar.get()));
}

TEST(CaptureGraph, TwoCrossbarsAreFoundNearestFirst) {
    CardDefinition definition = BuiltInCardDefinition();
    definition.crossbars = 2;
    CaptureRig rig(definition);
    ASSERT_EQ(rig.graph->AddFilter(rig.video.get(), nullptr), S_OK);
    RefPtr<IAMCrossbar> first = rig.onCapturePin<IAMCrossbar>();
    ASSERT_TRUE(first);
    LONG outputs = 0;
    LONG inputs = 0;
    first->get_PinCounts(&outputs, &inputs);
    EXPECT_EQ(inputs, 4); // the crossbar at the decoder: tuner (from the other crossbar), composite, audio
    RefPtr<IBaseFilter> firstFilter = query<IBaseFilter>(first);
    ASSERT_TRUE(firstFilter);
    RefPtr<IAMCrossbar> second = rig.find<IAMCrossbar>(&LOOK_UPSTREAM_ONLY, nullptr, firstFilter.get());
    ASSERT_TRUE(second);
    second->get_PinCounts(&outputs, &inputs);
    EXPECT_EQ(inputs, 5);
    EXPECT_EQ(PinNames(query<IBaseFilter>(second).get()),
              (std::vector<std::wstring>{L"Video Tuner", L"Video Composite", L"Video SVideo", L"Audio Tuner",
                                         L"Audio Line", L"Video Decoder", L"Audio Decoder"}));
    // The outer crossbar's decoder output feeds the inner one's first input.
    RefPtr<IPin> innerTuner;
    firstFilter->FindPin(L"Video Tuner", innerTuner.put());
    RefPtr<IPin> feeding;
    ASSERT_EQ(innerTuner->ConnectedTo(feeding.put()), S_OK);
    PIN_INFO info;
    feeding->QueryPinInfo(&info);
    EXPECT_EQ(static_cast<IUnknown*>(info.pFilter), static_cast<IUnknown*>(query<IBaseFilter>(second).get()));
    info.pFilter->Release();
}

TEST(CaptureGraph, PinsTellTheirCategory) {
    CaptureRig rig;
    EXPECT_EQ(PinNames(rig.video.get()),
              (std::vector<std::wstring>{L"Capture", L"Preview", L"Analog Video In"}));
    EXPECT_EQ(CategoryOf(rig.video.get(), L"Capture"), PIN_CATEGORY_CAPTURE);
    EXPECT_EQ(CategoryOf(rig.video.get(), L"Preview"), PIN_CATEGORY_PREVIEW);
    EXPECT_EQ(CategoryOf(rig.video.get(), L"Analog Video In"), PIN_CATEGORY_ANALOGVIDEOIN);
}

TEST(CaptureGraph, PreviewOfADeviceWithoutPreviewPinIsSplitOffTheCapturePin) {
    for (bool captureFirst : {false, true}) {
        CardDefinition definition = BuiltInCardDefinition();
        definition.faults.noPreviewPin = true;
        CaptureRig rig(definition);
        QTemporaryDir dir;
        RefPtr<IBaseFilter> mux;
        ASSERT_EQ(rig.graph->AddFilter(rig.video.get(), nullptr), S_OK);
        ASSERT_EQ(rig.builder->SetOutputFileName(
                      &MEDIASUBTYPE_Avi, dir.filePath("a.avi").toStdWString().c_str(), mux.put(), nullptr),
                  S_OK);
        auto renderCapture = [&] {
            return rig.builder->RenderStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, rig.video.get(),
                                             nullptr, mux.get());
        };
        if (captureFirst) {
            EXPECT_EQ(renderCapture(), S_OK);
        }
        EXPECT_EQ(rig.builder->RenderStream(&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Video, rig.video.get(), nullptr,
                                            nullptr),
                  VFW_S_NOPREVIEWPIN);
        if (!captureFirst) {
            EXPECT_EQ(renderCapture(), S_OK);
        }
        const auto names = FilterNames(rig.graph.get());
        EXPECT_EQ(std::count(names.begin(), names.end(), L"Smart Tee"), 1) << captureFirst;
        // The device has no preview pin, so no preview format either.
        EXPECT_FALSE(rig.find<IAMStreamConfig>(&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Video, rig.video.get()));
    }
}

TEST(CaptureGraph, DeviceThatRefusesThePreviewFailsItsRendering) {
    CardDefinition definition = BuiltInCardDefinition();
    definition.faults.renderPreview = true;
    CaptureRig rig(definition);
    ASSERT_EQ(rig.graph->AddFilter(rig.video.get(), nullptr), S_OK);
    EXPECT_TRUE(FAILED(rig.builder->RenderStream(&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Video, rig.video.get(),
                                                 nullptr, nullptr)));
    EXPECT_EQ(FilterNames(rig.graph.get()).size(), 1u);
}

TEST(CaptureGraph, TheCaptureFilterDeliversTheFormatItIsGiven) {
    CaptureRig rig;
    ASSERT_EQ(rig.graph->AddFilter(rig.video.get(), nullptr), S_OK);
    RefPtr<IAMStreamConfig> config = rig.onCapturePin<IAMStreamConfig>();
    ASSERT_TRUE(config);
    AM_MEDIA_TYPE* type = nullptr;
    ASSERT_EQ(config->GetFormat(&type), S_OK);
    VIDEOINFOHEADER* header = VideoInfoOf(type);
    ASSERT_TRUE(header);
    header->bmiHeader.biWidth = 384;
    header->bmiHeader.biHeight = -288; // top-down
    header->AvgTimePerFrame = 400000;
    EXPECT_EQ(config->SetFormat(type), S_OK);
    DeleteMediaType(type);

    ASSERT_EQ(config->GetFormat(&type), S_OK);
    EXPECT_EQ(VideoInfoOf(type)->bmiHeader.biHeight, -288);
    EXPECT_EQ(VideoInfoOf(type)->bmiHeader.biWidth, 384);
    EXPECT_EQ(VideoInfoOf(type)->AvgTimePerFrame, 400000);
    DeleteMediaType(type);

    QTemporaryDir dir;
    Recording recording = BuildRecording(rig, dir.filePath("format.avi"), false);
    ASSERT_EQ(rig.control()->Run(), S_OK);
    ASSERT_TRUE(WaitUntil([&] { return Delivered(recording.counters.get()) >= 3; }));
    RefPtr<IPin> capture;
    rig.video->FindPin(L"Capture", capture.put());
    AM_MEDIA_TYPE flowing;
    ASSERT_EQ(capture->ConnectionMediaType(&flowing), S_OK);
    EXPECT_NE(flowing.format.find("width=(int)384"), std::string::npos) << flowing.format;
    EXPECT_NE(flowing.format.find("height=(int)288"), std::string::npos) << flowing.format;
    EXPECT_NE(flowing.format.find("framerate=(fraction)25/1"), std::string::npos) << flowing.format;
    rig.control()->Stop();
}

TEST(CaptureGraph, FormatsTheDeviceCannotDeliverAreRefused) {
    CaptureRig rig;
    ASSERT_EQ(rig.graph->AddFilter(rig.video.get(), nullptr), S_OK);
    RefPtr<IAMStreamConfig> config = rig.onCapturePin<IAMStreamConfig>();
    AM_MEDIA_TYPE* type = nullptr;
    ASSERT_EQ(config->GetFormat(&type), S_OK);
    const VIDEOINFOHEADER original = *VideoInfoOf(type);
    VideoInfoOf(type)->bmiHeader.biWidth = 1920;
    EXPECT_EQ(config->SetFormat(type), VFW_E_INVALIDMEDIATYPE);
    *VideoInfoOf(type) = original;
    VideoInfoOf(type)->bmiHeader.biBitCount = 24; // YUY2 is 16 bits a pixel
    EXPECT_EQ(config->SetFormat(type), VFW_E_INVALIDMEDIATYPE);
    *VideoInfoOf(type) = original;
    VideoInfoOf(type)->AvgTimePerFrame = 0;
    EXPECT_EQ(config->SetFormat(type), VFW_E_INVALIDMEDIATYPE);
    DeleteMediaType(type);
    ASSERT_EQ(config->GetFormat(&type), S_OK);
    EXPECT_EQ(VideoInfoOf(type)->bmiHeader.biWidth, original.bmiHeader.biWidth);
    DeleteMediaType(type);
}

TEST(CaptureGraph, AStoppedRecordingIsACompleteAviWithItsIndex) {
    CaptureRig rig;
    rig.card->setFrequency(175250000);
    QTemporaryDir dir;
    const QString path = dir.filePath("capture.avi");
    Recording recording = BuildRecording(rig, path, true);
    RefPtr<IConfigAviMux> config = query<IConfigAviMux>(recording.mux);
    ASSERT_TRUE(config);
    EXPECT_EQ(config->SetOutputCompatibilityIndex(1), S_OK);
    EXPECT_EQ(config->SetMasterStream(0), S_OK);
    std::wstring named;
    EXPECT_EQ(recording.sink->GetCurFile(&named, nullptr), S_OK);
    EXPECT_EQ(named, path.toStdWString());

    ASSERT_EQ(rig.control()->Run(), S_OK);
    ASSERT_TRUE(WaitUntil([&] { return Delivered(recording.counters.get()) >= 10; }));
    ASSERT_EQ(rig.control()->Stop(), S_OK);

    const AviStructure avi = ReadAviStructure(path);
    EXPECT_TRUE(avi.complete()) << "RIFF " << avi.riffSize << " file " << avi.fileSize;
    // Every frame delivered is in the file: the stop lets those still on their way arrive.
    EXPECT_GE(avi.pictures(), 10);
    EXPECT_EQ(avi.pictures(), Delivered(recording.counters.get()));
    EXPECT_GT(avi.audioChunks, 0);
    LONG average = 0;
    recording.counters->GetAverageFrameSize(&average);
    EXPECT_EQ(average, 352 * 288 * 2);
}

TEST(CaptureGraph, AFrameTheSourceNeverDeliveredIsAnEmptyChunkSoThePictureKeepsTime) {
    CaptureRig rig;
    rig.card->setFrequency(175250000);
    QTemporaryDir dir;
    const QString path = dir.filePath("gaps.avi");
    Recording recording = BuildRecording(rig, path, true);
    RefPtr<IPin> input;
    ASSERT_EQ(recording.mux->FindPin(L"Input 01", input.put()), S_OK);
    // Every fourth frame is lost on its way to the file, as a driver without a free buffer loses one.
    struct Frames {
        std::atomic<int> passed{0};
        std::atomic<int> lost{0};
    } frames;
    gst_pad_add_probe(
        AsGstPin(input.get())->pad(), GST_PAD_PROBE_TYPE_BUFFER,
        [](GstPad*, GstPadProbeInfo*, gpointer data) {
            auto& counted = *static_cast<Frames*>(data);
            if ((counted.passed + counted.lost) % 4 == 3) {
                ++counted.lost;
                return GST_PAD_PROBE_DROP;
            }
            ++counted.passed;
            return GST_PAD_PROBE_OK;
        },
        &frames, nullptr);

    ASSERT_EQ(rig.control()->Run(), S_OK);
    ASSERT_TRUE(WaitUntil([&] { return frames.passed >= 30; }));
    ASSERT_EQ(rig.control()->Stop(), S_OK);

    const AviStructure avi = ReadAviStructure(path);
    EXPECT_TRUE(avi.complete()) << "RIFF " << avi.riffSize << " file " << avi.fileSize;
    EXPECT_EQ(avi.pictures(), frames.passed);
    // Each lost frame is an empty chunk in its place, but for a last one that no later frame showed missing.
    const int emptyAmongPictures = avi.emptyVideoChunks - avi.emptyAtStart;
    EXPECT_GE(emptyAmongPictures, frames.lost - 1);
    EXPECT_LE(emptyAmongPictures, frames.lost.load());
    // A player shows every picture, each at the time it was taken, so the picture ends with the sound rather
    // than a lost frame's time earlier for each frame lost, and than the device's start later than the
    // sound's (the frames due before its first, filled too).
    const StreamTimes picture = ReadStreamTimes(path, "video_0");
    const StreamTimes sound = ReadStreamTimes(path, "audio_0");
    EXPECT_EQ(static_cast<int>(picture.starts.size()), avi.pictures());
    EXPECT_NEAR(double(picture.end) / GST_MSECOND, double(sound.end) / GST_MSECOND, 100.0)
        << frames.lost << " frames lost";
}

TEST(CaptureGraph, StreamControlKeepsTheCapturePinIdleUntilStarted) {
    CaptureRig rig;
    QTemporaryDir dir;
    const QString path = dir.filePath("controlled.avi");
    Recording recording = BuildRecording(rig, path, false);
    ASSERT_EQ(
        rig.builder->RenderStream(&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Video, rig.video.get(), nullptr, nullptr),
        S_OK);
    RefPtr<IAMDroppedFrames> preview =
        rig.find<IAMDroppedFrames>(&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Video, rig.video.get());
    ASSERT_TRUE(preview);
    REFERENCE_TIME never = MAXLONGLONG;
    ASSERT_EQ(rig.builder->ControlStream(&PIN_CATEGORY_CAPTURE, nullptr, nullptr, &never, nullptr, 0, 0),
              S_OK);
    ASSERT_EQ(rig.control()->Run(), S_OK);
    // The preview runs while the capture pin waits.
    ASSERT_TRUE(WaitUntil([&] { return Delivered(preview.get()) >= 5; }));
    EXPECT_EQ(Delivered(recording.counters.get()), 0);

    ASSERT_EQ(rig.builder->ControlStream(&PIN_CATEGORY_CAPTURE, nullptr, nullptr, nullptr, &never, 0, 0),
              S_OK);
    EXPECT_TRUE(WaitUntil([&] { return Delivered(recording.counters.get()) >= 5; }));
    ASSERT_EQ(rig.control()->Stop(), S_OK);
    EXPECT_TRUE(ReadAviStructure(path).complete());
}

TEST(CaptureGraph, ADeviceWithoutStreamControlRefusesItAndStillRecords) {
    CardDefinition definition = BuiltInCardDefinition();
    definition.faults.noStreamControl = true;
    CaptureRig rig(definition);
    QTemporaryDir dir;
    const QString path = dir.filePath("uncontrolled.avi");
    Recording recording = BuildRecording(rig, path, true);
    EXPECT_FALSE(rig.onCapturePin<IAMStreamControl>());
    REFERENCE_TIME never = MAXLONGLONG;
    EXPECT_TRUE(
        FAILED(rig.builder->ControlStream(&PIN_CATEGORY_CAPTURE, nullptr, nullptr, &never, nullptr, 0, 0)));
    ASSERT_EQ(rig.control()->Pause(), S_OK);
    ASSERT_EQ(rig.control()->Run(), S_OK);
    EXPECT_TRUE(WaitUntil([&] { return Delivered(recording.counters.get()) >= 5; }));
    ASSERT_EQ(rig.control()->Stop(), S_OK);
    EXPECT_TRUE(ReadAviStructure(path).complete());
}

TEST(CaptureGraph, ARecordingWhoseDeviceIsLostIsStillComplete) {
    CardDefinition definition = BuiltInCardDefinition();
    definition.faults.loseDeviceAfterMs = 400;
    CaptureRig rig(definition);
    QTemporaryDir dir;
    const QString path = dir.filePath("lost.avi");
    Recording recording = BuildRecording(rig, path, true);
    ASSERT_EQ(rig.control()->Run(), S_OK);
    RefPtr<IMediaEventEx> events = rig.events();
    // Both devices of the card go; each event names its device by the filter, as the TV page compares it.
    std::vector<RefPtr<IUnknown>> lost;
    ASSERT_TRUE(WaitUntil([&] {
        LONG code = 0;
        LONG_PTR device = 0;
        LONG_PTR removed = 1;
        while (SUCCEEDED(events->GetEvent(&code, &device, &removed, 0))) {
            EXPECT_EQ(code, EC_DEVICE_LOST);
            EXPECT_EQ(removed, 0);
            lost.push_back(query<IUnknown>(reinterpret_cast<IUnknown*>(device)));
            events->FreeEventParams(code, device, removed);
        }
        return lost.size() == 2;
    }));
    EXPECT_NE(std::find(lost.begin(), lost.end(), query<IUnknown>(rig.video)), lost.end());
    EXPECT_NE(std::find(lost.begin(), lost.end(), query<IUnknown>(rig.audio)), lost.end());
    ASSERT_EQ(rig.control()->Stop(), S_OK);
    const AviStructure avi = ReadAviStructure(path);
    EXPECT_TRUE(avi.complete()) << "RIFF " << avi.riffSize << " file " << avi.fileSize;
    // Every frame taken before the loss is in the file, even those the multiplexer still held back.
    EXPECT_GT(avi.pictures(), 0);
    EXPECT_EQ(avi.pictures(), Delivered(recording.counters.get()));
    EXPECT_GT(avi.audioChunks, 0);
}

TEST(CaptureGraph, AFileThatCannotBeWrittenEndsWithAnErrorNotAHang) {
    QTemporaryDir dir;
    for (const QString& path : {dir.filePath("missing/folder/capture.avi"), QString("/dev/full")}) {
        if (path == "/dev/full" && !QFileInfo::exists(path)) {
            continue;
        }
        CaptureRig rig;
        Recording recording = BuildRecording(rig, path, true);
        const HRESULT started = rig.control()->Run();
        RefPtr<IMediaEventEx> events = rig.events();
        LONG code = 0;
        bool aborted = false;
        WaitUntil([&] {
            LONG_PTR first = 0;
            LONG_PTR second = 0;
            while (SUCCEEDED(events->GetEvent(&code, &first, &second, 0))) {
                events->FreeEventParams(code, first, second);
                aborted = aborted || code == EC_ERRORABORT;
            }
            return aborted;
        });
        EXPECT_TRUE(aborted || FAILED(started)) << path.toStdString();
        EXPECT_EQ(rig.control()->Stop(), S_OK) << path.toStdString();
    }
}

TEST(CaptureGraph, RecordingThroughACompressorConvertsTheCardsPictureForIt) {
    RefPtr<IBaseFilter> compressor;
    for (DeviceDescription& encoder : MakeGstEncoderProvider()->devices(CLSID_VideoCompressorCategory)) {
        if (encoder.id == "jpegenc") {
            encoder.bind(IBaseFilter::IID, reinterpret_cast<void**>(compressor.put()));
        }
    }
    ASSERT_TRUE(compressor) << "jpegenc is installed with the project's packages";
    CaptureRig rig;
    rig.card->setFrequency(49750000);
    QTemporaryDir dir;
    const QString path = dir.filePath("compressed.avi");
    RefPtr<IBaseFilter> mux;
    ASSERT_EQ(rig.graph->AddFilter(rig.video.get(), nullptr), S_OK);
    ASSERT_EQ(
        rig.builder->SetOutputFileName(&MEDIASUBTYPE_Avi, path.toStdWString().c_str(), mux.put(), nullptr),
        S_OK);
    ASSERT_EQ(rig.builder->RenderStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, rig.video.get(),
                                        compressor.get(), mux.get()),
              S_OK);
    // The compressor describes itself on its output.
    RefPtr<IPin> output;
    ASSERT_EQ(compressor->FindPin(L"Output", output.put()), S_OK);
    RefPtr<IAMVideoCompression> compression = query<IAMVideoCompression>(output);
    ASSERT_TRUE(compression);
    wchar_t version[40];
    wchar_t description[80];
    int versionLength = 40;
    int descriptionLength = 80;
    ASSERT_EQ(compression->GetInfo(version, &versionLength, description, &descriptionLength, nullptr, nullptr,
                                   nullptr, nullptr),
              S_OK);
    EXPECT_NE(std::wstring(description), L"");
    EXPECT_NE(std::wstring(version), L"");
    EXPECT_EQ(compression->put_Quality(0.5), S_OK);

    RefPtr<IAMDroppedFrames> counters = rig.onCapturePin<IAMDroppedFrames>();
    ASSERT_EQ(rig.control()->Run(), S_OK);
    ASSERT_TRUE(WaitUntil([&] { return Delivered(counters.get()) >= 5; }));
    ASSERT_EQ(rig.control()->Stop(), S_OK);
    const AviStructure avi = ReadAviStructure(path);
    EXPECT_TRUE(avi.complete());
    EXPECT_GE(avi.videoChunks, 5);
}

TEST(CaptureGraph, TheDevicesRecordAgainAfterARecordingEnded) {
    CaptureRig rig;
    rig.card->setFrequency(175250000);
    QTemporaryDir dir;
    const QString first = dir.filePath("first.avi");
    Recording recording = BuildRecording(rig, first, true);
    ASSERT_EQ(rig.control()->Run(), S_OK);
    ASSERT_TRUE(WaitUntil([&] { return Delivered(recording.counters.get()) >= 5; }));
    ASSERT_EQ(rig.control()->Stop(), S_OK);
    EXPECT_TRUE(ReadAviStructure(first).complete());

    // Taken apart as the TV page does between recordings, the same devices record into a new file.
    ASSERT_EQ(rig.graph->RemoveFilter(recording.mux.get()), S_OK);
    ASSERT_EQ(rig.graph->RemoveFilter(query<IBaseFilter>(recording.sink).get()), S_OK);
    // Taking the graph apart flushes the writer's input; the file stays as it was written.
    EXPECT_TRUE(ReadAviStructure(first).complete());
    const QString second = dir.filePath("second.avi");
    RefPtr<IBaseFilter> mux;
    ASSERT_EQ(
        rig.builder->SetOutputFileName(&MEDIASUBTYPE_Avi, second.toStdWString().c_str(), mux.put(), nullptr),
        S_OK);
    ASSERT_EQ(rig.builder->RenderStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, rig.video.get(), nullptr,
                                        mux.get()),
              S_OK);
    ASSERT_EQ(rig.builder->RenderStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Audio, rig.audio.get(), nullptr,
                                        mux.get()),
              S_OK);
    const LONG before = Delivered(recording.counters.get());
    ASSERT_EQ(rig.control()->Run(), S_OK);
    ASSERT_TRUE(WaitUntil([&] { return Delivered(recording.counters.get()) >= before + 5; }));
    ASSERT_EQ(rig.control()->Stop(), S_OK);
    const AviStructure avi = ReadAviStructure(second);
    EXPECT_TRUE(avi.complete());
    EXPECT_GE(avi.videoChunks, 5);
    EXPECT_GT(avi.audioChunks, 0);
    EXPECT_TRUE(ReadAviStructure(first).complete()) << "the first file is left alone";
}

TEST(CaptureGraph, ARecordingJoinsAndLeavesARunningGraphWhoseDevicesGoOn) {
    CaptureRig rig;
    rig.card->setFrequency(175250000);
    // The preview runs alone first; the capture pin has nothing behind it.
    ASSERT_EQ(rig.graph->AddFilter(rig.video.get(), nullptr), S_OK);
    ASSERT_EQ(
        rig.builder->RenderStream(&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Video, rig.video.get(), nullptr, nullptr),
        S_OK);
    ASSERT_EQ(rig.control()->Run(), S_OK);
    const RefPtr<IAMDroppedFrames> preview =
        rig.find<IAMDroppedFrames>(&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Video, rig.video.get());
    ASSERT_TRUE(preview);
    ASSERT_TRUE(WaitUntil([&] { return Delivered(preview.get()) >= 3; }));

    QTemporaryDir dir;
    for (const char* name : {"first.avi", "second.avi"}) {
        const QString path = dir.filePath(name);
        Recording recording = BuildRecording(rig, path, true);
        const LONG from = Delivered(recording.counters.get());
        // Both streams are connected before either reaches the multiplexer, which takes no stream after its
        // first data: they wait for the graph to be told to run.
        ASSERT_EQ(rig.control()->Run(), S_OK);
        ASSERT_TRUE(WaitUntil([&] { return Delivered(recording.counters.get()) >= from + 10; }));
        const LONG previewed = Delivered(preview.get());
        // Taken out of the running graph, the multiplexer finishes the file first.
        ASSERT_EQ(rig.graph->RemoveFilter(recording.mux.get()), S_OK);
        ASSERT_EQ(rig.graph->RemoveFilter(query<IBaseFilter>(recording.sink).get()), S_OK);
        ASSERT_EQ(rig.graph->RemoveFilter(rig.audio.get()), S_OK);
        const AviStructure avi = ReadAviStructure(path);
        EXPECT_TRUE(avi.complete()) << name;
        EXPECT_GE(avi.pictures(), 10) << name;
        EXPECT_GT(avi.audioChunks, 0) << name;
        // The device never stopped: the preview went on throughout.
        EXPECT_TRUE(WaitUntil([&] { return Delivered(preview.get()) >= previewed + 3; })) << name;
    }
    OAFilterState state = State_Stopped;
    EXPECT_EQ(rig.control()->GetState(0, &state), S_OK);
    EXPECT_EQ(state, State_Running);
    EXPECT_EQ(rig.control()->Stop(), S_OK);
}

TEST(CaptureGraph, TheGraphDumpShowsTheGraphRunning) {
    QTemporaryDir runtime;
    setenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit().constData(), 1);
    setenv("CORVANE_GRAPH_DUMP", "1", 1);
    CaptureRig rig;
    ASSERT_EQ(rig.graph->AddFilter(rig.video.get(), nullptr), S_OK);
    ASSERT_EQ(
        rig.builder->RenderStream(&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Video, rig.video.get(), nullptr, nullptr),
        S_OK);
    DWORD cookie = 0;
    ASSERT_EQ(RegisterGraph(rig.graph.get(), &cookie), S_OK);
    RefPtr<IAMDroppedFrames> preview =
        rig.find<IAMDroppedFrames>(&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Video, rig.video.get());
    ASSERT_EQ(rig.control()->Run(), S_OK);
    ASSERT_TRUE(WaitUntil([&] { return Delivered(preview.get()) >= 2; }));
    rig.control()->Stop();
    RevokeGraph(cookie);
    unsetenv("CORVANE_GRAPH_DUMP");
    unsetenv("XDG_RUNTIME_DIR");
    const QStringList dumps = QDir(runtime.filePath("corvane")).entryList({"*.dot"});
    ASSERT_EQ(dumps.size(), 1);
    QFile dump(runtime.filePath("corvane/" + dumps.front()));
    ASSERT_TRUE(dump.open(QIODevice::ReadOnly));
    const QByteArray text = dump.readAll();
    EXPECT_TRUE(text.contains("CorvaneTvPicture")) << text.left(400).toStdString();
    EXPECT_TRUE(text.contains("GstVideoTestSrc"));
    EXPECT_TRUE(text.contains("[>]")) << "written while playing";
}
