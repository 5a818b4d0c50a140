// SPDX-License-Identifier: GPL-2.0-or-later
#include "fake_v4l2.h"

#include "platform/devices/virtual/tuner_model.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

constexpr std::int64_t kTvStep = 62500; // Hz per unit
constexpr double kLowStep = 62.5;

struct Standard {
    const char* name;
    v4l2_std_id id;
};
constexpr Standard kPciStandards[] = {
    {"PAL-BG", V4L2_STD_PAL_BG},       {"PAL-DK", V4L2_STD_PAL_DK},   {"PAL-I", V4L2_STD_PAL_I},
    {"SECAM-DK", V4L2_STD_SECAM_DK},   {"SECAM-L", V4L2_STD_SECAM_L}, {"NTSC-M", V4L2_STD_NTSC_M},
    {"NTSC-M-JP", V4L2_STD_NTSC_M_JP}, {"PAL-M", V4L2_STD_PAL_M},     {"PAL-N", V4L2_STD_PAL_N},
    {"PAL-Nc", V4L2_STD_PAL_Nc},
};

struct Control {
    std::uint32_t id;
    const char* name;
    std::int32_t minimum, maximum, step, defaultValue;
    std::uint32_t type = V4L2_CTRL_TYPE_INTEGER;
    std::uint32_t flags = 0;
};
// The PCI card's decoder works in 16 bits, in steps of 256; the webcam's in 8 bits and has no hue. Both list
// their controls under the user class's heading, in id order.
constexpr Control kPciControls[] = {
    {V4L2_CID_USER_CLASS, "User Controls", 0, 0, 0, 0, V4L2_CTRL_TYPE_CTRL_CLASS,
     V4L2_CTRL_FLAG_READ_ONLY | V4L2_CTRL_FLAG_WRITE_ONLY},
    {V4L2_CID_BRIGHTNESS, "Brightness", 0, 65535, 256, 32768},
    {V4L2_CID_CONTRAST, "Contrast", 0, 65535, 256, 27648},
    {V4L2_CID_SATURATION, "Saturation", 0, 65535, 256, 32768},
    {V4L2_CID_HUE, "Hue", 0, 65535, 256, 32768},
    {V4L2_CID_AUDIO_MUTE, "Mute", 0, 1, 1, 0, V4L2_CTRL_TYPE_BOOLEAN},
};
constexpr Control kCameraControls[] = {
    {V4L2_CID_USER_CLASS, "User Controls", 0, 0, 0, 0, V4L2_CTRL_TYPE_CTRL_CLASS,
     V4L2_CTRL_FLAG_READ_ONLY | V4L2_CTRL_FLAG_WRITE_ONLY},
    {V4L2_CID_BRIGHTNESS, "Brightness", 0, 255, 1, 128},
    {V4L2_CID_CONTRAST, "Contrast", 0, 255, 1, 32},
    {V4L2_CID_SATURATION, "Saturation", 0, 255, 1, 64},
    {V4L2_CID_POWER_LINE_FREQUENCY, "Power Line Frequency", 0, 3, 1, 1, V4L2_CTRL_TYPE_MENU},
    {V4L2_CID_SHARPNESS, "Sharpness", 0, 7, 1, 3, V4L2_CTRL_TYPE_INTEGER, V4L2_CTRL_FLAG_DISABLED},
};
// The power line menu has a hole where the camera has no 60 Hz filter.
const char* const kPowerLineItems[] = {"Disabled", "50 Hz", nullptr, "Auto"};

bool IsRadio(const FakeNode& node) {
    return node.kind == FakeNode::Kind::PciRadio || node.kind == FakeNode::Kind::UsbRadio;
}
bool HasTuner(const FakeNode& node) {
    return node.kind != FakeNode::Kind::Webcam;
}

std::int64_t HertzOf(const FakeNode& node, std::uint32_t units) {
    return IsRadio(node) ? static_cast<std::int64_t>(units * kLowStep) : units * kTvStep;
}

template <std::size_t N> void Copy(__u8 (&field)[N], const std::string& text) {
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), std::min(N - 1, text.size()));
}

std::vector<Control> ControlsOf(const FakeNode& node) {
    if (node.kind == FakeNode::Kind::PciVideo) {
        return {std::begin(kPciControls), std::end(kPciControls)};
    }
    if (node.kind == FakeNode::Kind::Webcam) {
        return {std::begin(kCameraControls), std::end(kCameraControls)};
    }
    return {};
}

} // namespace

