// SPDX-License-Identifier: GPL-2.0-or-later
// corvane-ctl scan end to end on the virtual TV card: what it prints, the list it saves and that the program
// then loads, Ctrl+C, and the refusal while a Corvane has the same settings open.
#include "app/settings_store.h"
#include "app/single_instance.h"
#include "channel_rows.h"
#include "channels/channel_list_editor.h"
#include "ctl_process.h"
#include "ctl_settings_guard.h"
#include "platform/win/clock.h"
#include "recording_channel_view.h"

#include <QStringList>

#include <csignal>
#include <vector>

namespace {

ChannelEntry Entry(bool tv, std::int32_t freq, const char* name, bool enabled) {
    ChannelEntry entry = tv ? ChannelEntry::MakeTV(freq, 1) : ChannelEntry::MakeRadio(freq);
    entry.name = QString::fromUtf8(name);
    entry.enabled = enabled;
    return entry;
}

class CtlScan : public CtlProcessTest {
protected:
    // Both lists as the program keeps them, saved and loaded as it does.
    struct Lists {
        Lists() : tv(view, nullptr, clock, QLocale::c()), radio(view, nullptr, clock, QLocale::c()) {
            targets.tvChannels = &tv;
            targets.radioStations = &radio;
        }
        EventLog log;
        RecordingChannelView view{log};
        VirtualClock clock;
        TVChannelList tv;
        RadioStationList radio;
        SettingsTargets targets;
    };

    void store(const std::vector<ChannelEntry>& tv, const std::vector<ChannelEntry>& radio, int tvSelected) {
        Lists lists;
        lists.tv.list().replaceAll(tv);
        lists.tv.list().select(tvSelected);
        lists.radio.list().replaceAll(radio);
        ASSERT_TRUE(SaveSettings(lists.targets, registry(), &lists.clock));
    }
    std::unique_ptr<Lists> load() {
        auto lists = std::make_unique<Lists>();
        EXPECT_TRUE(LoadSettings(lists->targets, registry(), &lists->clock));
        return lists;
    }
};

TEST_F(CtlScan, TvScanUpdatesTheStoredListAsTheDialogDoesAndTheProgramLoadsIt) {
    store({Entry(true, 176500000, "Two", false), Entry(true, 300000000, "Lost", true)},
          {Entry(false, 99000000, "Untouched", true)}, 1);

    const CtlRun result = run({"scan", "tv", "--settle", "0"});

    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out.toStdString(), "find 49750000 new signal found channel 49.75 MHz\n"
                                        "find 175250000 updated signal Two\n"
                                        "find 183250000 new signal found channel 183.25 MHz\n"
                                        "find 503250000 new no-signal something found 503.25 MHz\n"
                                        "find 527250000 new signal found channel 527.25 MHz\n"
                                        "find 743250000 new signal found channel 743.25 MHz\n"
                                        "updated 1, new 5, incorrect 1\n");
    const auto lists = load();
    EXPECT_EQ(Rows(lists->tv.list()), (std::vector<Row>{
                                          {175250000, true, "Two"},
                                          {300000000, false, "Lost"},
                                          {49750000, true, "found channel 49.75 MHz"},
                                          {183250000, true, "found channel 183.25 MHz"},
                                          {503250000, false, "something found 503.25 MHz"},
                                          {527250000, true, "found channel 527.25 MHz"},
                                          {743250000, true, "found channel 743.25 MHz"},
                                      }));
    // A snapped entry keeps its own settings; the selection and the other list are as they were.
    EXPECT_EQ(lists->tv.list().at(0).palSecam, 1);
    EXPECT_EQ(lists->tv.list().selectedIndex(), 1);
    EXPECT_EQ(Rows(lists->radio.list()), (std::vector<Row>{{99000000, true, "Untouched"}}));

