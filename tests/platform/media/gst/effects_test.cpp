// SPDX-License-Identifier: GPL-2.0-or-later
#include "graph_test_support.h"
#include "narrow_effect.h"

#include "platform/media/gst/dmo_interfaces.h"
#include "platform/media/gst/effect_catalog.h"
#include "platform/media/gst/effect_settings_dialog.h"
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
    events->SetNotifyWindow(reinterpret_cast<OAHWND>(&notify), WM_USER + 2, 0);
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

TEST_F(EffectsTest, AnEffectPutInAndTakenOutTwoHundredTimesWhilePlayingLeavesAStreamThatEnds) {
    // Long enough to outlast the relinks also on a slow, busy machine.
    const QString file = WriteAudioFile(media.path("tone.wav"), 3.0);
    auto graph = MakeGraph();
    ASSERT_EQ(RenderFile(graph.get(), file), S_OK);
    AudioChain chain = FindAudioChain(graph.get());
    ASSERT_TRUE(chain.upstream);
    auto control = query<IMediaControl>(graph);
    auto events = query<IMediaEventEx>(graph);
    // Links change at every moment of the stream: before preroll, in it, and while data flows. The same
    // effect goes in again after each removal, so an input left flushing by the removal would show too.
    auto echo = MakeWrapper(ClassIdOfEffect("audioecho"));
    RefPtr<IPin> in = PinAt(echo.get(), 0);
    RefPtr<IPin> out = PinAt(echo.get(), 1);
    control->Run();
    for (int round = 0; round < 200; ++round) {
        if (round % 2 == 0) {
            ASSERT_EQ(graph->AddFilter(echo.get(), L"Custom DMO Audio Effect"), S_OK);
            graph->Disconnect(chain.upstream.get());
            graph->Disconnect(chain.rendererInput.get());
            ASSERT_EQ(graph->ConnectDirect(chain.upstream.get(), in.get(), &chain.type), S_OK);
            ASSERT_EQ(graph->ConnectDirect(out.get(), chain.rendererInput.get(), &chain.type), S_OK);
        } else {
            ASSERT_EQ(graph->RemoveFilter(echo.get()), S_OK);
            ASSERT_EQ(graph->ConnectDirect(chain.upstream.get(), chain.rendererInput.get(), &chain.type),
                      S_OK);
        }
        // Running again restarts data held by the relink from where it was.
        control->Run();
        ASSERT_EQ(NextEventCode(events.get(), 0), 0) << "round " << round;
    }
    EXPECT_EQ(NextEventCode(events.get(), 20000), EC_COMPLETE);
    EXPECT_EQ(NextEventCode(events.get(), 200), 0);
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

    GstElement* echo = query<IElementProperties>(standalone)->effectElement();
    g_object_set(echo, "max-delay", guint64(GST_SECOND), "delay", guint64(GST_SECOND / 10), nullptr);
    float intensityBefore = 0;
    g_object_get(echo, "intensity", &intensityBefore, nullptr);

    EffectSettingsDialog dialog(echo, "Audio echo");
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
        EffectSettingsDialog dialog(amplify, "Amplify");
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
