// SPDX-License-Identifier: GPL-2.0-or-later
#include "graph_test_support.h"
#include "narrow_effect.h"

#include "platform/media/gst/dmo_interfaces.h"
#include "platform/media/gst/effect_catalog.h"
#include "platform/media/gst/element_properties.h"
#include "platform/media/gst/element_settings_dialog.h"
#include "platform/media/gst/gst_filter.h"

#include <QCheckBox>
#include <QLabel>
#include <QSlider>

#include <algorithm>

namespace {

class EffectsTest : public ::testing::Test {
protected:
    void SetUp() override {
        UseFakeAudioOutput();
        RegisterNarrowRateEffect();
    }
    GeneratedMedia media;
};

struct Listed {
    Guid classId;
    std::wstring name;
};

std::vector<Listed> ListEffects() {
    std::vector<Listed> listed;
    RefPtr<IEnumDMO> effects;
    EXPECT_EQ(
        DMOEnum(DMOCATEGORY_AUDIO_EFFECT, DMO_ENUMF_INCLUDE_KEYED, 0, nullptr, 0, nullptr, effects.put()),
        S_OK);
    Guid classId;
    wchar_t* name = nullptr;
    while (effects->Next(1, &classId, &name, nullptr) == S_OK) {
        listed.push_back({classId, name});
        CoTaskMemFree(name);
    }
    return listed;
}

Guid ClassIdNamed(const std::wstring& name) {
    for (const auto& effect : ListEffects()) {
        if (effect.name == name) {
            return effect.classId;
        }
    }
    return {};
}

RefPtr<IBaseFilter> MakeWrapper(const Guid& classId) {
    RefPtr<IBaseFilter> wrapper;
    EXPECT_EQ(CoCreateInstance(CLSID_DMOWrapperFilter, nullptr, CLSCTX_INPROC_SERVER, IBaseFilter::IID,
                               reinterpret_cast<void**>(wrapper.put())),
              S_OK);
    auto init = query<IDMOWrapperFilter>(wrapper);
    EXPECT_TRUE(init);
    EXPECT_EQ(init->Init(classId, DMOCATEGORY_AUDIO_EFFECT), S_OK);
    return wrapper;
}

struct AudioChain {
    RefPtr<IPin> upstream;
    RefPtr<IPin> rendererInput;
    AM_MEDIA_TYPE type;
};

AudioChain FindAudioChain(IGraphBuilder* graph) {
    AudioChain chain;
    RefPtr<IBaseFilter> renderer;
    EXPECT_EQ(graph->FindFilterByName(L"Default DirectSound Device", renderer.put()), S_OK);
    renderer->FindPin(L"Audio Input pin (rendered)", chain.rendererInput.put());
    chain.rendererInput->ConnectedTo(chain.upstream.put());
    chain.rendererInput->ConnectionMediaType(&chain.type);
    return chain;
}

RefPtr<IPin> PinAt(IBaseFilter* filter, int index) {
    RefPtr<IEnumPins> pins;
    filter->EnumPins(pins.put());
    pins->Skip(ULONG(index));
    IPin* pin = nullptr;
    return pins->Next(1, &pin, nullptr) == S_OK ? RefPtr<IPin>::adopt(pin) : RefPtr<IPin>();
}

TEST_F(EffectsTest, ListsInstalledAudioEffectsButNotLevelOrSpeedElements) {
    const auto effects = ListEffects();
    auto named = [&](const std::wstring& name) {
        return std::any_of(effects.begin(), effects.end(), [&](const Listed& e) { return e.name == name; });
    };
    EXPECT_TRUE(named(L"Audio echo"));
    EXPECT_TRUE(named(L"Narrow test effect"));
    EXPECT_FALSE(named(L"Volume"));
    EXPECT_FALSE(named(L"Pitch controller"));
    // The identifiers are the same in every run and every listing.
    EXPECT_EQ(ClassIdNamed(L"Audio echo"), ClassIdOfEffect("audioecho"));
    EXPECT_EQ(ListEffects().size(), effects.size());
    // Skipping exactly to the end skips every item asked for; one more is past the end.
    RefPtr<IEnumDMO> all;
    ASSERT_EQ(DMOEnum(DMOCATEGORY_AUDIO_EFFECT, DMO_ENUMF_INCLUDE_KEYED, 0, nullptr, 0, nullptr, all.put()),
              S_OK);
    EXPECT_EQ(all->Skip(ULONG(effects.size())), S_OK);
    EXPECT_EQ(all->Skip(1), S_FALSE);
    all->Reset();
    EXPECT_EQ(all->Skip(ULONG(effects.size() + 1)), S_FALSE);
    RefPtr<IEnumDMO> other;
    EXPECT_EQ(DMOEnum(MEDIATYPE_Audio, 0, 0, nullptr, 0, nullptr, other.put()), E_INVALIDARG);
}

TEST_F(EffectsTest, AnEffectPlacedBetweenStreamAndRendererPlaysToTheEnd) {
    const QString file = WriteAudioFile(media.path("tone.wav"), 0.5);
    auto graph = MakeGraph();
    ASSERT_EQ(RenderFile(graph.get(), file), S_OK);
    AudioChain chain = FindAudioChain(graph.get());
    ASSERT_TRUE(chain.upstream);

    auto echo = MakeWrapper(ClassIdOfEffect("audioecho"));
    RefPtr<IPin> in = PinAt(echo.get(), 0);
    RefPtr<IPin> out = PinAt(echo.get(), 1);
    PIN_DIRECTION direction;
    in->QueryDirection(&direction);
    EXPECT_EQ(direction, PINDIR_INPUT);
    out->QueryDirection(&direction);
    EXPECT_EQ(direction, PINDIR_OUTPUT);

    ASSERT_EQ(graph->AddFilter(echo.get(), L"Custom DMO Audio Effect"), S_OK);
    graph->Disconnect(chain.upstream.get());
    graph->Disconnect(chain.rendererInput.get());
    ASSERT_EQ(graph->ConnectDirect(chain.upstream.get(), in.get(), &chain.type), S_OK);
    // Until the effect reaches the renderer the stream waits: data let through now would meet the effect's
    // unlinked output and stop the file with an error.
    GstPad* upstreamPad = AsGstPin(chain.upstream.get())->pad();
    EXPECT_TRUE(gst_pad_is_blocked(upstreamPad));
    ASSERT_EQ(graph->ConnectDirect(out.get(), chain.rendererInput.get(), &chain.type), S_OK);

    MessageCounter notify;
    auto events = query<IMediaEventEx>(graph);
    events->SetNotifyWindow(&notify.receiver, WM_USER + 2, 0);
    REFERENCE_TIME start = 0;
    query<IMediaSeeking>(graph)->SetPositions(&start, AM_SEEKING_AbsolutePositioning, nullptr,
                                              AM_SEEKING_NoPositioning);
    // The seek that restarts the stream lets it go.
    EXPECT_FALSE(gst_pad_is_blocked(upstreamPad));
    query<IMediaControl>(graph)->Run();
    ASSERT_TRUE(WaitUntil([&] { return !notify.messages.empty(); }));
    EXPECT_EQ(NextEventCode(events.get(), 0), EC_COMPLETE);
    events->SetNotifyWindow(nullptr, 0, 0);
}

// A file with sound and picture playing while effects go into and out of its sound chain, the way the
// player changes them. Links change at every moment of the stream: before preroll, in it, and while data
// flows; both streams restart together after each relink, so a seek racing either renderer would show too.
class RelinkedPlayback {
public:
    explicit RelinkedPlayback(const QString& file) : graph_(MakeGraph()) {
        rendered_ = RenderFile(graph_.get(), file);
        if (rendered_ == S_OK) {
            chain_ = FindAudioChain(graph_.get());
        }
        control_ = query<IMediaControl>(graph_);
        events_ = query<IMediaEventEx>(graph_);
    }

