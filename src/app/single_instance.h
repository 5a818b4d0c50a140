// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// One program per settings file. The first program started on a file holds an advisory lock beside it for
// its whole life and listens on a local socket named after it. A later one, which would otherwise save over
// the first one's settings at its close, hands its file arguments over that socket and ends; the running
// one raises its window and opens them as the playlist. All of it works before any window system is
// reached, so a second start without a display still gets a clear answer.

#include <QObject>
#include <QStringList>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QLocalServer;

// Where the lock and the socket of one settings file are.
struct InstanceAddress {
    std::filesystem::path lockFile; // "<settings file>.lock"
    std::string socketPath;         // in $XDG_RUNTIME_DIR (or /tmp), named after the settings file's path
};
InstanceAddress InstanceAddressFor(const std::filesystem::path& settingsFile);

// Taken before anything else of the program starts.
class InstanceLock final {
public:
    // A holder that does not listen (a command that changes the stored settings) keeps every program off
    // the file while it works, without answering them.
    enum class Listen { Yes, No };
    explicit InstanceLock(const InstanceAddress& address, Listen listen = Listen::Yes);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // This program holds the settings file; otherwise another one does.
    bool isFirst() const { return first_; }
    // The socket that already accepts the next programs' connections (-1 when none could be made); they
    // wait in its queue until an InstanceServer takes it over.
    int takeListener() { return std::exchange(listenFd_, -1); }

private:
    bool first_ = false;
    int lockFd_ = -1;
    int listenFd_ = -1;
};

// Who holds a settings file, as its lock file records: the process, and whether it is a program that
// listens for later ones or a command changing the stored settings (which answers nobody).
struct InstanceHolder {
    long pid = 0;
    bool listens = true;
};
// Nothing when the lock file is missing or says nothing readable (a holder from before the record).
std::optional<InstanceHolder> ReadInstanceHolder(const InstanceAddress& address);

// Hands the files (absolute paths) to the program running on the socket and waits up to timeoutMs for its
// answer: the number of files it took, or nothing when it could not be reached.
std::optional<int> HandOverFiles(const std::string& socketPath, const std::vector<std::string>& files,
                                 int timeoutMs);

// The running program's side: answers each later program, then passes its files on.
class InstanceServer final : public QObject {
public:
    using FilesHandler = std::function<void(const QStringList& files)>;
    // Takes over the listening socket; the handler runs from the event loop after the answer has gone out.
    InstanceServer(int listener, FilesHandler handler, QObject* parent = nullptr);

    bool isListening() const;

private:
    void acceptConnections();

    QLocalServer* server_;
    FilesHandler handler_;
};
