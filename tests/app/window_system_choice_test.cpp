// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/window_system_choice.h"

#include <QtGlobal>

#include <gtest/gtest.h>

#include <array>

TEST(WindowSystemChoice, XcbComesFirstOnlyInAWaylandSessionWithAnXServerAndNoChoiceOfTheUser) {
    EXPECT_EQ(PreferredQtPlatform("", "wayland-0", ":0"), QByteArray("xcb;wayland"));
    // The user's choice stands, whatever it is.
    EXPECT_EQ(PreferredQtPlatform("wayland", "wayland-0", ":0"), std::nullopt);
    EXPECT_EQ(PreferredQtPlatform("offscreen", "wayland-0", ":0"), std::nullopt);
    // No Wayland session, or no XWayland to go to: Qt's own choice.
    EXPECT_EQ(PreferredQtPlatform("", "", ":0"), std::nullopt);
    EXPECT_EQ(PreferredQtPlatform("", "wayland-0", ""), std::nullopt);
    EXPECT_EQ(PreferredQtPlatform("", "", ""), std::nullopt);
}

namespace {
// Sets the session's variables for one test and puts the process's own back afterwards.
class SessionVariables {
public:
    SessionVariables(const char* qpa, const char* wayland, const char* display) {
        for (std::size_t i = 0; i < kNames.size(); ++i) {
            saved_[i] = qgetenv(kNames[i]);
            wasSet_[i] = qEnvironmentVariableIsSet(kNames[i]);
        }
        set("QT_QPA_PLATFORM", qpa);
        set("WAYLAND_DISPLAY", wayland);
        set("DISPLAY", display);
    }
    ~SessionVariables() {
        for (std::size_t i = 0; i < kNames.size(); ++i) {
            set(kNames[i], wasSet_[i] ? saved_[i].constData() : nullptr);
        }
    }
    SessionVariables(const SessionVariables&) = delete;
    SessionVariables& operator=(const SessionVariables&) = delete;

private:
    static void set(const char* name, const char* value) {
        if (value) {
            qputenv(name, value);
        } else {
            qunsetenv(name);
        }
    }
    static constexpr std::array<const char*, 3> kNames = {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "DISPLAY"};
    std::array<QByteArray, 3> saved_;
    std::array<bool, 3> wasSet_{};
};
} // namespace

TEST(WindowSystemChoice, TheProcessEnvironmentIsChangedOnlyWhenXcbIsPreferred) {
    {
        SessionVariables session(nullptr, "wayland-0", ":1");
        PreferXcbInWaylandSession();
        EXPECT_EQ(qgetenv("QT_QPA_PLATFORM"), "xcb;wayland");
    }
    {
        SessionVariables session("wayland", "wayland-0", ":1");
        PreferXcbInWaylandSession();
        EXPECT_EQ(qgetenv("QT_QPA_PLATFORM"), "wayland");
    }
    {
        SessionVariables session(nullptr, "wayland-0", nullptr);
        PreferXcbInWaylandSession();
        EXPECT_FALSE(qEnvironmentVariableIsSet("QT_QPA_PLATFORM"));
    }
}
