// SPDX-License-Identifier: GPL-2.0-or-later
// The Radio page's sound on a real sound server: a PulseAudio daemon of this test on a null sink. The stream
// shows under the program's name while a station plays, the sink's monitor carries the station's tone
// (its frequency counted from the samples), and the stream is gone once the page is left.
#include "private_sound_server.h"
#include "radio/radio_card_sound.h"
#include "radio_page_on_card.h"
#include "stderr_capture.h"
#include "tone_measure.h"

#include <QDeadlineTimer>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>

namespace {

constexpr const char* kSink = "corvane_radio_test";
constexpr std::size_t kMeasured = 4800;
// A station's tone is well above this; silence and the server's dither are far below it.
constexpr int kAudible = 3000;

// Waits, processing the GUI thread's events, until done() holds or the server's wait has passed.
bool WaitFor(const std::function<bool()>& done) {
    QDeadlineTimer deadline(PrivateSoundServer::kWaitMs);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return true;
}

// Whether every 10 ms of the samples holds the tone, not silence.
bool HeardThroughout(const std::vector<std::int16_t>& samples) {
    constexpr std::size_t kStep = SinkMonitor::kRate / 100;
    for (std::size_t at = 0; at < samples.size(); at += kStep) {
        const auto end = samples.begin() + std::min(samples.size(), at + kStep);
        if (Peak({samples.begin() + at, end}) <= kAudible) {
            return false;
        }
    }
    return !samples.empty();
}

QString SinkInputs() {
    return PrivateSoundServer::pactl({QStringLiteral("list"), QStringLiteral("sink-inputs")});
}

// The value of a property in pactl's listing, e.g. application.name = "Corvane".
QString Property(const QString& listing, const char* name) {
    const QRegularExpression line(QStringLiteral("%1 = \"([^\"]*)\"").arg(QRegularExpression::escape(name)));
    return line.match(listing).captured(1);
}

struct RadioOnSoundServer : OnPrivateSoundServer {
    RadioOnSoundServer() : OnPrivateSoundServer(kSink) {}
    void SetUp() override {
        OnPrivateSoundServer::SetUp();
        if (started()) {
            on = std::make_unique<RadioPageOnCard>();
            on->makePage();
        }
    }
    void TearDown() override { on.reset(); }

    std::unique_ptr<RadioPageOnCard> on;
};

TEST_F(RadioOnSoundServer, TheStationPlaysUnderTheProgramsNameUntilThePageIsLeft) {
    StderrCapture errors;
    on->show();
    ASSERT_TRUE(on->page->cardSound().playing());
    QString listing;
    ASSERT_TRUE(WaitFor([&] {
        listing = SinkInputs();
        return !Property(listing, "application.name").isEmpty();
    })) << "no stream on the test's server";
    EXPECT_EQ(Property(listing, "application.name"), QStringLiteral("Corvane"));
    EXPECT_EQ(Property(listing, "application.icon_name"), QStringLiteral("org.corvane.Corvane"));
    EXPECT_EQ(Property(listing, "media.role"), QStringLiteral("music"));

    // The monitor gives silence until the stream's first buffers arrive, and a busy machine may let the
    // short buffer run dry or skip while the stream settles: what counts is a tenth of a second heard
    // throughout at the station's frequency, within the wait.
    const double tone = on->radio.card->sound().toneHz;
    ASSERT_GT(tone, 0.0);
    SinkMonitor monitor{QLatin1String(kSink)};
    std::vector<std::int16_t> heard;
    double measured = 0.0;
    EXPECT_TRUE(WaitFor([&] {
        heard = monitor.next(kMeasured);
        measured = HeardThroughout(heard) ? ToneFrequency(heard, SinkMonitor::kRate) : 0.0;
        return heard.size() < kMeasured || std::abs(measured - tone) <= 3.0;
    })) << "the station's tone is not heard; last measured "
        << measured << " Hz";
    ASSERT_EQ(heard.size(), kMeasured) << "the sink's monitor gives nothing";
    EXPECT_NEAR(measured, tone, 3.0);

    on->leave();
    EXPECT_TRUE(WaitFor([] { return Property(SinkInputs(), "application.name").isEmpty(); }))
        << "the stream stays after the page is left";
    EXPECT_TRUE(on->boxes.shown().empty());
    // There was an output all along: nothing may say there was none.
    EXPECT_FALSE(errors.text().contains("no audio output")) << errors.text().toStdString();
}

} // namespace
