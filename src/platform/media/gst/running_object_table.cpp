// SPDX-License-Identifier: GPL-2.0-or-later
#include "filter_graph.h"
#include "platform/devices/device_enum.h"
#include "platform/media/capture_interfaces.h"
#include "running_graphs.h"

#include <QDir>
#include <QFile>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <unistd.h>

namespace {

class ItemMoniker final : public ComObject<IMoniker> {
public:
    explicit ItemMoniker(std::wstring name) : name_(std::move(name)) {}

    const std::wstring& name() const { return name_; }

    // Binding an item name gives the object registered under it.
    HRESULT BindToObject(void*, IMoniker*, const Guid& iid, void** object) override;
    HRESULT BindToStorage(void*, IMoniker*, const Guid&, void** object) override {
        if (object) {
            *object = nullptr;
        }
        return E_NOINTERFACE;
    }
    HRESULT IsEqual(IMoniker* other) override {
        auto* item = dynamic_cast<ItemMoniker*>(other);
        return item && item->name_ == name_ ? S_OK : S_FALSE;
    }
    HRESULT GetDisplayName(void*, IMoniker*, std::string* name) override {
        if (!name) {
            return E_POINTER;
        }
        *name = QString::fromStdWString(name_).toStdString();
        return S_OK;
    }

private:
    std::wstring name_;
};

// The graph's picture as Graphviz, so a user can see what runs: "<name>.dot" under
// $XDG_RUNTIME_DIR/corvane/, written only when CORVANE_GRAPH_DUMP is set.
void DumpGraph(IUnknown* object, const std::wstring& name) {
    if (!std::getenv("CORVANE_GRAPH_DUMP")) {
        return;
    }
    RefPtr<IGraphBuilder> builder = query<IGraphBuilder>(object);
    auto* graph = dynamic_cast<FilterGraph*>(builder.get());
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!graph || !runtime || !*runtime) {
        return;
    }
    const QString folder = QString::fromLocal8Bit(runtime) + QStringLiteral("/corvane");
    QDir().mkpath(folder);
    QString fileName = QString::fromStdWString(name);
    fileName.remove(QLatin1Char('!'));
    fileName.replace(QLatin1Char(' '), QLatin1Char('_'));
    gchar* dot = gst_debug_bin_to_dot_data(GST_BIN(graph->pipeline()), GST_DEBUG_GRAPH_SHOW_ALL);
    QFile file(folder + QLatin1Char('/') + fileName + QStringLiteral(".dot"));
    if (dot && file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write(dot);
    }
    g_free(dot);
}

class RunningObjectTable final : public ComObject<IRunningObjectTable> {
public:
    HRESULT Register(DWORD flags, IUnknown* object, IMoniker* name, DWORD* cookie) override {
        auto* item = dynamic_cast<ItemMoniker*>(name);
        if (!object || !name || !cookie) {
            return E_INVALIDARG;
        }
        if ((flags & ~ROTFLAGS_REGISTRATIONKEEPSALIVE) != 0 || !item) {
            return E_INVALIDARG;
        }
        std::lock_guard lock(mutex_);
        *cookie = ++lastCookie_;
        entries_.push_back({*cookie, item->name(), RefPtr<IUnknown>(object)});
        DumpGraph(object, item->name());
        return S_OK;
    }

    HRESULT Revoke(DWORD cookie) override {
        Entry revoked;
        {
            std::lock_guard lock(mutex_);
            auto found = std::find_if(entries_.begin(), entries_.end(),
                                      [cookie](const Entry& entry) { return entry.cookie == cookie; });
            if (found == entries_.end()) {
                return E_INVALIDARG;
            }
            revoked = std::move(*found);
            entries_.erase(found);
        }
        // The graph's reference goes here, outside the lock, where its caller holds its own.
        return S_OK;
    }

    HRESULT IsRunning(IMoniker* name) override {
        RefPtr<IUnknown> object;
        return GetObject(name, object.put()) == S_OK ? S_OK : S_FALSE;
    }