void FakeV4l2::addFolder(const std::string& path) {
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        folders_.insert(path.substr(0, slash));
    }
    folders_.insert(path);
}

void FakeV4l2::linkNode(const std::string& node, const std::string& device) {
    const std::string name = node.substr(node.rfind('/') + 1);
    addFolder("/sys/class/video4linux/" + name);
    links_["/sys/class/video4linux/" + name + "/device"] = device;
    addFolder(device);
}

std::string FakeV4l2::addPciCard(const std::string& name) {
    std::lock_guard lock(mutex_);
    const std::string slot =
        "/sys/devices/pci0000:00/0000:00:1e.0/0000:0" + std::to_string(5 + busNumber_++) + ":01.";
    const std::string video = "/dev/video" + std::to_string(videoNumber_++);
    const std::string radio = "/dev/radio" + std::to_string(radioNumber_++);
    FakeNode node{FakeNode::Kind::PciVideo, name};
    for (const Control& control : kPciControls) {
        node.controls[control.id] = control.defaultValue;
    }
    nodes_[video] = node;
    node.kind = FakeNode::Kind::PciRadio;
    node.frequency = static_cast<std::uint32_t>(87500000 / kLowStep);
    nodes_[radio] = node;
    order_.push_back(video);
    order_.push_back(radio);
    linkNode(video, slot + "0");
    linkNode(radio, slot + "0");
    addFolder(slot + "1/sound/card" + std::to_string(++soundNumber_));
    return video;
}

std::string FakeV4l2::addUsbRadio(const std::string& name) {
    std::lock_guard lock(mutex_);
    const std::string usb = "/sys/devices/pci0000:00/0000:00:14.0/usb1/1-" + std::to_string(++busNumber_);
    const std::string radio = "/dev/radio" + std::to_string(radioNumber_++);
    FakeNode node{FakeNode::Kind::UsbRadio, name};
    node.frequency = static_cast<std::uint32_t>(87500000 / kLowStep);
    nodes_[radio] = node;
    order_.push_back(radio);
    const std::string interfaceStem = usb + "/" + usb.substr(usb.rfind('/') + 1) + ":1.";
    linkNode(radio, interfaceStem + "2");
    addFolder(interfaceStem + "0");
    addFolder(interfaceStem + "1/sound/card" + std::to_string(++soundNumber_));
    return radio;
}

std::string FakeV4l2::addWebcam(const std::string& name) {
    std::lock_guard lock(mutex_);
    const std::string usb = "/sys/devices/pci0000:00/0000:00:14.0/usb1/1-" + std::to_string(++busNumber_);
    const std::string video = "/dev/video" + std::to_string(videoNumber_++);
    // A webcam's second node carries metadata only and is no capture device.
    const std::string metadata = "/dev/video" + std::to_string(videoNumber_++);
    FakeNode node{FakeNode::Kind::Webcam, name};
    node.width = 640;
    node.height = 480;
    for (const Control& control : kCameraControls) {
        node.controls[control.id] = control.defaultValue;
    }
    nodes_[video] = node;
    node.metadata = true;
    nodes_[metadata] = node;
    order_.push_back(video);
    order_.push_back(metadata);
    linkNode(video, usb + "/" + usb.substr(usb.rfind('/') + 1) + ":1.0");
    linkNode(metadata, usb + "/" + usb.substr(usb.rfind('/') + 1) + ":1.0");
    return video;
}

void FakeV4l2::unplug(const std::string& path) {
    std::lock_guard lock(mutex_);
    nodes_.at(path).unplugged = true;
}

bool FakeV4l2::busy(const std::string& path) const {
    std::lock_guard lock(mutex_);
    return nodes_.at(path).busy;
}

bool FakeV4l2::unplugged(const std::string& path) const {
    std::lock_guard lock(mutex_);
    return nodes_.at(path).unplugged;
}

std::vector<std::pair<std::string, unsigned long>> FakeV4l2::calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
}

int FakeV4l2::openCount() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(fds_.size());
}

int FakeV4l2::open(const std::string& path) {
    std::lock_guard lock(mutex_);
    const auto found = nodes_.find(path);
    if (found == nodes_.end()) {
        return -ENOENT;
    }
    if (found->second.unplugged) {
        return -ENODEV;
    }
    fds_[nextFd_] = path;
    return nextFd_++;
}

