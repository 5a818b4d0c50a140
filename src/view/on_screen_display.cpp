#include "on_screen_display.h"

void OnScreenDisplay::showChannel(int number, const QString& name, std::uint32_t now) {
    show({QStringLiteral("%1  %2").arg(number).arg(name)}, now);
    channelShown_ = true;
}

void OnScreenDisplay::showSignal(bool locked, std::uint32_t now) {
    const QString noSignal = QString::fromLatin1(kNoSignal);
    if (locked || !channelShown_ || lines(now).isEmpty() || lines_.contains(noSignal)) {
        return;
    }
    lines_.append(noSignal);
}

void OnScreenDisplay::showVolume(int percent, std::uint32_t now) {
    show({QStringLiteral("Volume %1%").arg(percent)}, now);
}

void OnScreenDisplay::showTyping(const QString& digits, std::uint32_t now) {
    show({digits + QLatin1Char('-')}, now);
}

QStringList OnScreenDisplay::lines(std::uint32_t now) const {
    return now - shownAt_ < kShownMs ? lines_ : QStringList();
}

void OnScreenDisplay::show(QStringList lines, std::uint32_t now) {
    lines_ = std::move(lines);
    channelShown_ = false;
    shownAt_ = now;
}
