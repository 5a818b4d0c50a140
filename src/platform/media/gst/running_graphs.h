// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The engine's side of the running object table: graph dumps refreshed while graphs run.

// Writes the Graphviz dump of every registered graph again (only with CORVANE_GRAPH_DUMP set).
void DumpRunningGraphs();