void FakeV4l2::close(int fd) {
    std::lock_guard lock(mutex_);
    fds_.erase(fd);
}

int FakeV4l2::ioctl(int fd, unsigned long request, void* argument) {
    std::string path;
    {
        std::lock_guard lock(mutex_);
        const auto found = fds_.find(fd);
        if (found == fds_.end()) {
            return -EBADF;
        }
        path = found->second;
    }
    // Asked outside the lock: a source's state is its own, and dropping the last reference to one may run
    // code that calls back here.
    const bool streams = request == VIDIOC_S_STD && streaming(path);
    std::lock_guard lock(mutex_);
    calls_.emplace_back(path, request);
    FakeNode& node = nodes_.at(path);
    if (node.unplugged) {
        return -ENODEV;
    }
    if (request == VIDIOC_S_STD && node.standardBusyWhileStreaming && streams) {
        return -EBUSY;
    }
    return answer(node, request, argument);
}

bool FakeV4l2::streaming(const std::string& path) {
    std::vector<GstElement*> alive;
    {
        std::lock_guard lock(mutex_);
        for (const std::shared_ptr<GWeakRef>& source : sources_[path]) {
            if (auto* element = static_cast<GstElement*>(g_weak_ref_get(source.get()))) {
                alive.push_back(element);
            }
        }
    }
    bool streams = false;
    for (GstElement* element : alive) {
        GstState state = GST_STATE_NULL;
        gst_element_get_state(element, &state, nullptr, 0);
        streams = streams || state >= GST_STATE_PAUSED;
        gst_object_unref(element);
    }
    return streams;
}

