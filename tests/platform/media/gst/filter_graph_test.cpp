// SPDX-License-Identifier: GPL-2.0-or-later
#include "graph_test_support.h"

#include "platform/media/gst/bus_error.h"
#include "platform/media/gst/filter_graph.h"
#include "platform/media/gst/gst_filter.h"
#include "platform/media/video_renderer.h"

#include <QFile>

#include <atomic>

#include <sys/stat.h>

namespace {

class FilterGraphTest : public ::testing::Test {
protected:
    void SetUp() override { UseFakeAudioOutput(); }
    GeneratedMedia media;
};

RefPtr<IPin> RendererInput(IGraphBuilder* graph) {
    RefPtr<IBaseFilter> renderer;
    RefPtr<IPin> input;
    if (SUCCEEDED(graph->FindFilterByName(L"Default DirectSound Device", renderer.put()))) {
        renderer->FindPin(L"Audio Input pin (rendered)", input.put());
    }
    return input;
}

// Counts how often the file source behind a source pin is started in push mode.
class PushActivations {
public:
    explicit PushActivations(GstPad* pin) {
        pad_ = GST_IS_GHOST_PAD(pin) ? gst_ghost_pad_get_target(GST_GHOST_PAD(pin))
                                     : GST_PAD(gst_object_ref(pin));
        original_ = GST_PAD_ACTIVATEMODEFUNC(pad_);
        g_object_set_data(G_OBJECT(pad_), "push-activations", this);
        gst_pad_set_activatemode_function(pad_, &PushActivations::activate);
    }
    ~PushActivations() {
        gst_pad_set_activatemode_function(pad_, original_);
        g_object_set_data(G_OBJECT(pad_), "push-activations", nullptr);
        gst_object_unref(pad_);
    }
    int count() const { return count_; }

private:
    static gboolean activate(GstPad* pad, GstObject* parent, GstPadMode mode, gboolean active) {
        auto* self = static_cast<PushActivations*>(g_object_get_data(G_OBJECT(pad), "push-activations"));
        if (active && mode == GST_PAD_MODE_PUSH) {
            ++self->count_;
        }
        return self->original_(pad, parent, mode, active);
    }
    GstPad* pad_ = nullptr;
    GstPadActivateModeFunction original_ = nullptr;
    std::atomic<int> count_{0};
};

TEST_F(FilterGraphTest, RendersAnAudioFileToTheNamedSoundRendererAndHasNoPicture) {
    const QString file = WriteAudioFile(media.path("tone.wav"), 1.0);
    ASSERT_FALSE(file.isEmpty());
    auto graph = MakeGraph();
    ASSERT_EQ(RenderFile(graph.get(), file), S_OK);

    const auto names = FilterNames(graph.get());
    ASSERT_EQ(names.size(), 3u);
    EXPECT_EQ(names.front(), L"Default DirectSound Device"); // newest first
    EXPECT_EQ(names.back(), file.toStdWString());
    RefPtr<IPin> input = RendererInput(graph.get());
    ASSERT_TRUE(input);
    RefPtr<IPin> upstream;
    EXPECT_EQ(input->ConnectedTo(upstream.put()), S_OK);
    AM_MEDIA_TYPE type;
    ASSERT_EQ(input->ConnectionMediaType(&type), S_OK);
    EXPECT_EQ(type.majortype, MEDIATYPE_Audio);
    EXPECT_NE(type.format.find("audio/x-raw"), std::string::npos);

    auto window = query<IVideoWindow>(graph);
    auto video = query<IBasicVideo>(graph);
    QWidget owner;
    EXPECT_TRUE(FAILED(window->put_Owner(&owner)));
    LONG width = 0, height = 0;
    EXPECT_TRUE(FAILED(video->GetVideoSize(&width, &height)));

    auto seeking = query<IMediaSeeking>(graph);
    REFERENCE_TIME length = 0;
    ASSERT_EQ(seeking->GetStopPosition(&length), S_OK);
    EXPECT_NEAR(double(length) / UnitsPerSecond, 1.0, 0.05);
}

TEST_F(FilterGraphTest, PlaysVideoWithSoundToTheEndAndPostsTheCompletion) {
    const QString file = WriteVideoWithSoundFile(media.path("clip.avi"), 320, 240, 1.0);
    ASSERT_FALSE(file.isEmpty());
    auto graph = MakeGraph();
    ASSERT_EQ(RenderFile(graph.get(), file), S_OK);
    EXPECT_EQ(FilterNames(graph.get()).size(), 4u);

    LONG width = 0, height = 0;
    ASSERT_EQ(query<IBasicVideo>(graph)->GetVideoSize(&width, &height), S_OK);
    EXPECT_EQ(width, 320);
    EXPECT_EQ(height, 240);

    MessageCounter notify;
    auto events = query<IMediaEventEx>(graph);
    events->SetNotifyWindow(&notify.receiver, WM_USER + 2, 0);
    auto control = query<IMediaControl>(graph);
    ASSERT_EQ(control->Run(), S_OK);
    ASSERT_TRUE(WaitUntil([&] { return !notify.messages.empty(); }));
    EXPECT_EQ(notify.messages.front(), WM_USER + 2);

    EXPECT_EQ(NextEventCode(events.get(), 0), EC_COMPLETE);
    LONG code = 0;
    LONG_PTR first = 0, second = 0;
    EXPECT_EQ(events->GetEvent(&code, &first, &second, 0), E_ABORT);

    auto* engine = dynamic_cast<FilterGraph*>(graph.get());
    ASSERT_NE(engine->videoRenderer(), nullptr);
    EXPECT_GE(engine->videoRenderer()->framesPresented(), 20);
    EXPECT_EQ(engine->videoRenderer()->currentFrame().size(), QSize(320, 240));
    events->SetNotifyWindow(nullptr, 0, 0);
}

TEST_F(FilterGraphTest, PlaysAVideoFileWithoutSound) {
    const QString file = WriteVideoFile(media.path("silent.avi"), 160, 120, 10, "25/1");
    ASSERT_FALSE(file.isEmpty());
    auto graph = MakeGraph();
    ASSERT_EQ(RenderFile(graph.get(), file), S_OK);
    EXPECT_FALSE(RendererInput(graph.get()));
    EXPECT_EQ(query<IBasicAudio>(graph)->put_Volume(-100), E_NOTIMPL);
    QWidget owner;
    EXPECT_EQ(query<IVideoWindow>(graph)->put_Owner(&owner), S_OK);
}

TEST(BusErrorTest, NamesTheElementTheErrorItsCodeAndItsDebugText) {
    gst_init(nullptr, nullptr);
    GstElement* holder = GST_ELEMENT(gst_object_ref_sink(gst_bin_new("holder")));
    GstElement* culprit = gst_element_factory_make("identity", "culprit");
    gst_bin_add(GST_BIN(holder), culprit);
    GError* error = g_error_new_literal(GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_READ, "Could not read.");
    GstMessage* message = gst_message_new_error(GST_OBJECT(culprit), error, "short read at 42");
    EXPECT_EQ(DescribeBusError(message),
              "/GstBin:holder/GstIdentity:culprit: gst-resource-error-quark code " +
                  std::to_string(GST_RESOURCE_ERROR_READ) + ": Could not read. (short read at 42)");
    gst_message_unref(message);
    message = gst_message_new_error(GST_OBJECT(culprit), error, nullptr);
    EXPECT_EQ(DescribeBusError(message).find('('), std::string::npos);
    gst_message_unref(message);
    message = gst_message_new_eos(GST_OBJECT(culprit));
    EXPECT_EQ(DescribeBusError(message), "");
    gst_message_unref(message);
    g_error_free(error);
    gst_object_unref(holder);
}

TEST_F(FilterGraphTest, BadFilesFailWithoutChangingTheGraphOrHanging) {
    auto graph = MakeGraph();
    const std::wstring missing = media.path("missing.avi").toStdWString();
    RefPtr<IBaseFilter> source;
    EXPECT_TRUE(FAILED(graph->AddSourceFilter(missing.c_str(), missing.c_str(), source.put())));
    EXPECT_TRUE(FilterNames(graph.get()).empty());

    const std::wstring folder = media.dir.path().toStdWString();
    EXPECT_TRUE(FAILED(graph->AddSourceFilter(folder.c_str(), folder.c_str(), source.put())));
    // A pipe nobody writes to would never deliver anything.
    const QByteArray pipe = QFile::encodeName(media.path("pipe.avi"));
    ASSERT_EQ(mkfifo(pipe.constData(), 0600), 0);
    const std::wstring widePipe = media.path("pipe.avi").toStdWString();
    EXPECT_EQ(graph->AddSourceFilter(widePipe.c_str(), widePipe.c_str(), source.put()),
              VFW_E_UNKNOWN_FILE_TYPE);
    EXPECT_EQ(graph->AddSourceFilter(L"/dev/zero", L"/dev/zero", source.put()), VFW_E_UNKNOWN_FILE_TYPE);

    QFile text(media.path("notes.avi"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write(QByteArray(4096, 'x'));
    text.close();
    EXPECT_TRUE(FAILED(RenderFile(graph.get(), text.fileName())));
    // Only the new source stays; nothing of a decoder or renderer.
    EXPECT_EQ(FilterNames(graph.get()).size(), 1u);

    const QString good = WriteVideoWithSoundFile(media.path("good.avi"), 160, 120, 1.0);
    QFile whole(good);
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    QFile cut(media.path("cut.avi"));
    ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
    cut.write(whole.read(whole.size() / 3));
    cut.close();
    auto other = MakeGraph();
    const HRESULT cutResult = RenderFile(other.get(), cut.fileName());
    if (SUCCEEDED(cutResult)) {
        // What can be decoded plays and ends, with the end or the error as an event.
        MessageCounter notify;
        auto events = query<IMediaEventEx>(other);
        events->SetNotifyWindow(&notify.receiver, WM_USER + 2, 0);
        query<IMediaControl>(other)->Run();
        EXPECT_TRUE(WaitUntil([&] { return !notify.messages.empty(); }));
        const LONG code = NextEventCode(events.get(), 0);
        EXPECT_TRUE(code == EC_COMPLETE || code == EC_ERRORABORT);
        events->SetNotifyWindow(nullptr, 0, 0);
    }
}

// Makes every decoder of a format unavailable for as long as it lives, as on a system without that codec.
class CodecRemoved {
public:
    explicit CodecRemoved(const char* format) {
        GstCaps* wanted = gst_caps_from_string(format);
        GList* decoders =
            gst_element_factory_list_get_elements(GST_ELEMENT_FACTORY_TYPE_DECODER, GST_RANK_NONE);
        GList* able = gst_element_factory_list_filter(decoders, wanted, GST_PAD_SINK, FALSE);
        for (GList* item = able; item; item = item->next) {
            auto* feature = GST_PLUGIN_FEATURE(item->data);
            ranks_.emplace_back(GST_PLUGIN_FEATURE(gst_object_ref(feature)),
                                gst_plugin_feature_get_rank(feature));
            gst_plugin_feature_set_rank(feature, GST_RANK_NONE);
        }
        gst_plugin_feature_list_free(able);
        gst_plugin_feature_list_free(decoders);
        gst_caps_unref(wanted);
    }
    ~CodecRemoved() {
        for (auto& [feature, rank] : ranks_) {
            gst_plugin_feature_set_rank(feature, rank);
            gst_object_unref(feature);
        }
    }
    bool removedAny() const { return !ranks_.empty(); }

private:
    std::vector<std::pair<GstPluginFeature*, guint>> ranks_;
};

TEST_F(FilterGraphTest, AStreamWithoutADecoderIsLeftOutAndAFileOfOnlySuchStreamsFails) {
    const QString silent = WriteVideoFile(media.path("silent.avi"), 160, 120, 5, "25/1");
    const QString both = WriteVideoWithSoundFile(media.path("both.avi"), 160, 120, 0.5);
    CodecRemoved noJpeg("image/jpeg");
    ASSERT_TRUE(noJpeg.removedAny());

    auto graph = MakeGraph();
    EXPECT_EQ(RenderFile(graph.get(), silent), VFW_E_UNSUPPORTED_STREAM);
    EXPECT_EQ(FilterNames(graph.get()).size(), 1u);

    auto partial = MakeGraph();
    ASSERT_EQ(RenderFile(partial.get(), both), S_OK);
    EXPECT_TRUE(RendererInput(partial.get()));
    LONG width = 0, height = 0;
    EXPECT_TRUE(FAILED(query<IBasicVideo>(partial)->GetVideoSize(&width, &height)));
    query<IMediaControl>(partial)->Run();
    EXPECT_EQ(NextEventCode(query<IMediaEventEx>(partial).get(), 10000), EC_COMPLETE);
}

TEST_F(FilterGraphTest, AnErrorWhilePlayingBecomesTheAbortEvent) {
    UseFakeAudioOutput("identity error-after=5 ! fakeaudiosink");
    const QString file = WriteAudioFile(media.path("tone.wav"), 2.0);
    auto graph = MakeGraph();
    ASSERT_EQ(RenderFile(graph.get(), file), S_OK);
    query<IMediaControl>(graph)->Run();
    EXPECT_EQ(NextEventCode(query<IMediaEventEx>(graph).get(), 10000), EC_ERRORABORT);
}

TEST_F(FilterGraphTest, AFilterWhoseDataWaitsInAHoldIsRemovedWithoutHangingOrAnError) {
    const QString file = WriteAudioFile(media.path("tone.wav"), 2.0);
    auto graph = MakeGraph();
    ASSERT_EQ(RenderFile(graph.get(), file), S_OK);
    auto control = query<IMediaControl>(graph);
    auto events = query<IMediaEventEx>(graph);
    control->Run();
    RefPtr<IPin> input = RendererInput(graph.get());
    RefPtr<IPin> decoderOutput;
    ASSERT_EQ(input->ConnectedTo(decoderOutput.put()), S_OK);
    RefPtr<IBaseFilter> renderer;
    ASSERT_EQ(graph->FindFilterByName(L"Default DirectSound Device", renderer.put()), S_OK);
    ASSERT_EQ(graph->RemoveFilter(renderer.get()), S_OK);
    // Running again restarts the data, which then waits in the hold at the decoder's output: the state in
    // which taking the decoder down used to wait for its streaming thread for ever.
    control->Run();
    GstPad* held = AsGstPin(decoderOutput.get())->pad();
    ASSERT_TRUE(WaitUntil([&] { return gst_pad_is_blocking(held) != FALSE; }, 5000));
    RefPtr<IBaseFilter> decoder;
    ASSERT_EQ(graph->FindFilterByName(L"Decoder", decoder.put()), S_OK);
    EXPECT_EQ(graph->RemoveFilter(decoder.get()), S_OK);
    EXPECT_EQ(NextEventCode(events.get(), 200), 0);
}

TEST_F(FilterGraphTest, EachNextFileInTheLastOnesGraphIsPulledFromAndPlaysToItsEnd) {
    // The player opens the next file into the graph of the last one, which its stop left paused.
    auto graph = MakeGraph();
    ASSERT_EQ(RenderFile(graph.get(), WriteAudioFile(media.path("first.wav"), 0.3)), S_OK);
    auto control = query<IMediaControl>(graph);
    auto events = query<IMediaEventEx>(graph);
    control->Run();
    ASSERT_EQ(NextEventCode(events.get(), 10000), EC_COMPLETE);
    for (int round = 0; round < 5; ++round) {
        control->Stop();
        const std::wstring next = media.path(QStringLiteral("next%1.wav").arg(round)).toStdWString();
        WriteAudioFile(QString::fromStdWString(next), 0.3);
        RefPtr<IBaseFilter> source;
        ASSERT_EQ(graph->AddSourceFilter(next.c_str(), next.c_str(), source.put()), S_OK);
        RefPtr<IPin> output;
        ASSERT_EQ(source->FindPin(L"Output", output.put()), S_OK);
        // A file source started in push mode pushes before its reader can take it over in pull mode.
        PushActivations pushes(AsGstPin(output.get())->pad());
        RefPtr<IEnumFilters> filters;
        graph->EnumFilters(filters.put());
        std::vector<RefPtr<IBaseFilter>> old;
        for (IBaseFilter* filter = nullptr; filters->Next(1, &filter, nullptr) == S_OK;) {
            if (filter != source.get()) {
                old.push_back(RefPtr<IBaseFilter>::adopt(filter));
            } else {
                filter->Release();
            }
        }
        for (const auto& filter : old) {
            graph->RemoveFilter(filter.get());
        }
        ASSERT_EQ(graph->Render(output.get()), S_OK) << "round " << round;
        control->Run();
        EXPECT_EQ(NextEventCode(events.get(), 10000), EC_COMPLETE) << "round " << round;
        EXPECT_EQ(pushes.count(), 0) << "round " << round;
    }
}

TEST_F(FilterGraphTest, OpensPathsWithSpacesAndNonLatinLetters) {
    const QString file = WriteAudioFile(media.path(QStringLiteral("Mój plik – музыка.wav")), 0.5);
    ASSERT_FALSE(file.isEmpty());
    auto graph = MakeGraph();
    EXPECT_EQ(RenderFile(graph.get(), file), S_OK);
}

TEST_F(FilterGraphTest, ConnectionsFollowDirectionKindAndOwnership) {
    const QString file = WriteAudioFile(media.path("tone.wav"), 0.5);
    auto graph = MakeGraph();
    ASSERT_EQ(RenderFile(graph.get(), file), S_OK);
    RefPtr<IPin> input = RendererInput(graph.get());
    RefPtr<IPin> upstream;
    ASSERT_EQ(input->ConnectedTo(upstream.put()), S_OK);
    EXPECT_EQ(graph->ConnectDirect(upstream.get(), input.get(), nullptr), VFW_E_ALREADY_CONNECTED);
    EXPECT_EQ(graph->ConnectDirect(input.get(), upstream.get(), nullptr), VFW_E_INVALID_DIRECTION);
    EXPECT_EQ(graph->Disconnect(upstream.get()), S_OK);
    EXPECT_EQ(graph->Disconnect(input.get()), S_FALSE);
    EXPECT_EQ(input->ConnectedTo(upstream.put()), VFW_E_NOT_CONNECTED);
    // Render finds the free renderer input already in the graph instead of adding another renderer.
    RefPtr<IPin> decoded;
    RefPtr<IBaseFilter> decoder;
    ASSERT_EQ(graph->FindFilterByName(L"Decoder", decoder.put()), S_OK);
    ASSERT_EQ(decoder->FindPin(L"Audio", decoded.put()), S_OK);
    EXPECT_EQ(graph->Render(decoded.get()), S_OK);
    EXPECT_EQ(FilterNames(graph.get()).size(), 3u);
    EXPECT_EQ(input->ConnectedTo(upstream.put()), S_OK);
}

} // namespace
