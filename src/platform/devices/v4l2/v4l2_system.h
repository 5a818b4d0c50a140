// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The one seam between the V4L2 provider and the machine: every open, ioctl and close of a device node, the
// device nodes there are, the sysfs lookups that tie a node to its sound card, and the element that streams
// the node's picture. The program uses the system's (SystemV4l2); tests hand in cards that answer as real
// cards do.

#include <gst/gst.h>

#include <memory>
#include <string>
#include <vector>

class V4l2System {
public:
    virtual ~V4l2System() = default;
    // A file descriptor, or −errno.
    virtual int open(const std::string& path) = 0;
    // 0, or −errno; a call interrupted by a signal is repeated.
    virtual int ioctl(int fd, unsigned long request, void* argument) = 0;
    virtual void close(int fd) = 0;

    // The capture and radio nodes present now ("/dev/video0", "/dev/radio0"), in a stable order: video nodes
    // before radio nodes, each by number.
    virtual std::vector<std::string> deviceNodes() = 0;
    // The names in a folder (sysfs), or none when it cannot be read.
    virtual std::vector<std::string> listFolder(const std::string& path) = 0;
    // The path with every symbolic link resolved, or empty when it does not exist.
    virtual std::string resolve(const std::string& path) = 0;

    // A new (floating) live source element that streams the node's picture; null when none can be made.
    virtual GstElement* makePictureSource(const std::string& node) = 0;
};

// The machine's own: libc, /dev, /sys and GStreamer's v4l2src.
std::shared_ptr<V4l2System> SystemV4l2();