int FakeV4l2::answer(FakeNode& node, unsigned long request, void* argument) {
    const bool video = !IsRadio(node);
    const bool metadata = node.metadata;
    switch (request) {
    case VIDIOC_QUERYCAP: {
        auto* caps = static_cast<v4l2_capability*>(argument);
        *caps = {};
        Copy(caps->driver, node.kind == FakeNode::Kind::PciVideo || node.kind == FakeNode::Kind::PciRadio
                               ? "bttv"
                           : node.kind == FakeNode::Kind::UsbRadio ? "radio-si470x"
                                                                   : "uvcvideo");
        Copy(caps->card, node.card);
        Copy(caps->bus_info, "fake");
        switch (node.kind) {
        case FakeNode::Kind::PciVideo:
        case FakeNode::Kind::PciRadio:
            caps->capabilities = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_TUNER | V4L2_CAP_RADIO |
                                 V4L2_CAP_READWRITE | V4L2_CAP_STREAMING | V4L2_CAP_DEVICE_CAPS;
            caps->device_caps =
                video ? V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_TUNER | V4L2_CAP_READWRITE | V4L2_CAP_STREAMING
                      : V4L2_CAP_RADIO | V4L2_CAP_TUNER;
            break;
        case FakeNode::Kind::UsbRadio:
            // An old driver: no per-node capabilities.
            caps->capabilities = V4L2_CAP_RADIO | V4L2_CAP_TUNER | V4L2_CAP_HW_FREQ_SEEK;
            break;
        case FakeNode::Kind::Webcam:
            caps->capabilities =
                V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_META_CAPTURE | V4L2_CAP_STREAMING | V4L2_CAP_DEVICE_CAPS;
            caps->device_caps = metadata ? V4L2_CAP_META_CAPTURE | V4L2_CAP_STREAMING
                                         : V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_STREAMING;
            break;
        }
        return 0;
    }
    case VIDIOC_G_TUNER:
    case VIDIOC_S_TUNER:
    case VIDIOC_G_FREQUENCY:
    case VIDIOC_S_FREQUENCY:
        return HasTuner(node) ? tunerIoctl(node, request, argument) : -ENOTTY;
    case VIDIOC_ENUMINPUT: {
        if (!video || metadata) {
            return -ENOTTY;
        }
        auto* input = static_cast<v4l2_input*>(argument);
        const std::uint32_t index = input->index;
        *input = {};
        input->index = index;
        if (node.kind == FakeNode::Kind::Webcam) {
            if (index != 0) {
                return -EINVAL;
            }
            Copy(input->name, "Camera 1");
            input->type = V4L2_INPUT_TYPE_CAMERA;
            return 0;
        }
        static const char* const kNames[] = {"Television", "Composite1", "S-Video"};
        if (node.endless && index >= 3) {
            Copy(input->name, "Composite" + std::to_string(index));
            input->type = V4L2_INPUT_TYPE_CAMERA;
            return 0;
        }
        if (index >= 3) {
            return -EINVAL;
        }
        Copy(input->name, kNames[index]);
        input->type = index == 0 ? V4L2_INPUT_TYPE_TUNER : V4L2_INPUT_TYPE_CAMERA;
        input->std = V4L2_STD_ALL;
        // The status belongs to the input chosen now; nothing is plugged into the other connectors.
        if (static_cast<int>(index) == node.input) {
            if (index == 0) {
                const Reception heard = Receive(air_, TunerMode::Tv, HertzOf(node, node.frequency));
                if (!heard.heard()) {
                    input->status = V4L2_IN_ST_NO_SIGNAL | V4L2_IN_ST_NO_H_LOCK;
                } else if (!heard.horizontalLock) {
                    input->status = V4L2_IN_ST_NO_H_LOCK;
                }
            } else {
                input->status = V4L2_IN_ST_NO_SIGNAL | V4L2_IN_ST_NO_H_LOCK;
            }
        }
        return 0;
    }
    case VIDIOC_G_INPUT:
        if (!video || metadata) {
            return -ENOTTY;
        }
        *static_cast<int*>(argument) = node.input;
        return 0;
    case VIDIOC_S_INPUT: {
        const int wanted = *static_cast<int*>(argument);
        if (!video || metadata) {
            return -ENOTTY;
        }
        if (wanted < 0 || wanted >= (node.kind == FakeNode::Kind::Webcam ? 1 : 3)) {
            return -EINVAL;
        }
        node.input = wanted;
        return 0;
    }
    case VIDIOC_ENUMAUDIO:
    case VIDIOC_G_AUDIO:
    case VIDIOC_S_AUDIO:
        // The PCI card switches the sound with the picture and lists no audio inputs.
        return -EINVAL;
    case VIDIOC_ENUMSTD: {
        if (node.kind != FakeNode::Kind::PciVideo) {
            return -ENODATA;
        }
        auto* standard = static_cast<v4l2_standard*>(argument);
        const std::uint32_t index = standard->index;
        if (index >= std::size(kPciStandards)) {
            return -EINVAL;
        }
        *standard = {};
        standard->index = index;
        standard->id = kPciStandards[index].id;
        Copy(standard->name, kPciStandards[index].name);
        return 0;
    }
    case VIDIOC_G_STD:
        if (node.kind != FakeNode::Kind::PciVideo) {
            return -ENODATA;
        }
        *static_cast<v4l2_std_id*>(argument) = node.standard;
        return 0;
    case VIDIOC_S_STD: {
        if (node.kind != FakeNode::Kind::PciVideo) {
            return -ENODATA;
        }
        if (node.standardBusy) {
            return -EBUSY;
        }
        const v4l2_std_id wanted = *static_cast<v4l2_std_id*>(argument);
        v4l2_std_id all = 0;
        for (const Standard& standard : kPciStandards) {
            all |= standard.id;
        }
        if (!(wanted & all)) {
            return -EINVAL;
        }
        node.standard = wanted & all;
        return 0;
    }
    case VIDIOC_QUERYCTRL: {
        auto* query = static_cast<v4l2_queryctrl*>(argument);
        for (const Control& control : ControlsOf(node)) {
            if (control.id == query->id && control.type != V4L2_CTRL_TYPE_CTRL_CLASS) {
                *query = {};
                query->id = control.id;
                query->type = control.type;
                query->flags = control.flags;
                Copy(query->name, control.name);
                query->minimum = control.minimum;
                query->maximum = control.maximum;
                query->step = control.step;
                query->default_value = control.defaultValue;
                return 0;
            }
        }
        return -EINVAL;
    }
    case VIDIOC_QUERY_EXT_CTRL: {
        auto* query = static_cast<v4l2_query_ext_ctrl*>(argument);
        const bool next = (query->id & V4L2_CTRL_FLAG_NEXT_CTRL) != 0;
        std::uint32_t wanted = query->id & ~(V4L2_CTRL_FLAG_NEXT_CTRL | V4L2_CTRL_FLAG_NEXT_COMPOUND);
        if (node.endless && next && wanted >= V4L2_CID_HUE) {
            wanted = 0;
        }
        for (const Control& control : ControlsOf(node)) {
            if (next ? control.id <= wanted : control.id != wanted) {
                continue;
            }
            *query = {};
            query->id = control.id;
            query->type = control.type;
            std::strncpy(query->name, control.name, sizeof query->name - 1);
            query->minimum = control.minimum;
            query->maximum = control.maximum;
            query->step = static_cast<std::uint64_t>(control.step);
            query->default_value = control.defaultValue;
            query->flags = control.flags;
            query->elem_size = 4;
            query->elems = 1;
            return 0;
        }
        return -EINVAL;
    }
    case VIDIOC_QUERYMENU: {
        auto* item = static_cast<v4l2_querymenu*>(argument);
        if (item->id != V4L2_CID_POWER_LINE_FREQUENCY || node.kind != FakeNode::Kind::Webcam ||
            item->index >= std::size(kPowerLineItems) || !kPowerLineItems[item->index]) {
            return -EINVAL;
        }
        // The structure is packed: no reference to its name.
        __u8 name[sizeof item->name] = {};
        Copy(name, kPowerLineItems[item->index]);
        std::memcpy(item->name, name, sizeof name);
        return 0;
    }
    case VIDIOC_G_CTRL:
    case VIDIOC_S_CTRL: {
        auto* value = static_cast<v4l2_control*>(argument);
        for (const Control& control : ControlsOf(node)) {
            if (control.id != value->id || control.type == V4L2_CTRL_TYPE_CTRL_CLASS) {
                continue;
            }
            if (request == VIDIOC_G_CTRL) {
                value->value = node.controls[control.id];
                return 0;
            }
            if (value->value < control.minimum || value->value > control.maximum) {
                return -ERANGE;
            }
            node.controls[control.id] = value->value;
            return 0;
        }
        return -EINVAL;
    }
    case VIDIOC_ENUM_FMT: {
        auto* format = static_cast<v4l2_fmtdesc*>(argument);
        if (!video || metadata || format->type != V4L2_BUF_TYPE_VIDEO_CAPTURE) {
            return -EINVAL;
        }
        const std::uint32_t index = format->index;
        const bool camera = node.kind == FakeNode::Kind::Webcam;
        if (index >= (node.mjpegOnly ? 1u : 2u)) {
            return -EINVAL;
        }
        *format = {};
        format->index = index;
        format->type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        const bool compressed = camera && (index == 1 || node.mjpegOnly);
        format->pixelformat = compressed   ? V4L2_PIX_FMT_MJPEG
                              : index == 0 ? V4L2_PIX_FMT_YUYV
                                           : V4L2_PIX_FMT_GREY;
        format->flags = compressed ? V4L2_FMT_FLAG_COMPRESSED : 0;
        return 0;
    }
    case VIDIOC_ENUM_FRAMESIZES: {
        if (node.kind != FakeNode::Kind::Webcam || metadata) {
            return -ENOTTY; // the PCI card's driver scales to any size and does not say so
        }
        auto* size = static_cast<v4l2_frmsizeenum*>(argument);
        static const std::pair<std::uint32_t, std::uint32_t> kYuyv[] = {{640, 480}, {320, 240}, {1280, 720}};
        static const std::pair<std::uint32_t, std::uint32_t> kMjpeg[] = {{1920, 1080}, {640, 480}};
        const bool yuyv = size->pixel_format == V4L2_PIX_FMT_YUYV;
        const std::size_t count = yuyv ? std::size(kYuyv) : std::size(kMjpeg);
        if (size->index >= count) {
            return -EINVAL;
        }
        size->type = V4L2_FRMSIZE_TYPE_DISCRETE;
        size->discrete.width = (yuyv ? kYuyv : kMjpeg)[size->index].first;
        size->discrete.height = (yuyv ? kYuyv : kMjpeg)[size->index].second;
        return 0;
    }
    case VIDIOC_G_FMT: {
        auto* format = static_cast<v4l2_format*>(argument);
        if (!video || metadata || format->type != V4L2_BUF_TYPE_VIDEO_CAPTURE) {
            return -EINVAL;
        }
        format->fmt.pix.width = node.width;
        format->fmt.pix.height = node.height;
        format->fmt.pix.pixelformat = node.mjpegOnly ? V4L2_PIX_FMT_MJPEG : V4L2_PIX_FMT_YUYV;
        return 0;
    }
    case VIDIOC_REQBUFS:
        if (!video || metadata) {
            return -ENOTTY;
        }
        return node.busy ? -EBUSY : 0;
    default:
        return -ENOTTY;
    }
}

