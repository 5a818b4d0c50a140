// SPDX-License-Identifier: GPL-2.0-or-later
#include "single_instance.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QMetaObject>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

// A stable name for a path, the same in every build of the program.
std::uint64_t Fnv1a(const std::string& text) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const unsigned char c : text) {
        hash = (hash ^ c) * 1099511628211ull;
    }
    return hash;
}

constexpr std::size_t kMaxSocketPath = sizeof(sockaddr_un::sun_path) - 1;
constexpr int kListenQueue = 16;
constexpr char kAnswerPrefix[] = "ok ";

bool FillAddress(const std::string& path, sockaddr_un& address) {
    if (path.size() > kMaxSocketPath) {
        return false;
    }
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

bool WriteAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// The files of a request once all of it has arrived: a line with their number, then each ending with a NUL.
std::optional<QStringList> CompleteRequest(const QByteArray& received) {
    const qsizetype headerEnd = received.indexOf('\n');
    if (headerEnd < 0) {
        return std::nullopt;
    }
    bool isNumber = false;
    const int count = received.left(headerEnd).toInt(&isNumber);
    if (!isNumber || count < 0) {
        return QStringList();
    }
    QStringList files;
    qsizetype start = headerEnd + 1;
    while (files.size() < count) {
        const qsizetype end = received.indexOf('\0', start);
        if (end < 0) {
            return std::nullopt;
        }
        files << QString::fromLocal8Bit(received.mid(start, end - start));
        start = end + 1;
    }
    return files;
}

} // namespace

InstanceAddress InstanceAddressFor(const std::filesystem::path& settingsFile) {
    std::error_code ignored;
    std::filesystem::path absolute = std::filesystem::weakly_canonical(settingsFile, ignored);
    if (absolute.empty()) {
        absolute = std::filesystem::absolute(settingsFile, ignored);
    }
    InstanceAddress address;
    address.lockFile = absolute;
    address.lockFile += ".lock";
    char name[64];
    std::snprintf(name, sizeof name, "corvane-%u-%016llx.socket", static_cast<unsigned>(::getuid()),
                  static_cast<unsigned long long>(Fnv1a(absolute.string())));
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::string folder = runtime && *runtime == '/' ? runtime : "/tmp";
    if (folder.size() + 1 + std::strlen(name) > kMaxSocketPath) {
        folder = "/tmp";
    }
    address.socketPath = folder + "/" + name;
    return address;
}

namespace {

constexpr const char* kListeningHolder = "listening";
constexpr const char* kChangingHolder = "changing";

// "PID listening" or "PID changing": later programs read it to say who keeps them off the file.
void WriteHolder(int fd, bool listens) {
    char line[64];
    const int length = std::snprintf(line, sizeof line, "%ld %s\n", static_cast<long>(::getpid()),
                                     listens ? kListeningHolder : kChangingHolder);
    // The record only improves a message; a lock file that cannot take it still locks.
    if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, line, static_cast<std::size_t>(length), 0) != length) {
        return;
    }
}

} // namespace

std::optional<InstanceHolder> ReadInstanceHolder(const InstanceAddress& address) {
    std::FILE* file = std::fopen(address.lockFile.c_str(), "re");
    if (!file) {
        return std::nullopt;
    }
    long pid = 0;
    char kind[16] = {};
    const int read = std::fscanf(file, "%ld %15s", &pid, kind);
    std::fclose(file);
    if (read != 2 || pid <= 0) {
        return std::nullopt;
    }
    if (std::strcmp(kind, kListeningHolder) == 0) {
        return InstanceHolder{pid, true};
    }
    if (std::strcmp(kind, kChangingHolder) == 0) {
        return InstanceHolder{pid, false};
    }
    return std::nullopt;
}

InstanceLock::InstanceLock(const InstanceAddress& address, Listen listen) {
    std::error_code ignored;
    std::filesystem::create_directories(address.lockFile.parent_path(), ignored);
    const int fd = ::open(address.lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        // Nowhere to hold a lock means nowhere to save settings either; nothing is protected by refusing.
        std::fprintf(stderr, "corvane: cannot create %s: %s\n", address.lockFile.c_str(),
                     std::strerror(errno));
        first_ = true;
        return;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return;
    }
    lockFd_ = fd;
    first_ = true;
    WriteHolder(fd, listen == Listen::Yes);
    if (listen == Listen::No) {
        return;
    }
    // Only the lock holder gets here, so a socket file left by a program that died is stale.
    sockaddr_un socketAddress{};
    if (!FillAddress(address.socketPath, socketAddress)) {
        return;
    }
    ::unlink(address.socketPath.c_str());
    const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener < 0) {
        return;
    }
    if (::bind(listener, reinterpret_cast<const sockaddr*>(&socketAddress), sizeof socketAddress) != 0 ||
        ::listen(listener, kListenQueue) != 0) {
        ::close(listener);
        return;
    }
    listenFd_ = listener;
}

InstanceLock::~InstanceLock() {
    if (listenFd_ >= 0) {
        ::close(listenFd_);
    }
    if (lockFd_ >= 0) {
        ::close(lockFd_);
    }
}

std::optional<int> HandOverFiles(const std::string& socketPath, const std::vector<std::string>& files,
                                 int timeoutMs) {
    sockaddr_un address{};
    if (!FillAddress(socketPath, address)) {
        return std::nullopt;
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return std::nullopt;
    }
    // The number of paths on a line, then each path ending with a NUL, the one byte a path cannot hold.
    std::string request = std::to_string(files.size()) + "\n";
    for (const std::string& file : files) {
        request += file;
        request += '\0';
    }
    std::string answer;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
        WriteAll(fd, request)) {
        pollfd readable{fd, POLLIN, 0};
        char buffer[64];
        while (::poll(&readable, 1, timeoutMs) > 0) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                break;
            }
            answer.append(buffer, static_cast<std::size_t>(n));
        }
    }
    ::close(fd);
    if (answer.rfind(kAnswerPrefix, 0) != 0) {
        return std::nullopt;
    }
    return std::atoi(answer.c_str() + std::strlen(kAnswerPrefix));
}

InstanceServer::InstanceServer(int listener, FilesHandler handler, QObject* parent)
    : QObject(parent), server_(new QLocalServer(this)), handler_(std::move(handler)) {
    if (listener >= 0 && !server_->listen(listener)) {
        ::close(listener);
    }
    connect(server_, &QLocalServer::newConnection, this, &InstanceServer::acceptConnections);
}

bool InstanceServer::isListening() const {
    return server_->isListening();
}

void InstanceServer::acceptConnections() {
    while (QLocalSocket* client = server_->nextPendingConnection()) {
        connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        auto received = std::make_shared<QByteArray>();
        const auto readRequest = [this, client, received] {
            received->append(client->readAll());
            const auto files = CompleteRequest(*received);
            if (!files) {
                return;
            }
            received->clear();
            client->write(kAnswerPrefix + QByteArray::number(files->size()) + '\n');
            client->disconnectFromServer();
            // Opening files may show message boxes; the other program has its answer before any of that.
            QMetaObject::invokeMethod(
                this, [this, paths = *files] { handler_(paths); }, Qt::QueuedConnection);
        };
        connect(client, &QLocalSocket::readyRead, this, readRequest);
        // Data already buffered with the connection would not be announced again.
        if (client->bytesAvailable() > 0) {
            readRequest();
        }
    }
}
