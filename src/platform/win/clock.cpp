// SPDX-License-Identifier: GPL-2.0-or-later
#include "clock.h"

#include <chrono>
#include <thread>

void RealClock::Sleep(std::uint32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

std::uint32_t RealClock::timeGetTime() const {
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

void VirtualClock::Sleep(std::uint32_t milliseconds) {
    sleeps_.push_back(milliseconds);
    now_ += milliseconds;
}