int FakeV4l2::tunerIoctl(FakeNode& node, unsigned long request, void* argument) {
    const bool radio = IsRadio(node);
    const std::uint32_t low = radio ? static_cast<std::uint32_t>(87500000 / kLowStep) : 44000000 / kTvStep;
    const std::uint32_t high = radio ? static_cast<std::uint32_t>(108000000 / kLowStep) : 958000000 / kTvStep;
    switch (request) {
    case VIDIOC_G_TUNER: {
        auto* tuner = static_cast<v4l2_tuner*>(argument);
        if (tuner->index != 0) {
            return -EINVAL;
        }
        *tuner = {};
        Copy(tuner->name, radio ? "Radio" : "Television");
        tuner->type = radio ? V4L2_TUNER_RADIO : V4L2_TUNER_ANALOG_TV;
        tuner->capability =
            radio ? V4L2_TUNER_CAP_LOW | V4L2_TUNER_CAP_STEREO
                  : V4L2_TUNER_CAP_NORM | V4L2_TUNER_CAP_STEREO | V4L2_TUNER_CAP_LANG1 | V4L2_TUNER_CAP_LANG2;
        tuner->rangelow = low;
        tuner->rangehigh = high;
        tuner->audmode = node.audmode;
        const std::int64_t hertz = HertzOf(node, node.frequency);
        const Reception heard = Receive(air_, radio ? TunerMode::Fm : TunerMode::Tv, hertz);
        if (!heard.heard()) {
            tuner->rxsubchans = V4L2_TUNER_SUB_MONO;
            return 0;
        }
        if (node.kind == FakeNode::Kind::UsbRadio) {
            // No afc; the signal falls off linearly over the capture range.
            const std::int64_t distance = std::llabs(heard.pllOffset);
            tuner->signal = static_cast<std::int32_t>(65535 * (kFmCaptureRange - distance) / kFmCaptureRange);
        } else {
            tuner->signal = 65535;
            // The PCI card's tuner reports afc in radio mode only; negative while tuned below the carrier.
            tuner->afc = radio ? -heard.pllOffset : 0;
        }
        if (radio) {
            tuner->rxsubchans = V4L2_TUNER_SUB_MONO | V4L2_TUNER_SUB_STEREO;
        } else {
            const CarrierAudio audio = air_.tv[static_cast<std::size_t>(heard.carrier)].audio;
            tuner->rxsubchans = audio == CarrierAudio::Mono     ? V4L2_TUNER_SUB_MONO
                                : audio == CarrierAudio::Stereo ? V4L2_TUNER_SUB_MONO | V4L2_TUNER_SUB_STEREO
                                                                : V4L2_TUNER_SUB_LANG1 | V4L2_TUNER_SUB_LANG2;
        }
        return 0;
    }
    case VIDIOC_S_TUNER: {
        const auto* tuner = static_cast<const v4l2_tuner*>(argument);
        if (tuner->index != 0 || tuner->audmode > V4L2_TUNER_MODE_LANG1_LANG2) {
            return -EINVAL;
        }
        node.audmode = tuner->audmode;
        return 0;
    }
    case VIDIOC_G_FREQUENCY: {
        auto* frequency = static_cast<v4l2_frequency*>(argument);
        if (frequency->tuner != 0) {
            return -EINVAL;
        }
        frequency->type = radio ? V4L2_TUNER_RADIO : V4L2_TUNER_ANALOG_TV;
        frequency->frequency = node.frequency;
        return 0;
    }
    case VIDIOC_S_FREQUENCY: {
        const auto* frequency = static_cast<const v4l2_frequency*>(argument);
        const std::uint32_t type = radio ? V4L2_TUNER_RADIO : V4L2_TUNER_ANALOG_TV;
        if (frequency->tuner != 0 || frequency->type != type) {
            return -EINVAL;
        }
        // Drivers clamp a frequency outside the band to its ends.
        node.frequency = std::clamp(frequency->frequency, low, high);
        return 0;
    }
    default:
        return -ENOTTY;
    }
}