    ::testing::AssertionResult started() {
        if (rendered_ != S_OK || !chain_.upstream) {
            return ::testing::AssertionFailure() << "the file did not render: " << std::hex << rendered_;
        }
        RefPtr<IBaseFilter> video;
        if (graph_->FindFilterByName(L"Video Renderer", video.put()) != S_OK) {
            return ::testing::AssertionFailure() << "the file has no picture";
        }
        control_->Run();
        return ::testing::AssertionSuccess();
    }

    ::testing::AssertionResult insert(IBaseFilter* effect) {
        if (graph_->AddFilter(effect, L"Custom DMO Audio Effect") != S_OK) {
            return ::testing::AssertionFailure() << "the effect did not join the graph";
        }
        graph_->Disconnect(chain_.upstream.get());
        graph_->Disconnect(chain_.rendererInput.get());
        return connectThrough(effect);
    }

    ::testing::AssertionResult remove(IBaseFilter* effect) {
        if (graph_->RemoveFilter(effect) != S_OK) {
            return ::testing::AssertionFailure() << "the effect did not leave the graph";
        }
        if (graph_->ConnectDirect(chain_.upstream.get(), chain_.rendererInput.get(), &chain_.type) != S_OK) {
            return ::testing::AssertionFailure() << "the stream did not reach the renderer again";
        }
        return ::testing::AssertionSuccess();
    }

