// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Cards that answer the V4L2 seam as real ones do, for the provider's tests:
// - a common PCI analog card: a capture node with a TV tuner (62.5 kHz units, afc always 0, signal 0 or
//   65535), Television, Composite1 and S-Video inputs that switch the sound with the picture, PAL, SECAM
//   and NTSC, picture controls, and a radio node whose tuner counts in 62.5 Hz and does report afc; its sound
//   card is the PCI card's audio function;
// - a USB FM radio: a radio node only (62.5 Hz units, no afc, a signal that rises and falls around a
//   station) whose sound card is an interface of the same USB device;
// - a webcam: a capture node with one camera input, no tuner, no standards, discrete frame sizes.
// What the tuners hear comes from a virtual card definition's carriers and stations.

#include "platform/devices/v4l2/v4l2_system.h"
#include "platform/devices/virtual/card_definition.h"

#include <glib-object.h>
#include <linux/videodev2.h>

#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

struct FakeNode {
    enum class Kind { PciVideo, PciRadio, UsbRadio, Webcam };
    Kind kind = Kind::PciVideo;
    std::string card;

    // Hardware state.
    std::uint32_t frequency = 0; // in the tuner's units
    std::uint32_t audmode = V4L2_TUNER_MODE_MONO;
    int input = 0;
    v4l2_std_id standard = V4L2_STD_PAL_BG;
    std::map<std::uint32_t, std::int32_t> controls;
    std::uint32_t width = 720;
    std::uint32_t height = 576;
    // A camera's second node, which carries metadata and no picture.
    bool metadata = false;
    // A camera that offers MJPEG only, no raw layout; its picture source then delivers JPEG.
    bool mjpegOnly = false;

    // Faults.
    bool unplugged = false;
    // Another program streams from the node: binding its capture filter is refused, and a picture source
    // made before it became busy fails to start with v4l2src's busy error.
    bool busy = false;
    // S_STD is refused with EBUSY: always, or only while a picture source of the node streams (PAUSED or
    // PLAYING), as drivers that refuse it while streaming do.
    bool standardBusy = false;
    bool standardBusyWhileStreaming = false;
    // A broken driver: ENUMINPUT never says EINVAL, and QUERY_EXT_CTRL answers the next control with the
    // first one again.
    bool endless = false;
};

class FakeV4l2 final : public V4l2System {
public:
    explicit FakeV4l2(CardDefinition air = BuiltInCardDefinition()) : air_(std::move(air)) {}

    // The nodes of one card; each returns the first node's path. Sound cards get the next free number.
    std::string addPciCard(const std::string& name = "BT878 video (Hauppauge (bt878))");
    std::string addUsbRadio(const std::string& name = "FM Radio");
    std::string addWebcam(const std::string& name = "USB Camera");

    FakeNode& node(const std::string& path) { return nodes_.at(path); }
    // The device goes away: every open and ioctl answers ENODEV from now on, and a streaming picture stops
    // with the source's read error.
    void unplug(const std::string& path);
    bool unplugged(const std::string& path) const;
    bool busy(const std::string& path) const;
    // Whether a picture source made for the node is streaming now (PAUSED or PLAYING).
    bool streaming(const std::string& path);

    // Every ioctl request made, with the node, in order.
    std::vector<std::pair<std::string, unsigned long>> calls() const;
    // Descriptors open now.
    int openCount() const;
    const CardDefinition& air() const { return air_; }
    CardDefinition& air() { return air_; }

    // V4l2System
    int open(const std::string& path) override;
    int ioctl(int fd, unsigned long request, void* argument) override;
    void close(int fd) override;
    std::vector<std::string> deviceNodes() override;
    std::vector<std::string> listFolder(const std::string& path) override;
    std::string resolve(const std::string& path) override;
    GstElement* makePictureSource(const std::string& node) override;

private:
    int answer(FakeNode& node, unsigned long request, void* argument);
    int tunerIoctl(FakeNode& node, unsigned long request, void* argument);
    void addFolder(const std::string& path);
    void linkNode(const std::string& node, const std::string& device);

    CardDefinition air_;
    mutable std::mutex mutex_;
    std::map<std::string, FakeNode> nodes_;
    std::vector<std::string> order_;
    std::map<int, std::string> fds_;
    int nextFd_ = 100;
    int videoNumber_ = 0;
    int radioNumber_ = 0;
    int soundNumber_ = 0;
    int busNumber_ = 0;
    std::set<std::string> folders_;
    std::map<std::string, std::string> links_;
    std::vector<std::pair<std::string, unsigned long>> calls_;
    // The picture sources made per node, held weakly.
    std::map<std::string, std::vector<std::shared_ptr<GWeakRef>>> sources_;
};