std::vector<std::string> FakeV4l2::deviceNodes() {
    std::lock_guard lock(mutex_);
    std::vector<std::string> present;
    std::vector<std::string> radios;
    for (const std::string& path : order_) {
        if (nodes_.at(path).unplugged) {
            continue;
        }
        (path.rfind("/dev/video", 0) == 0 ? present : radios).push_back(path);
    }
    present.insert(present.end(), radios.begin(), radios.end());
    return present;
}

std::vector<std::string> FakeV4l2::listFolder(const std::string& path) {
    std::lock_guard lock(mutex_);
    std::vector<std::string> names;
    const std::string prefix = path + "/";
    for (const std::string& folder : folders_) {
        if (folder.rfind(prefix, 0) == 0 && folder.find('/', prefix.size()) == std::string::npos) {
            names.push_back(folder.substr(prefix.size()));
        }
    }
    return names;
}

std::string FakeV4l2::resolve(const std::string& path) {
    std::lock_guard lock(mutex_);
    const auto link = links_.find(path);
    if (link != links_.end()) {
        return link->second;
    }
    return folders_.count(path) ? path : std::string();
}

namespace {

struct SourceWatch {
    FakeV4l2* system;
    std::string node;
    bool reported = false;
    int frames = 0;
};

void PostSourceError(GstPad* pad, GstResourceError code, const std::string& text, const char* debug) {
    GstElement* source = gst_pad_get_parent_element(pad);
    GError* error = g_error_new_literal(GST_RESOURCE_ERROR, code, text.c_str());
    gst_element_post_message(source, gst_message_new_error(GST_OBJECT(source), error, debug));
    g_error_free(error);
    gst_object_unref(source);
}

// What v4l2src does when its node goes away: the next frame cannot be read, and the element says so. When
// another program took the node before streaming began, its format and buffers are refused with EBUSY and
// no frame comes at all.
GstPadProbeReturn OnFrame(GstPad* pad, GstPadProbeInfo*, gpointer data) {
    auto* watch = static_cast<SourceWatch*>(data);
    if (!watch->frames && watch->system->busy(watch->node)) {
        if (!watch->reported) {
            watch->reported = true;
            PostSourceError(pad, GST_RESOURCE_ERROR_BUSY, "Device '" + watch->node + "' is busy",
                            "Call to S_FMT failed for YUYV @ 720x576: Device or resource busy");
        }
        return GST_PAD_PROBE_DROP;
    }
    if (!watch->system->unplugged(watch->node)) {
        ++watch->frames;
        return GST_PAD_PROBE_OK;
    }
    if (!watch->reported) {
        watch->reported = true;
        PostSourceError(pad, GST_RESOURCE_ERROR_READ, "Could not read from resource.", "No such device");
    }
    return GST_PAD_PROBE_DROP;
}

} // namespace

