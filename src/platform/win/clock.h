// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Time as the program sees it. The fixed waits (after a mute preset, between tuning and reading the tuner,
// per search step) go through here, so tests run them on a virtual clock and never sleep.

#include <cstdint>
#include <vector>

class Clock {
public:
    virtual ~Clock() = default;
    // Blocks the calling thread for the given time.
    virtual void Sleep(std::uint32_t milliseconds) = 0;
    // Milliseconds since an arbitrary start; wraps like a 32-bit tick counter.
    virtual std::uint32_t timeGetTime() const = 0;
};

class RealClock final : public Clock {
public:
    void Sleep(std::uint32_t milliseconds) override;
    std::uint32_t timeGetTime() const override;
};

// A clock that moves only when slept on or advanced, and remembers every wait.
class VirtualClock final : public Clock {
public:
    void Sleep(std::uint32_t milliseconds) override;
    std::uint32_t timeGetTime() const override { return now_; }

    void advance(std::uint32_t milliseconds) { now_ += milliseconds; }
    const std::vector<std::uint32_t>& sleeps() const { return sleeps_; }
    void clearSleeps() { sleeps_.clear(); }

private:
    std::uint32_t now_ = 0;
    std::vector<std::uint32_t> sleeps_;
};
