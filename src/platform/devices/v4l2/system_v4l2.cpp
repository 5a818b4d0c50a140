// SPDX-License-Identifier: GPL-2.0-or-later
#include "v4l2_system.h"

#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <climits>

namespace {

// "video12" sorts after "video2": by the kind, then by the number.
bool NodeBefore(const std::string& a, const std::string& b) {
    auto split = [](const std::string& name) {
        const auto digits = name.find_first_of("0123456789");
        const std::string kind = name.substr(0, digits);
        const int number = digits == std::string::npos ? -1 : std::atoi(name.c_str() + digits);
        return std::make_pair(kind == "video" ? 0 : 1, number);
    };
    return split(a) < split(b);
}

class LibcV4l2 final : public V4l2System {
public:
    int open(const std::string& path) override {
        // Non-blocking, so a wedged driver cannot hang the GUI thread in a read; close-on-exec for children.
        const int fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
        return fd < 0 ? -errno : fd;
    }

    int ioctl(int fd, unsigned long request, void* argument) override {
        int result = 0;
        do {
            result = ::ioctl(fd, request, argument);
        } while (result < 0 && errno == EINTR);
        return result < 0 ? -errno : 0;
    }

    void close(int fd) override { ::close(fd); }

    std::vector<std::string> deviceNodes() override {
        std::vector<std::string> names;
        for (const std::string& name : listFolder("/dev")) {
            const bool video = name.rfind("video", 0) == 0 && name.size() > 5;
            const bool radio = name.rfind("radio", 0) == 0 && name.size() > 5;
            const bool numbered = std::all_of(name.begin() + 5, name.end(),
                                              [](unsigned char c) { return std::isdigit(c) != 0; });
            if ((video || radio) && numbered) {
                names.push_back(name);
            }
        }
        std::sort(names.begin(), names.end(), NodeBefore);
        std::vector<std::string> nodes;
        for (const std::string& name : names) {
            nodes.push_back("/dev/" + name);
        }
        return nodes;
    }

    std::vector<std::string> listFolder(const std::string& path) override {
        std::vector<std::string> names;
        DIR* folder = ::opendir(path.c_str());
        if (!folder) {
            return names;
        }
        while (const dirent* entry = ::readdir(folder)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") {
                names.push_back(name);
            }
        }
        ::closedir(folder);
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string resolve(const std::string& path) override {
        char resolved[PATH_MAX];
        return ::realpath(path.c_str(), resolved) ? std::string(resolved) : std::string();
    }

    GstElement* makePictureSource(const std::string& node) override {
        GstElement* source = gst_element_factory_make("v4l2src", nullptr);
        if (source) {
            g_object_set(source, "device", node.c_str(), nullptr);
        }
        return source;
    }
};

} // namespace

std::shared_ptr<V4l2System> SystemV4l2() {
    static const std::shared_ptr<V4l2System> system = std::make_shared<LibcV4l2>();
    return system;
}