    // The next effect takes the place of the one playing, with no direct link between.
    ::testing::AssertionResult replace(IBaseFilter* playing, IBaseFilter* next) {
        if (graph_->RemoveFilter(playing) != S_OK ||
            graph_->AddFilter(next, L"Custom DMO Audio Effect") != S_OK) {
            return ::testing::AssertionFailure() << "the effects did not change places";
        }
        return connectThrough(next);
    }

    // Running again restarts data held by the relink from where it was; no event may come of it.
    ::testing::AssertionResult runsOn() {
        control_->Run();
        const LONG code = NextEventCode(events_.get(), 0);
        if (code != 0) {
            return ::testing::AssertionFailure() << "event " << code << " (see the log for an error's words)";
        }
        return ::testing::AssertionSuccess();
    }

    void expectEnd() {
        EXPECT_EQ(NextEventCode(events_.get(), 30000), EC_COMPLETE);
        EXPECT_EQ(NextEventCode(events_.get(), 200), 0);
    }

private:
    ::testing::AssertionResult connectThrough(IBaseFilter* effect) {
        if (graph_->ConnectDirect(chain_.upstream.get(), PinAt(effect, 0).get(), &chain_.type) != S_OK ||
            graph_->ConnectDirect(PinAt(effect, 1).get(), chain_.rendererInput.get(), &chain_.type) != S_OK) {
            return ::testing::AssertionFailure() << "the effect was not connected";
        }
        return ::testing::AssertionSuccess();
    }

