// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/win/clock.h"
#include "platform/win/shared_library.h"
#include "platform/win/window_message.h"

#include <QCoreApplication>
#include <QObject>

#include <gtest/gtest.h>

#include <vector>

namespace {

class MessageLog final : public QObject {
public:
    std::vector<UINT> received;
    bool event(QEvent* event) override {
        if (event->type() == WindowMessageEvent::eventType()) {
            auto* message = static_cast<WindowMessageEvent*>(event);
            received.push_back(message->message());
            message->setResult(static_cast<LRESULT>(message->wParam() + message->lParam()));
            return true;
        }
        return QObject::event(event);
    }
};

} // namespace

TEST(WindowMessages, PostQueuesAndSendDeliversAtOnce) {
    MessageLog log;
    EXPECT_TRUE(PostMessage(&log, WM_USER + 2, 0, 0));
    EXPECT_TRUE(log.received.empty()) << "a posted message waits for the event loop";
    EXPECT_EQ(SendMessage(&log, WM_USER + 5, 40, 2), 42);
    ASSERT_EQ(log.received.size(), 1u);
    EXPECT_EQ(log.received[0], WM_USER + 5u);
    QCoreApplication::sendPostedEvents(&log);
    ASSERT_EQ(log.received.size(), 2u);
    EXPECT_EQ(log.received[1], WM_USER + 2u);
    EXPECT_FALSE(PostMessage(nullptr, WM_USER, 0, 0));
    EXPECT_EQ(SendMessage(nullptr, WM_USER, 1, 1), 0);
}

TEST(VirtualClock, RecordsWaitsWithoutSleeping) {
    VirtualClock clock;
    clock.Sleep(200);
    clock.advance(50);
    clock.Sleep(100);
    EXPECT_EQ(clock.timeGetTime(), 350u);
    EXPECT_EQ(clock.sleeps(), (std::vector<std::uint32_t>{200, 100}));
}

TEST(SharedLibrary, ResolvesRelativePathsBesideTheExecutableOnly) {
    SharedLibrary library;
    const std::string folder = SharedLibrary::executableFolder();
    EXPECT_EQ(SharedLibrary::resolveBesideExecutable("Mixer/x.so"), folder + "/Mixer/x.so");
    EXPECT_EQ(SharedLibrary::resolveBesideExecutable("/abs/x.so"), "/abs/x.so");
    EXPECT_FALSE(library.load("Mixer/NoSuchPlugin.so"));
    EXPECT_FALSE(library.isLoaded());
    EXPECT_NE(library.errorText().find("NoSuchPlugin.so"), std::string::npos);
    EXPECT_EQ(library.loadedPath(), folder + "/Mixer/NoSuchPlugin.so");
}

TEST(SharedLibrary, FindsExportsAndUnloads) {
    SharedLibrary library;
    ASSERT_TRUE(library.load(TEST_LIBRARY_PATH)) << library.errorText();
    auto answer = library.function<int (*)()>("TestLibraryAnswer");
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(), 42);
    EXPECT_EQ(library.symbol("NotExported"), nullptr);
    SharedLibrary moved = std::move(library);
    EXPECT_FALSE(library.isLoaded());
    EXPECT_TRUE(moved.isLoaded());
    moved.unload();
    EXPECT_FALSE(moved.isLoaded());
    EXPECT_EQ(moved.symbol("TestLibraryAnswer"), nullptr);
}
