#pragma once
// What the on-screen display says and for how long: for kShownMs after a channel change its number and name
// (then "[no signal]" when the signal indicator finds none), the volume after a Player volume change, the
// digits of a channel number while it is typed. It is text drawn over the picture in the window, never part
// of the picture, so a recording never holds it.

#include <QString>
#include <QStringList>

#include <cstdint>

class OnScreenDisplay {
public:
    static constexpr std::uint32_t kShownMs = 2000;
    static constexpr const char* kNoSignal = "[no signal]";

    // now is in milliseconds of the program's clock.
    void showChannel(int number, const QString& name, std::uint32_t now);
    // The signal indicator's answer; shown only below a channel still on screen, and not for longer.
    void showSignal(bool locked, std::uint32_t now);
    // percent is 0 (silent) to 100.
    void showVolume(int percent, std::uint32_t now);
    void showTyping(const QString& digits, std::uint32_t now);

    // The lines to draw at now; none once kShownMs have passed since the last thing shown.
    QStringList lines(std::uint32_t now) const;

private:
    void show(QStringList lines, std::uint32_t now);

    QStringList lines_;
    bool channelShown_ = false;
    std::uint32_t shownAt_ = 0;
};
