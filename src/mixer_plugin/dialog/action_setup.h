// SPDX-License-Identifier: LGPL-2.1-or-later
#pragma once

#include "../plugin_session.h"

namespace faderix {

// Shows the setup dialog for `name` modally, then refreshes the item paths and saves the preset.
// `formSlot` holds the dialog while it is open. Creates a QApplication when the host has none.
// False when no dialog was shown or the edited preset could not be saved (a plug-in folder the user may
// not write to, as in a system-wide install); standard error says which.
bool actionSetup(PluginSession& session, const char* name, void** formSlot);

// Destroys what actionSetup created for a host without Qt; called by Close.
void closeSetupToolkit();

} // namespace faderix
