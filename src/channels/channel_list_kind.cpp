// SPDX-License-Identifier: GPL-2.0-or-later
#include "channel_list_kind.h"

#include "components/mixer_presets.h"

const ChannelListKind kTVChannelList = {
    .minFreq = 40000000,
    .maxFreq = 800000000,
    .freqStep = 100000,
    .newEntryName = "new channel",
    .mutePreset = kPresetTVMute,
    .unmutePreset = kPresetTVUnmute,
    .hasPicture = true,
    .controls =
        {
            .list = "TVChanCheckListBox",
            .nameEdit = "TVChanNameEdit",
            .freqEdit = "TVChanFreqEdit",
            .freqUpDown = "TVChanFreqUpDown",
            .tunningLabel = "TVTunningLabel",
            .nameShow = "TVChanNameShow",
            .upDown = "TVChanUpDown",
            .addButton = "TVAddChanButton",
            .delButton = "TVDelChanButton",
            .upButton = "TVChanUpButton",
            .downButton = "TVChanDownButton",
            .sortFreqButton = "TVChanSortFreqButton",
            .sortNameButton = "TVChanSortNameButton",
            .searchButton = "TVChanSearchButton",
            .standardPicker = "TVChanPalSecamComboBox",
        },
};

const ChannelListKind kRadioStationList = {
    .minFreq = 88000000,
    .maxFreq = 108000000,
    .freqStep = 50000,
    .newEntryName = "new station",
    .mutePreset = kPresetRadioMute,
    .unmutePreset = kPresetRadioUnmute,
    .hasPicture = false,
    .controls =
        {
            .list = "RadioCheckListBox",
            .nameEdit = "RadioNameEdit",
            .freqEdit = "RadioFreqEdit",
            .freqUpDown = "RadioFreqUpDown",
            .tunningLabel = "RadioTunningLabel",
            .nameShow = "RadioNameShow",
            .upDown = "RadioUpDown",
            .addButton = "RadioAddButton",
            .delButton = "RadioDelButton",
            .upButton = "RadioUpButton",
            .downButton = "RadioDownButton",
            .sortFreqButton = "RadioSortFreqButton",
            .sortNameButton = "RadioSordDescButton",
            .searchButton = "RadioSearchButton",
            .standardPicker = nullptr,
        },
};