    RefPtr<IGraphBuilder> graph_;
    HRESULT rendered_ = E_FAIL;
    AudioChain chain_;
    RefPtr<IMediaControl> control_;
    RefPtr<IMediaEventEx> events_;
};

// Long enough to outlast the relinks also on a slow, busy machine.
constexpr double RelinkedFileSeconds = 3.0;

TEST_F(EffectsTest, AnEffectPutInAndTakenOutTwoHundredTimesWhilePlayingLeavesAStreamThatEnds) {
    const QString file = WriteVideoWithSoundFile(media.path("film.avi"), 160, 120, RelinkedFileSeconds);
    ASSERT_FALSE(file.isEmpty());
    RelinkedPlayback playback(file);
    ASSERT_TRUE(playback.started());
    // The same effect goes in again after each removal, so an input left flushing by the removal would show.
    auto echo = MakeWrapper(ClassIdOfEffect("audioecho"));
    for (int round = 0; round < 200; ++round) {
        ASSERT_TRUE(round % 2 == 0 ? playback.insert(echo.get()) : playback.remove(echo.get()))
            << "round " << round;
        ASSERT_TRUE(playback.runsOn()) << "round " << round;
    }
    playback.expectEnd();
}

TEST_F(EffectsTest, TwoEffectsSwappedTwoHundredTimesWhilePlayingLeaveAStreamThatEnds) {
    const QString file = WriteVideoWithSoundFile(media.path("film.avi"), 160, 120, RelinkedFileSeconds);
    ASSERT_FALSE(file.isEmpty());
    RelinkedPlayback playback(file);
    ASSERT_TRUE(playback.started());
    // Echo works in floating point, amplify takes the stream's own samples: each swap changes the format
    // the renderer gets.
    RefPtr<IBaseFilter> effects[] = {MakeWrapper(ClassIdOfEffect("audioecho")),
                                     MakeWrapper(ClassIdOfEffect("audioamplify"))};
    ASSERT_TRUE(playback.insert(effects[0].get()));
    for (int round = 0; round < 200; ++round) {
        ASSERT_TRUE(playback.replace(effects[round % 2].get(), effects[(round + 1) % 2].get()))
            << "round " << round;
        ASSERT_TRUE(playback.runsOn()) << "round " << round;
    }
    playback.expectEnd();
}

TEST_F(EffectsTest, AStickyEventMeetingAFlushInsideAnEffectReportsTheFlushNotAnError) {
    // What a relink does to a playing stream, held still: the flush has reached the bin's inner pad while
    // the event is still on its way in at the pin.
    auto echo = MakeWrapper(ClassIdOfEffect("audioecho"));
    GstFilter* filter = AsGstFilter(echo.get());
    ASSERT_EQ(gst_element_set_state(filter->element(), GST_STATE_PAUSED), GST_STATE_CHANGE_SUCCESS);
    GstPad* input = AsGstPin(PinAt(echo.get(), 0).get())->pad();
    GstPad* feeder = gst_pad_new("feeder", GST_PAD_SRC);
    ASSERT_TRUE(gst_pad_set_active(feeder, TRUE));
    ASSERT_EQ(gst_pad_link(feeder, input), GST_PAD_LINK_OK);
    GstPad* inner = GST_PAD(gst_proxy_pad_get_internal(GST_PROXY_PAD(input)));
    gst_pad_push_event(inner, gst_event_new_flush_start());
    gst_pad_push_event(feeder, gst_event_new_stream_start("relinked"));
    EXPECT_EQ(gst_pad_push(feeder, gst_buffer_new_allocate(nullptr, 16, nullptr)), GST_FLOW_FLUSHING);
    gst_object_unref(inner);
    gst_pad_unlink(feeder, input);
    gst_object_unref(feeder);
    gst_element_set_state(filter->element(), GST_STATE_NULL);
}

TEST_F(EffectsTest, AnEffectThatRefusesTheStreamFormatIsNotConnected) {
    const QString file = WriteAudioFile(media.path("tone.wav"), 0.5);
    auto graph = MakeGraph();
    ASSERT_EQ(RenderFile(graph.get(), file), S_OK);
    AudioChain chain = FindAudioChain(graph.get());

    auto narrow = MakeWrapper(ClassIdOfEffect(RegisterNarrowRateEffect()));
    ASSERT_EQ(graph->AddFilter(narrow.get(), L"Custom DMO Audio Effect"), S_OK);
    graph->Disconnect(chain.upstream.get());
    EXPECT_EQ(graph->ConnectDirect(chain.upstream.get(), PinAt(narrow.get(), 0).get(), &chain.type),
              VFW_E_NO_ACCEPTABLE_TYPES);
    // The stream goes straight to the renderer again and still plays.
    ASSERT_EQ(graph->RemoveFilter(narrow.get()), S_OK);
    ASSERT_EQ(graph->ConnectDirect(chain.upstream.get(), chain.rendererInput.get(), &chain.type), S_OK);
    auto control = query<IMediaControl>(graph);
    control->Run();
    auto events = query<IMediaEventEx>(graph);
    EXPECT_EQ(NextEventCode(events.get(), 10000), EC_COMPLETE);
}

TEST_F(EffectsTest, EffectObjectsAndTheirSettingsPage) {
    RefPtr<ISpecifyPropertyPages> standalone;
    ASSERT_EQ(CoCreateInstance(ClassIdOfEffect("audioecho"), nullptr, CLSCTX_INPROC_SERVER,
                               ISpecifyPropertyPages::IID, reinterpret_cast<void**>(standalone.put())),
              S_OK);
    CAUUID pages;
    ASSERT_EQ(standalone->GetPages(&pages), S_OK);
    ASSERT_EQ(pages.cElems, 1u);
    EXPECT_EQ(pages.pElems[0], CLSID_EffectPropertiesPage);
    CoTaskMemFree(pages.pElems);
    void* nothing = nullptr;
    EXPECT_EQ(CoCreateInstance(MEDIATYPE_Audio, nullptr, CLSCTX_INPROC_SERVER, IUnknown::IID, &nothing),
              REGDB_E_CLASSNOTREG);

    GstElement* echo = query<IElementProperties>(standalone)->settingsElement();
    g_object_set(echo, "max-delay", guint64(GST_SECOND), "delay", guint64(GST_SECOND / 10), nullptr);
    float intensityBefore = 0;
    g_object_get(echo, "intensity", &intensityBefore, nullptr);

    ElementSettingsDialog dialog(echo, "Audio echo", "none");
    EXPECT_EQ(dialog.windowTitle(), "Audio echo");
    auto* intensity = dialog.findChild<QSlider*>("intensity");
    auto* surround = dialog.findChild<QCheckBox*>("surround-delay");
    ASSERT_NE(intensity, nullptr);
    ASSERT_NE(surround, nullptr);
    EXPECT_EQ(dialog.findChild<QWidget*>("name"), nullptr);
    auto* maxDelay = dialog.findChild<QSlider*>("max-delay");
    ASSERT_NE(maxDelay, nullptr); // settable while the effect is not playing
    maxDelay->setValue(maxDelay->maximum());
    guint64 longest = 0;
    g_object_get(echo, "max-delay", &longest, nullptr);
    EXPECT_EQ(longest, guint64(10) * GST_SECOND); // ten times the current value, not the type's maximum

    intensity->setValue(intensity->maximum());
    float changed = 0;
    g_object_get(echo, "intensity", &changed, nullptr);
    EXPECT_FLOAT_EQ(changed, 1.0f);
    EXPECT_EQ(dialog.findChild<QLabel*>("intensity-value")->text(), "1");
    surround->setChecked(!surround->isChecked());

    dialog.reject();
    float restored = -1;
    g_object_get(echo, "intensity", &restored, nullptr);
    EXPECT_FLOAT_EQ(restored, intensityBefore);
}

TEST_F(EffectsTest, AFactorOpenToTheLargestFloatGetsASliderAroundItsValue) {
    GstElement* amplify = gst_element_factory_make("audioamplify", nullptr);
    ASSERT_NE(amplify, nullptr);
    gst_object_ref_sink(amplify);
    {
        ElementSettingsDialog dialog(amplify, "Amplify", "none");
        auto* slider = dialog.findChild<QSlider*>("amplification");
        ASSERT_NE(slider, nullptr);
        float factor = 0;
        slider->setValue(slider->value() + 1);
        g_object_get(amplify, "amplification", &factor, nullptr);
        EXPECT_NEAR(factor, 1.0f, 0.1f); // one step from the default of 1
        slider->setValue(slider->maximum());
        g_object_get(amplify, "amplification", &factor, nullptr);
        EXPECT_FLOAT_EQ(factor, 10.0f);
        slider->setValue(slider->minimum());
        g_object_get(amplify, "amplification", &factor, nullptr);
        EXPECT_FLOAT_EQ(factor, -10.0f);
    }
    gst_object_unref(amplify);
}

} // namespace