GstElement* FakeV4l2::makePictureSource(const std::string& node) {
    GstElement* source = gst_element_factory_make("videotestsrc", nullptr);
    g_object_set(source, "is-live", TRUE, nullptr);
    GstElement* last = source;
    {
        std::lock_guard lock(mutex_);
        if (nodes_.at(node).mjpegOnly) {
            // The camera's own encoder: its frames arrive as JPEG.
            GstElement* bin = gst_bin_new(nullptr);
            last = gst_element_factory_make("jpegenc", nullptr);
            gst_bin_add_many(GST_BIN(bin), source, last, nullptr);
            gst_element_link(source, last);
            GstPad* inner = gst_element_get_static_pad(last, "src");
            gst_element_add_pad(bin, gst_ghost_pad_new("src", inner));
            gst_object_unref(inner);
            source = bin;
        }
    }
    {
        auto weak = std::shared_ptr<GWeakRef>(new GWeakRef, [](GWeakRef* ref) {
            g_weak_ref_clear(ref);
            delete ref;
        });
        g_weak_ref_init(weak.get(), source);
        std::lock_guard lock(mutex_);
        sources_[node].push_back(std::move(weak));
    }
    GstPad* pad = gst_element_get_static_pad(last, "src");
    gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, &OnFrame, new SourceWatch{this, node},
                      [](gpointer data) { delete static_cast<SourceWatch*>(data); });
    gst_object_unref(pad);
    return source;
}