    HRESULT GetObject(IMoniker* name, IUnknown** object) override {
        auto* item = dynamic_cast<ItemMoniker*>(name);
        if (!object) {
            return E_POINTER;
        }
        *object = nullptr;
        std::lock_guard lock(mutex_);
        for (const Entry& entry : entries_) {
            if (item && entry.name == item->name()) {
                return CopyOut<IUnknown>(entry.object.get(), object);
            }
        }
        return MakeHResult(0x800401E3u); // MK_E_UNAVAILABLE
    }

    std::vector<std::wstring> names() {
        std::lock_guard lock(mutex_);
        std::vector<std::wstring> result;
        for (const Entry& entry : entries_) {
            result.push_back(entry.name);
        }
        return result;
    }

    // Writes the dump of every registered graph again, so the file shows the graph as it runs. The table's
    // lock is held meanwhile: taking references here could leave a streaming thread with a graph's last one.
    void dumpAll() {
        std::lock_guard lock(mutex_);
        for (const Entry& entry : entries_) {
            DumpGraph(entry.object.get(), entry.name);
        }
    }

private:
    struct Entry {
        DWORD cookie = 0;
        std::wstring name;
        RefPtr<IUnknown> object;
    };
    std::mutex mutex_;
    std::vector<Entry> entries_;
    DWORD lastCookie_ = 0;
};

// The table lives as long as the process, like the platform's; it holds references to registered graphs
// until they are revoked.
RunningObjectTable& Table() {
    static auto* table = MakeCom<RunningObjectTable>().detach();
    return *table;
}

bool& Available() {
    static bool available = true;
    return available;
}

HRESULT ItemMoniker::BindToObject(void*, IMoniker*, const Guid& iid, void** object) {
    if (!object) {
        return E_POINTER;
    }
    *object = nullptr;
    RefPtr<IUnknown> found;
    const HRESULT hr = Table().GetObject(this, found.put());
    return FAILED(hr) ? hr : found->QueryInterface(iid, object);
}

} // namespace

HRESULT GetRunningObjectTable(DWORD, IRunningObjectTable** table) {
    if (!table) {
        return E_POINTER;
    }
    *table = nullptr;
    if (!Available()) {
        return E_FAIL;
    }
    return CopyOut<IRunningObjectTable>(&Table(), table);
}

HRESULT CreateItemMoniker(LPCOLESTR delimiter, LPCOLESTR item, IMoniker** moniker) {
    if (!item || !moniker) {
        return E_POINTER;
    }
    std::wstring name = delimiter ? delimiter : L"";
    name += item;
    *moniker = MakeCom<ItemMoniker>(std::move(name)).detach();
    return S_OK;
}

void SetRunningObjectTableAvailable(bool available) {
    Available() = available;
}

std::vector<std::wstring> RunningObjectNames() {
    return Table().names();
}

void DumpRunningGraphs() {
    Table().dumpAll();
}

HRESULT RegisterGraph(IUnknown* graph, DWORD* cookie) {
    if (!cookie) {
        return E_POINTER;
    }
    *cookie = 0;
    RefPtr<IRunningObjectTable> table;
    if (FAILED(GetRunningObjectTable(0, table.put()))) {
        return E_FAIL;
    }
    wchar_t name[64];
    std::swprintf(name, 64, L"FilterGraph %08x pid %08x",
                  static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(graph)),
                  static_cast<unsigned>(getpid()));
    RefPtr<IMoniker> moniker;
    const HRESULT hr = CreateItemMoniker(L"!", name, moniker.put());
    if (FAILED(hr)) {
        return hr;
    }
    return table->Register(0, graph, moniker.get(), cookie);
}

HRESULT RevokeGraph(DWORD cookie) {
    RefPtr<IRunningObjectTable> table;
    if (FAILED(GetRunningObjectTable(0, table.put()))) {
        return E_FAIL;
    }
    return table->Revoke(cookie);
}
