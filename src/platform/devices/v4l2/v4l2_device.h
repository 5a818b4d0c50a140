// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// One open device node, shared by every object made for it (capture filter, tuner, TV audio, crossbar) as a
// driver's objects share one card. All its ioctls go through the seam; once the node answers ENODEV the
// device is gone for good, and every later call fails at once with the same answer.

#include "platform/com/hresult.h"
#include "v4l2_system.h"

#include <linux/videodev2.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

class V4l2Device {
public:
    // The node opened; null with the reason in result when it cannot be.
    static std::shared_ptr<V4l2Device> Open(std::shared_ptr<V4l2System> system, const std::string& node,
                                            HRESULT* result);
    ~V4l2Device();
    V4l2Device(const V4l2Device&) = delete;
    V4l2Device& operator=(const V4l2Device&) = delete;

    // 0 or −errno. Safe from any thread (a streaming thread asks whether the device is still there).
    int ioctl(unsigned long request, void* argument);
    bool lost() const { return lost_; }

    const std::string& node() const { return node_; }
    V4l2System& system() const { return *system_; }
    const std::shared_ptr<V4l2System>& systemPtr() const { return system_; }
    // What VIDIOC_QUERYCAP said when the node was opened.
    const v4l2_capability& capability() const { return capability_; }
    // The capabilities of this node (device_caps where the driver gives them).
    std::uint32_t nodeCaps() const;
    std::string cardName() const;

private:
    V4l2Device(std::shared_ptr<V4l2System> system, std::string node, int fd);

    std::shared_ptr<V4l2System> system_;
    std::string node_;
    int fd_;
    v4l2_capability capability_{};
    std::mutex mutex_;
    std::atomic<bool> lost_{false};
};

// How many entries an enumeration (inputs, standards, formats, sizes, controls) reads at most: a driver that
// never says EINVAL cannot keep the GUI thread for ever.
constexpr std::uint32_t kMaxEnumerated = 256;

// The result code of an ioctl's answer: S_OK, E_INVALIDARG for EINVAL (out of range, not supported), or the
// errno itself (ENODEV: the device went away; EBUSY: another program holds it).
HRESULT ResultOf(int answer);

// A fixed-size text field of a V4L2 structure (NUL-terminated unless full).
template <std::size_t N> std::string TextOf(const __u8 (&field)[N]) {
    std::size_t length = 0;
    while (length < N && field[length] != 0) {
        ++length;
    }
    return std::string(reinterpret_cast<const char*>(field), length);
}
