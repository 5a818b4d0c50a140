// SPDX-License-Identifier: GPL-2.0-or-later
#include "ctl_channels.h"

#include "app/settings_store.h"
#include "channels/channel_list_editor.h"
#include "channels/headless_channel_list_view.h"
#include "platform/win/clock.h"

std::optional<CtlChannelList> ParseCtlChannels(const std::vector<std::string>& args, std::string& error) {
    if (args.size() == 1 && args[0] == "tv") {
        return CtlChannelList::TV;
    }
    if (args.size() == 1 && args[0] == "radio") {
        return CtlChannelList::Radio;
    }
    error = "channels needs tv or radio";
    return std::nullopt;
}

std::string OneLineName(const QString& name) {
    QString line = name;
    for (const QChar breaking : {QChar(u'\t'), QChar(u'\n'), QChar(u'\r')}) {
        line.replace(breaking, QChar(u' '));
    }
    return line.toStdString();
}

int ListChannels(CtlChannelList which, std::FILE* out, const std::filesystem::path& registry) {
    // The list is only read: there is nothing to show it on.
    HeadlessChannelListView view;
    RealClock clock;
    // The program's own editor loads the list, so entries read exactly as the program reads them.
    ChannelListEditor editor(which == CtlChannelList::TV ? kTVChannelList : kRadioStationList, view, nullptr,
                             clock);
    SettingsTargets targets;
    (which == CtlChannelList::TV ? targets.tvChannels : targets.radioStations) = &editor;
    LoadSettings(targets, registry, &clock);
    const ChannelList& list = editor.list();
    for (int index = 0; index < list.count(); ++index) {
        const ChannelEntry& entry = list.at(index);
        std::fprintf(out, "%d\t%d\t%d\t%s\n", index, entry.enabled ? 1 : 0, static_cast<int>(entry.freq),
                     OneLineName(entry.name).c_str());
    }
    std::fflush(out);
    return 0;
}
