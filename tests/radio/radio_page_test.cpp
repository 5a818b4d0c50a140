// SPDX-License-Identifier: GPL-2.0-or-later
// The Radio page on the virtual TV card: what its shows tune and fill, the order of the exit routing and the
// presets, a page with only a tuner chosen, a device change, the radio error box and the property buttons.
#include "radio_card.h"
#include "radio_stations.h"

#include "channels/channel_list_editor.h"
#include "channels/channel_search_button.h"
#include "channels/search_form.h"
#include "error_boxes.h"
#include "platform/com/com_object.h"
#include "platform/media/gst/dmo_interfaces.h"
#include "radio/radio_page.h"
#include "recording_channel_view.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using Events = std::vector<std::string>;

// Presets that log their name with what the card does at that moment.
class CardPresets final : public MixerPresets {
public:
    CardPresets(EventLog& log, std::function<std::string()> state) : log_(log), state_(std::move(state)) {}
    void ActionPreset(const char* name) override { log_.add(std::string(name) + " " + state_()); }
    void ActionSetup(const char* name) override { log_.add(std::string("setup ") + name); }

private:
    EventLog& log_;
    std::function<std::string()> state_;
};

// Offers only the categories given of another provider: a card of which the user chose some parts.
class SomeCategories final : public DeviceProvider {
public:
    SomeCategories(std::shared_ptr<DeviceProvider> inner, std::vector<Guid> categories)
        : inner_(std::move(inner)), categories_(std::move(categories)) {}
    const char* name() const override { return inner_->name(); }
    std::vector<DeviceDescription> devices(const Guid& category) override {
        for (const Guid& offered : categories_) {
            if (offered == category) {
                return inner_->devices(category);
            }
        }
        return {};
    }

private:
    std::shared_ptr<DeviceProvider> inner_;
    std::vector<Guid> categories_;
};

DeviceEnumFactory FactoryOf(DeviceProviderList providers) {
    return [providers](ICreateDevEnum** out) {
        *out = MakeDeviceEnum(providers).detach();
        return S_OK;
    };
}

std::string StateOf(const VirtualCard& card) {
    return std::to_string(card.frequency()) + " route " +
           std::to_string(card.routedTo(0, kAudioDecoderOutput));
}

struct RadioPageTest : ::testing::Test {
    // The devices the page's pickers list; the fixtures below give other cards.
    virtual DeviceEnumFactory devices() { return radio.factory(); }
    // What the presets log besides their name.
    virtual std::string state() const { return StateOf(*radio.card); }

    void SetUp() override {
        page = std::make_unique<RadioPage>(
            clock, presets, boxes, [this] { return shown; }, nullptr, devices());
        FillStations(*page, {{"Classic", 95800000}, {"Jazz", 101050000}}, 1, true);
    }

    void show() {
        shown = true;
        page->RadioTabSheetShow();
    }
    void leave() {
        page->leavePage();
        shown = false;
    }
    QString tunning() const { return page->findChild<QLabel*>(QStringLiteral("RadioTunningLabel"))->text(); }
    static QStringList rows(QComboBox* box) {
        QStringList texts;
        for (int i = 0; i < box->count(); ++i) {
            texts << box->itemText(i) + "=" + box->itemData(i).toString();
        }
        return texts;
    }
    static void choose(QComboBox* box, int row) {
        box->setCurrentIndex(row);
        emit box->activated(row);
    }

    RadioCard radio;
    EventLog log;
    LoggingClock clock{log};
    CardPresets presets{log, [this] { return state(); }};
    RecordingMessageBoxes boxes;
    bool shown = false;
    std::unique_ptr<RadioPage> page;
};

