// SPDX-License-Identifier: GPL-2.0-or-later
// LoadSettings and SaveSettings of a large TV channel list and station list, with the lists shown in real
// list controls as on the pages.

#include "app/settings_store.h"
#include "channels/channel_list_widgets.h"
#include "platform/win/clock.h"

#include <QApplication>
#include <QListWidget>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kChannels = 1000;
constexpr int kStations = 200;

struct Lists {
    explicit Lists() {
        tvList->setObjectName(QString::fromLatin1(kTVChannelList.controls.list));
        radioList->setObjectName(QString::fromLatin1(kRadioStationList.controls.list));
        tvWidgets.bind(tv);
        radioWidgets.bind(radio);
    }
    SettingsTargets targets() {
        SettingsTargets t;
        t.tvChannels = &tv;
        t.radioStations = &radio;
        t.exitInputPin = &exitInputPin;
        return t;
    }
    void fill() {
        std::vector<ChannelEntry> channels;
        for (int i = 0; i < kChannels; ++i) {
            ChannelEntry e = ChannelEntry::MakeTV(48250000 + i * 250000, 16);
            e.name = QStringLiteral("Channel number %1").arg(i);
            e.enabled = i % 3 != 0;
            channels.push_back(e);
        }
        tv.list().replaceAll(channels);
        tv.list().select(kChannels / 2);
        std::vector<ChannelEntry> stations;
        for (int i = 0; i < kStations; ++i) {
            ChannelEntry e = ChannelEntry::MakeRadio(88000000 + i * 100000);
            e.name = QStringLiteral("Station %1").arg(i);
            stations.push_back(e);
        }
        radio.list().replaceAll(stations);
    }

    VirtualClock clock;
    QWidget tvPage;
    QWidget radioPage;
    QListWidget* tvList = new QListWidget(&tvPage);
    QListWidget* radioList = new QListWidget(&radioPage);
    ChannelListWidgets tvWidgets{&tvPage, kTVChannelList, [] { return false; }};
    ChannelListWidgets radioWidgets{&radioPage, kRadioStationList, [] { return false; }};
    TVChannelList tv{tvWidgets, nullptr, clock};
    RadioStationList radio{radioWidgets, nullptr, clock};
    std::int32_t exitInputPin = -1;
};

std::filesystem::path DatabaseIn(const QTemporaryDir& dir) {
    return std::filesystem::path(dir.path().toStdString()) / "registry.sqlite";
}

void BM_SaveSettings(benchmark::State& state) {
    QTemporaryDir dir;
    Lists lists;
    lists.fill();
    for (auto _ : state) {
        SaveSettings(lists.targets(), DatabaseIn(dir));
    }
}
BENCHMARK(BM_SaveSettings)->Unit(benchmark::kMillisecond);

void BM_LoadSettings(benchmark::State& state) {
    QTemporaryDir dir;
    {
        Lists saved;
        saved.fill();
        SaveSettings(saved.targets(), DatabaseIn(dir));
    }
    Lists lists;
    for (auto _ : state) {
        LoadSettings(lists.targets(), DatabaseIn(dir));
    }
    if (lists.tv.list().count() != kChannels || lists.radio.list().count() != kStations) {
        state.SkipWithError("the lists did not load");
    }
}
BENCHMARK(BM_LoadSettings)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
