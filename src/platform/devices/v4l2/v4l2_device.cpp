// SPDX-License-Identifier: GPL-2.0-or-later
#include "v4l2_device.h"

#include <cerrno>

std::shared_ptr<V4l2Device> V4l2Device::Open(std::shared_ptr<V4l2System> system, const std::string& node,
                                             HRESULT* result) {
    const int fd = system->open(node);
    if (fd < 0) {
        if (result) {
            *result = ResultOf(fd);
        }
        return nullptr;
    }
    std::shared_ptr<V4l2Device> device(new V4l2Device(std::move(system), node, fd));
    const int answer = device->ioctl(VIDIOC_QUERYCAP, &device->capability_);
    if (answer < 0) {
        if (result) {
            *result = ResultOf(answer);
        }
        return nullptr;
    }
    if (result) {
        *result = S_OK;
    }
    return device;
}

V4l2Device::V4l2Device(std::shared_ptr<V4l2System> system, std::string node, int fd)
    : system_(std::move(system)), node_(std::move(node)), fd_(fd) {}

V4l2Device::~V4l2Device() {
    system_->close(fd_);
}

int V4l2Device::ioctl(unsigned long request, void* argument) {
    if (lost_) {
        return -ENODEV;
    }
    std::lock_guard lock(mutex_);
    const int answer = system_->ioctl(fd_, request, argument);
    if (answer == -ENODEV) {
        lost_ = true;
    }
    return answer;
}

std::uint32_t V4l2Device::nodeCaps() const {
    return (capability_.capabilities & V4L2_CAP_DEVICE_CAPS) ? capability_.device_caps
                                                             : capability_.capabilities;
}

std::string V4l2Device::cardName() const {
    return TextOf(capability_.card);
}

HRESULT ResultOf(int answer) {
    if (answer >= 0) {
        return S_OK;
    }
    if (answer == -EINVAL || answer == -ERANGE) {
        return E_INVALIDARG;
    }
    return HResultFromErrno(-answer);
}
