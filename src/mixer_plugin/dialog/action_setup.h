#pragma once

#include "../plugin_session.h"

namespace faderix {

// Shows the setup dialog for `name` modally, then refreshes the item paths and saves the preset.
// `formSlot` holds the dialog while it is open. Creates a QApplication when the host has none.
void actionSetup(PluginSession& session, const char* name, void** formSlot);

// Destroys what actionSetup created for a host without Qt; called by Close.
void closeSetupToolkit();

} // namespace faderix
