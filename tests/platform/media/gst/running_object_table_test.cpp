// SPDX-License-Identifier: GPL-2.0-or-later
// The running object table stand-in: graphs announced under their names, their Graphviz dumps, and a table
// that cannot be reached.

#include "graph_test_support.h"
#include "platform/devices/device_enum.h"
#include "platform/media/capture_interfaces.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>

namespace {

std::wstring ExpectedName(IUnknown* graph) {
    wchar_t name[64];
    std::swprintf(name, 64, L"!FilterGraph %08x pid %08x",
                  static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(graph)),
                  static_cast<unsigned>(getpid()));
    return name;
}

bool Listed(const std::wstring& name) {
    const auto names = RunningObjectNames();
    return std::find(names.begin(), names.end(), name) != names.end();
}

} // namespace

TEST(RunningObjectTable, AGraphIsListedUnderItsNameUntilRevoked) {
    RefPtr<IGraphBuilder> graph = MakeGraph();
    DWORD cookie = 0;
    ASSERT_EQ(RegisterGraph(graph.get(), &cookie), S_OK);
    EXPECT_NE(cookie, 0u);
    const std::wstring name = ExpectedName(graph.get());
    EXPECT_TRUE(Listed(name));

    // The name binds back to the graph.
    RefPtr<IMoniker> moniker;
    ASSERT_EQ(CreateItemMoniker(L"!", name.substr(1).c_str(), moniker.put()), S_OK);
    RefPtr<IGraphBuilder> found;
    ASSERT_EQ(
        moniker->BindToObject(nullptr, nullptr, IGraphBuilder::IID, reinterpret_cast<void**>(found.put())),
        S_OK);
    EXPECT_EQ(found.get(), graph.get());

    EXPECT_EQ(RevokeGraph(cookie), S_OK);
    EXPECT_FALSE(Listed(name));
    EXPECT_EQ(RevokeGraph(cookie), E_INVALIDARG);
}

TEST(RunningObjectTable, WithGraphDumpsEachRegisteredGraphIsWrittenForGraphviz) {
    QTemporaryDir runtime;
    setenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit().constData(), 1);
    setenv("CORVANE_GRAPH_DUMP", "1", 1);
    RefPtr<IGraphBuilder> graph = MakeGraph();
    DWORD cookie = 0;
    ASSERT_EQ(RegisterGraph(graph.get(), &cookie), S_OK);
    unsetenv("CORVANE_GRAPH_DUMP");
    const QStringList dumps = QDir(runtime.filePath("corvane")).entryList({"FilterGraph_*_pid_*.dot"});
    ASSERT_EQ(dumps.size(), 1);
    QFile dump(runtime.filePath("corvane/" + dumps.front()));
    ASSERT_TRUE(dump.open(QIODevice::ReadOnly));
    EXPECT_TRUE(dump.readAll().contains("digraph"));
    RevokeGraph(cookie);
    unsetenv("XDG_RUNTIME_DIR");

    // Without the switch nothing is written.
    QTemporaryDir quiet;
    setenv("XDG_RUNTIME_DIR", quiet.path().toLocal8Bit().constData(), 1);
    ASSERT_EQ(RegisterGraph(graph.get(), &cookie), S_OK);
    EXPECT_FALSE(QDir(quiet.filePath("corvane")).exists());
    RevokeGraph(cookie);
    unsetenv("XDG_RUNTIME_DIR");
}

TEST(RunningObjectTable, AnUnreachableTableRefusesRegistration) {
    RefPtr<IGraphBuilder> graph = MakeGraph();
    SetRunningObjectTableAvailable(false);
    DWORD cookie = 7;
    EXPECT_EQ(RegisterGraph(graph.get(), &cookie), E_FAIL);
    EXPECT_EQ(cookie, 0u);
    RefPtr<IRunningObjectTable> table;
    EXPECT_EQ(GetRunningObjectTable(0, table.put()), E_FAIL);
    SetRunningObjectTableAvailable(true);
    EXPECT_EQ(GetRunningObjectTable(0, table.put()), S_OK);
    EXPECT_EQ(table->Register(4, graph.get(), nullptr, &cookie), E_INVALIDARG);
}