TEST_F(RadioPageTest, FirstShowTunesTheSelectedStationBetweenThePresetsAndFillsTheSetup) {
    ASSERT_TRUE(radio.card->route(0, kAudioDecoderOutput, kAudioLineInput));
    show();
    ASSERT_NE(page->radioTools(), nullptr);
    EXPECT_EQ(radio.card->mode(), TunerMode::Fm);
    const std::string line = std::to_string(kAudioLineInput);
    const std::string tuner = std::to_string(kAudioTunerInput);
    // The tuner's sound reaches the decoder before the station is tuned and unmuted.
    EXPECT_EQ(log.events, (Events{"Radio_Mute 0 route " + tuner, "sleep 200", "sleep 100",
                                  "Radio_Unmute 101050000 route " + tuner}));
    EXPECT_EQ(tunning(), "Fine tunning: +50000");

    EXPECT_TRUE(page->audioModes()->isEnabled());
    EXPECT_EQ(rows(page->audioModes()), (QStringList{"Mono=1", "Stereo=2", "Lang A=16", "Lang B=32"}));
    EXPECT_EQ(page->audioModes()->currentText(), "Mono");
    EXPECT_TRUE(page->audioSources()->isEnabled());
    EXPECT_EQ(rows(page->audioSources()), (QStringList{QString::fromStdString("Audio Tuner=" + tuner),
                                                       QString::fromStdString("Audio Line=" + line)}));
    EXPECT_EQ(page->audioSources()->currentIndex(), -1) << "no exit source chosen yet";
    EXPECT_EQ(page->exitOutputPin, kAudioDecoderOutput);
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(RadioPageTest, EveryLaterShowRetunesAndUnmutesWithTheSameRadioObject) {
    show();
    TRadioTools* first = page->radioTools();
    leave();
    // Someone else's tuning meanwhile; coming back brings the station back.
    radio.card->setFrequency(88300000);
    page->stations().list().select(0);
    log.events.clear();
    show();
    EXPECT_EQ(page->radioTools(), first);
    EXPECT_EQ(log.events,
              (Events{"Radio_Mute 88300000 route " + std::to_string(kAudioTunerInput), "sleep 200",
                      "sleep 100", "Radio_Unmute 95800000 route " + std::to_string(kAudioTunerInput)}));
    EXPECT_EQ(tunning(), "Fine tunning: +0");
}

TEST_F(RadioPageTest, LeavingRoutesTheChosenExitSourceBeforeMutingAndKeepsTheStation) {
    page->exitInputPin = kAudioLineInput;
    show();
    EXPECT_EQ(page->audioSources()->currentText(), "Audio Line") << "the stored choice is selected";
    choose(page->audioSources(), 0);
    EXPECT_EQ(page->exitInputPin, kAudioTunerInput);
    choose(page->audioSources(), 1);
    EXPECT_EQ(page->exitInputPin, kAudioLineInput);
    EXPECT_EQ(radio.card->routedTo(0, kAudioDecoderOutput), kAudioTunerInput)
        << "nothing is routed on choosing";

    log.events.clear();
    leave();
    EXPECT_EQ(log.events,
              (Events{"Radio_Mute 101050000 route " + std::to_string(kAudioLineInput), "sleep 200"}));
    EXPECT_EQ(radio.card->mode(), TunerMode::Fm);
    EXPECT_EQ(radio.card->frequency(), 101050000);
}

TEST_F(RadioPageTest, WithoutAnExitSourceLeavingRoutesNothing) {
    show();
    log.events.clear();
    leave();
    EXPECT_EQ(log.events,
              (Events{"Radio_Mute 101050000 route " + std::to_string(kAudioTunerInput), "sleep 200"}));
}

TEST_F(RadioPageTest, PickingAnotherSoundModeSetsItOnTheCard) {
    show();
    const int stereo = page->audioModes()->findText(QStringLiteral("Stereo"));
    ASSERT_GE(stereo, 0);
    choose(page->audioModes(), stereo);
    LONG mode = 0;
    RefPtr<IAMTVAudio> audio;
    ASSERT_EQ(
        radio.tvAudio->BindToObject(nullptr, nullptr, IAMTVAudio::IID, reinterpret_cast<void**>(audio.put())),
        S_OK);
    audio->get_TVAudioMode(&mode);
    EXPECT_EQ(mode, AMTVAUDIO_MODE_STEREO);
}

// Two cards: the tuner picker's change moves the radio to the second one.
struct RadioPageTwoCards : RadioPageTest {
    DeviceEnumFactory devices() override {
        return FactoryOf({MakeVirtualCardProvider(radio.card), MakeVirtualCardProvider(second)});
    }
    std::string state() const override { return StateOf(*second); }
    std::shared_ptr<VirtualCard> second = std::make_shared<VirtualCard>(BuiltInCardDefinition());
};

TEST_F(RadioPageTwoCards, ATunerChangeRebuildsTheRadioAndRetunesBetweenThePresets) {
    show();
    ASSERT_EQ(page->tunerDevices()->count(), 2);
    log.events.clear();
    choose(page->tunerDevices(), 1);
    EXPECT_EQ(second->mode(), TunerMode::Fm);
    EXPECT_EQ(second->frequency(), 101050000);
    EXPECT_EQ(log.events,
              (Events{"Radio_Mute 0 route " + std::to_string(kAudioTunerInput), "sleep 200", "sleep 100",
                      "Radio_Unmute 101050000 route " + std::to_string(kAudioTunerInput)}));
    EXPECT_TRUE(boxes.shown().empty()) << "the old object let go of the tuner's lock first";

    // The first card is no longer tuned by the page.
    radio.card->setFrequency(88300000);
    page->stations().list().select(0);
    page->stations().RadioCheckListBoxClick();
    EXPECT_EQ(radio.card->frequency(), 88300000);
    EXPECT_EQ(second->frequency(), 95800000);
}

struct RadioPageOnlyTuner : RadioPageTest {
    DeviceEnumFactory devices() override {
        return FactoryOf({std::make_shared<SomeCategories>(MakeVirtualCardProvider(radio.card),
                                                           std::vector<Guid>{AM_KSCATEGORY_TVTUNER})});
    }
};

TEST_F(RadioPageOnlyTuner, TuningWorksAndTheSoundBoxesStayDisabled) {
    show();
    EXPECT_EQ(radio.card->frequency(), 101050000);
    EXPECT_EQ(tunning(), "Fine tunning: +50000");
    EXPECT_FALSE(page->audioModes()->isEnabled());
    EXPECT_EQ(page->audioModes()->count(), 0);
    EXPECT_FALSE(page->audioSources()->isEnabled());
    EXPECT_EQ(page->exitOutputPin, -1);
    page->exitInputPin = kAudioLineInput;
    leave();
    EXPECT_EQ(radio.card->routedTo(0, kAudioDecoderOutput), kAudioTunerInput);
    EXPECT_TRUE(boxes.shown().empty());
}

struct RadioPageFaultyTuner : RadioPageTest {
    DeviceEnumFactory devices() override { return FactoryOf({MakeVirtualCardProvider(faulty)}); }
    std::shared_ptr<VirtualCard> faulty = std::make_shared<VirtualCard>([] {
        CardDefinition card = BuiltInCardDefinition();
        card.faults.setProperty = true;
        return card;
    }());
};

TEST_F(RadioPageFaultyTuner, RefusedPropertiesShowTheRadioErrorBoxAndTheStationIsStillUnmuted) {
    show();
    const std::vector<std::string> texts = ErrorBoxTexts(boxes);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].rfind("KSPROPERTY_TUNER_MODE\n", 0), 0u) << texts[0];
    EXPECT_EQ(texts[1].rfind("KSPROPERTY_TUNER_FREQUENCY\n", 0), 0u) << texts[1];
    ASSERT_FALSE(log.events.empty());
    EXPECT_EQ(log.events.back().rfind("Radio_Unmute", 0), 0u);
}

