// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The desktop's default action for a document, web address or mail link.

#include <QString>

#include <vector>

class Shell {
public:
    virtual ~Shell() = default;
    // Opens the target with its associated program; false when the desktop could not.
    virtual bool open(const QString& target) = 0;
};

class DesktopShell final : public Shell {
public:
    bool open(const QString& target) override;
};

class RecordingShell final : public Shell {
public:
    bool open(const QString& target) override {
        opened_.push_back(target);
        return true;
    }
    const std::vector<QString>& opened() const { return opened_; }

private:
    std::vector<QString> opened_;
};
