// SPDX-License-Identifier: GPL-2.0-or-later
// The V4L2 provider on fake cards: which node appears in which list, under which name, with which sound card.
#include "fake_v4l2.h"
#include "platform/devices/tv_device_interfaces.h"
#include "platform/devices/v4l2/v4l2_provider.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::pair<std::string, std::string>> Listed(DeviceProvider& provider, const Guid& category) {
    std::vector<std::pair<std::string, std::string>> listed;
    for (const DeviceDescription& device : provider.devices(category)) {
        listed.emplace_back(device.friendlyName, device.id);
    }
    return listed;
}

using Rows = std::vector<std::pair<std::string, std::string>>;

TEST(V4l2Provider, EachPartOfEachCardInItsList) {
    auto system = std::make_shared<FakeV4l2>();
    system->addPciCard("PCI TV");
    system->addUsbRadio("FM Radio");
    system->addWebcam("Webcam");
    const auto provider = MakeV4l2Provider(system);
    // The webcam's metadata node (/dev/video2) is no capture device and is left out.
    EXPECT_EQ(Listed(*provider, CLSID_VideoInputDeviceCategory),
              (Rows{{"PCI TV", "video:/dev/video0"}, {"Webcam", "video:/dev/video1"}}));
    // Tuners and TV audio serve the Radio page: only radio nodes' tuners, since a capture node's TV tuner
    // refuses FM; TV audio with the radio nodes first.
    EXPECT_EQ(Listed(*provider, AM_KSCATEGORY_TVTUNER),
              (Rows{{"PCI TV", "tuner:/dev/radio0"}, {"FM Radio", "tuner:/dev/radio1"}}));
    EXPECT_EQ(Listed(*provider, AM_KSCATEGORY_TVAUDIO), (Rows{{"PCI TV", "tvaudio:/dev/radio0"},
                                                              {"FM Radio", "tvaudio:/dev/radio1"},
                                                              {"PCI TV #2", "tvaudio:/dev/video0"}}));
    // The webcam's single camera input is no choice: no crossbar.
    EXPECT_EQ(Listed(*provider, AM_KSCATEGORY_CROSSBAR), (Rows{{"PCI TV", "crossbar:/dev/video0"}}));
    // The PCI card's sound is its audio function's (once, though both its nodes lead there); the radio's an
    // interface of the same USB device.
    EXPECT_EQ(Listed(*provider, CLSID_AudioInputDeviceCategory),
              (Rows{{"PCI TV Audio", "audio:/dev/video0"}, {"FM Radio Audio", "audio:/dev/radio1"}}));
    EXPECT_TRUE(Listed(*provider, CLSID_VideoCompressorCategory).empty());
    // Each is a node, or the node's sound card, that one process at a time can use: its lock's key.
    std::vector<std::string> paths;
    for (const Guid& category :
         {CLSID_VideoInputDeviceCategory, AM_KSCATEGORY_TVTUNER, CLSID_AudioInputDeviceCategory}) {
        for (const DeviceDescription& device : provider->devices(category)) {
            paths.push_back(device.devicePath);
        }
    }
    EXPECT_EQ(paths, (std::vector<std::string>{"/dev/video0", "/dev/video1", "/dev/radio0", "/dev/radio1",
                                               "hw:1", "hw:2"}));
    // Listing leaves no node open.
    EXPECT_EQ(system->openCount(), 0);
}

TEST(V4l2Provider, TwoCardsWithOneNameAreToldApartInNodeOrder) {
    auto system = std::make_shared<FakeV4l2>();
    system->addPciCard("Hauppauge WinTV");
    system->addPciCard("Hauppauge WinTV");
    const auto provider = MakeV4l2Provider(system);
    EXPECT_EQ(Listed(*provider, CLSID_VideoInputDeviceCategory),
              (Rows{{"Hauppauge WinTV", "video:/dev/video0"}, {"Hauppauge WinTV #2", "video:/dev/video1"}}));
    // The same names on the next listing: a stored choice finds its card again.
    EXPECT_EQ(Listed(*provider, CLSID_VideoInputDeviceCategory),
              Listed(*provider, CLSID_VideoInputDeviceCategory));
    // A card that went away leaves the other with the plain name.
    system->unplug("/dev/video0");
    EXPECT_EQ(Listed(*provider, CLSID_VideoInputDeviceCategory),
              (Rows{{"Hauppauge WinTV", "video:/dev/video1"}}));
}

TEST(V4l2Provider, SoundCardFoundThroughSysfs) {
    auto system = std::make_shared<FakeV4l2>();
    system->addWebcam();
    const std::string pci = system->addPciCard();
    const std::string radio = system->addUsbRadio();
    EXPECT_EQ(SoundCardOf(*system, pci), "hw:1");
    EXPECT_EQ(SoundCardOf(*system, radio), "hw:2");
    EXPECT_EQ(SoundCardOf(*system, "/dev/video0"), "");
    EXPECT_EQ(SoundCardOf(*system, "/dev/video9"), "");
}

TEST(V4l2Provider, BusyNodeRefusesItsCaptureFilterWithAClearText) {
    auto system = std::make_shared<FakeV4l2>();
    const std::string node = system->addPciCard();
    system->node(node).busy = true;
    const auto provider = MakeV4l2Provider(system);
    const auto devices = provider->devices(CLSID_VideoInputDeviceCategory);
    ASSERT_EQ(devices.size(), 1u);
    void* object = nullptr;
    const HRESULT hr = devices[0].bind(IBaseFilter::IID, &object);
    EXPECT_EQ(hr, HResultFromErrno(EBUSY));
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(FormatMessage(hr), "device busy: another program is using the device.");
    system->node(node).busy = false;
    ASSERT_EQ(devices[0].bind(IBaseFilter::IID, &object), S_OK);
    static_cast<IBaseFilter*>(object)->Release();
    EXPECT_EQ(system->openCount(), 0);
}

TEST(V4l2Provider, NodeGoneBeforeBindingSaysNoDevice) {
    auto system = std::make_shared<FakeV4l2>();
    const std::string node = system->addPciCard();
    const auto devices = MakeV4l2Provider(system)->devices(CLSID_VideoInputDeviceCategory);
    system->unplug(node);
    void* object = nullptr;
    EXPECT_EQ(devices[0].bind(IBaseFilter::IID, &object), HResultFromErrno(ENODEV));
}

} // namespace
