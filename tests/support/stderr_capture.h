// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Standard error of this process caught in a file while the object lives, readable at any time, so a test
// can wait for a line that a streaming thread's report leads to.

#include <QFile>
#include <QTemporaryFile>

#include <cstdio>
#include <unistd.h>

class StderrCapture {
public:
    StderrCapture() {
        if (file_.open()) {
            std::fflush(stderr);
            saved_ = ::dup(STDERR_FILENO);
            ::dup2(file_.handle(), STDERR_FILENO);
        }
    }
    ~StderrCapture() {
        if (saved_ >= 0) {
            std::fflush(stderr);
            ::dup2(saved_, STDERR_FILENO);
            ::close(saved_);
        }
    }
    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;

    // Everything written so far.
    QByteArray text() const {
        std::fflush(stderr);
        QFile reader(file_.fileName());
        return reader.open(QIODevice::ReadOnly) ? reader.readAll() : QByteArray();
    }

private:
    QTemporaryFile file_;
    int saved_ = -1;
};