// A crossbar that publishes one settings page.
class PagedCrossbar final : public ComObject<IAMCrossbar, ISpecifyPropertyPages> {
public:
    HRESULT get_PinCounts(LONG* outputs, LONG* inputs) override {
        *outputs = 0;
        *inputs = 0;
        return S_OK;
    }
    HRESULT CanRoute(LONG, LONG) override { return S_FALSE; }
    HRESULT Route(LONG, LONG) override { return E_INVALIDARG; }
    HRESULT get_IsRoutedTo(LONG, LONG*) override { return E_INVALIDARG; }
    HRESULT get_CrossbarPinInfo(BOOL, LONG, LONG*, LONG*) override { return E_INVALIDARG; }
    HRESULT GetPages(CAUUID* pages) override {
        pages->cElems = 1;
        pages->pElems = static_cast<Guid*>(CoTaskMemAlloc(sizeof(Guid)));
        std::memcpy(static_cast<void*>(pages->pElems), &kPage, sizeof(Guid));
        return S_OK;
    }
    static constexpr Guid kPage = Guid::of("{0E1F2A3B-4C5D-4E6F-8091-A2B3C4D5E6F7}");
};

class PagedCrossbarProvider final : public DeviceProvider {
public:
    const char* name() const override { return "paged"; }
    std::vector<DeviceDescription> devices(const Guid& category) override {
        if (category != AM_KSCATEGORY_CROSSBAR) {
            return {};
        }
        return {{"Paged Crossbar", "0", [](const Guid& iid, void** object) {
                     return MakeCom<PagedCrossbar>()->QueryInterface(iid, object);
                 }}};
    }
};