    // channels prints what scan saved.
    const CtlRun listed = run({"channels", "tv"});
    EXPECT_TRUE(listed.out.startsWith("0\t1\t175250000\tTwo\n1\t0\t300000000\tLost\n2\t1\t49750000\t"))
        << listed.out.toStdString();
}

TEST_F(CtlScan, RadioScanGoesThroughTheRadioTuner) {
    // One station at 100.1 MHz: a stored one 150 kHz off is snapped, one 250 kHz off stays unconfirmed.
    useCard("{}");
    store({}, {Entry(false, 100350000, "Far", true), Entry(false, 100250000, "Near", false)}, -1);

    const CtlRun result = run({"scan", "radio", "--settle", "0"});

    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out.toStdString(),
              "find 100100000 updated signal Near\nupdated 1, new 0, incorrect 1\n");
    EXPECT_EQ(Rows(load()->radio.list()), (std::vector<Row>{
                                              {100350000, false, "Far"},
                                              {100100000, true, "Near"},
                                          }));
}

TEST_F(CtlScan, CtrlCStopsAfterTheCurrentStepAndKeepsWhatWasFound) {
    store({Entry(true, 800000000, "Top", true)}, {}, 0);
    QProcess process;
    // 15,201 steps of 5 ms: over a minute, far longer than the first find takes.
    start(process, {"scan", "tv", "--settle", "5"});
    QByteArray out;
    while (!out.contains("\n") && process.state() == QProcess::Running) {
        process.waitForReadyRead(10000);
        out += process.readAllStandardOutput();
    }
    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(20000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    out += process.readAllStandardOutput();

    const QStringList lines = QString::fromUtf8(out).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 2);
    const auto finds = static_cast<int>(lines.size()) - 1;
    EXPECT_LT(finds, 6) << "the sweep ended before the band did";
    EXPECT_EQ(lines.front(), "find 49750000 new signal found channel 49.75 MHz");
    EXPECT_EQ(lines.back(), QStringLiteral("updated 0, new %1, incorrect 1").arg(finds));
    // The entry the sweep did not reach keeps its check mark; what it found is stored after it.
    const auto lists = load();
    ASSERT_EQ(lists->tv.list().count(), 1 + finds);
    EXPECT_EQ(Rows(lists->tv.list()).front(), (Row{800000000, true, "Top"}));
    EXPECT_EQ(lists->tv.list().at(1).freq, 49750000);
}

TEST_F(CtlScan, RefusedWhileCorvaneHasTheSettingsOpen) {
    store({Entry(true, 176500000, "Two", true)}, {}, 0);
    {
        // What a running program holds on its settings file.
        InstanceLock program(InstanceAddressFor(registry()));
        ASSERT_TRUE(program.isFirst());
        for (const char* band : {"tv", "radio"}) {
            const CtlRun refused = run({"scan", band, "--settle", "0"});
            EXPECT_EQ(refused.exitCode, 1) << band;
            EXPECT_EQ(refused.err.toStdString(), kProgramRunningError) << band;
            EXPECT_TRUE(refused.out.isEmpty()) << refused.out.toStdString();
        }
        EXPECT_EQ(Rows(load()->tv.list()), (std::vector<Row>{{176500000, true, "Two"}}));
        // Reading the lists changes nothing, so it is not refused.
        EXPECT_EQ(run({"channels", "tv"}).exitCode, 0);
    }
    EXPECT_EQ(run({"scan", "tv", "--settle", "0"}).exitCode, 0) << "the program has closed";
}

TEST_F(CtlScan, WhileAScanHoldsTheSettingsNoProgramTakesThem) {
    const std::unique_ptr<InstanceLock> scan = HoldSettingsForChange(registry(), stderr);
    ASSERT_TRUE(scan);
    EXPECT_FALSE(InstanceLock(InstanceAddressFor(registry())).isFirst());
    // It does not listen: a program started meanwhile cannot hand it files, and says it cannot start.
    EXPECT_FALSE(HandOverFiles(InstanceAddressFor(registry()).socketPath, {}, 100));
}

} // namespace