struct RadioPageProperties : RadioPageTest {
    DeviceEnumFactory devices() override {
        return FactoryOf({std::make_shared<SomeCategories>(MakeVirtualCardProvider(radio.card),
                                                           std::vector<Guid>{AM_KSCATEGORY_TVTUNER}),
                          std::make_shared<PagedCrossbarProvider>()});
    }
    void SetUp() override {
        RadioPageTest::SetUp();
        page->setPropertyFrame([this](QWidget* owner, int x, int y, const wchar_t* caption, ULONG objects,
                                      IUnknown** object, ULONG count, const Guid* pages,
                                      std::uint32_t locale) {
            EXPECT_EQ(owner, page->window());
            EXPECT_EQ(x, 30);
            EXPECT_EQ(y, 30);
            EXPECT_TRUE(caption == nullptr || *caption == 0);
            EXPECT_EQ(objects, 1u);
            EXPECT_NE(query<IAMCrossbar>(object[0]), nullptr);
            EXPECT_EQ(count, 1u);
            EXPECT_EQ(pages[0], PagedCrossbar::kPage);
            EXPECT_EQ(locale, 0u);
            ++frames;
            return S_OK;
        });
    }
    int frames = 0;
};

TEST_F(RadioPageProperties, OnlyADeviceThatIsThereAndHasPagesOpensTheFrame) {
    page->crossbarButton()->click();
    EXPECT_EQ(frames, 0) << "no radio object before the first show";
    show();
    page->audioButton()->click();
    EXPECT_EQ(frames, 0) << "no TV audio device chosen";
    page->crossbarButton()->click();
    EXPECT_EQ(frames, 1);
}

TEST_F(RadioPageTest, SearchSweepsTheRadioObjectOnceItExistsAndRetunesTheSelection) {
    VirtualClock searchClock;
    TRadioSearchForm form(searchClock);
    page->searchButton().setForm(&form);
    auto* search = page->findChild<QPushButton*>(QStringLiteral("RadioSearchButton"));
    ASSERT_NE(search, nullptr);
    // Before the first show there is no radio object to sweep.
    search->click();
    EXPECT_EQ(page->stations().list().count(), 2);
    EXPECT_TRUE(log.events.empty());

    show();
    log.events.clear();
    search->click();
    QStringList stations;
    for (const ChannelEntry& entry : page->stations().list().entries()) {
        stations << QStringLiteral("%1 %2 %3").arg(entry.name).arg(entry.freq).arg(entry.enabled);
    }
    EXPECT_EQ(stations,
              (QStringList{"Classic 95800000 1", "Jazz 101100000 1", "found station 88.30 MHz 88300000 1",
                           "found station 104.60 MHz 104600000 1"}));
    // The sweep applies no preset; the select after it retunes the selected station, now on its find.
    const std::string tuner = std::to_string(kAudioTunerInput);
    EXPECT_EQ(log.events, (Events{"Radio_Mute 108000000 route " + tuner, "sleep 200", "sleep 100",
                                  "Radio_Unmute 101100000 route " + tuner}));
    EXPECT_EQ(searchClock.sleeps().size(), 401u - 4u * 6u);
}

} // namespace
