// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// corvane-ctl run as a process on the virtual TV card, in a folder of its own that also holds its settings.

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

struct CtlRun {
    int exitCode = -1;
    QString out;
    QString err;
};

class CtlProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        environment_ = QProcessEnvironment::systemEnvironment();
        environment_.insert(QStringLiteral("CORVANE_DEVICES"), QStringLiteral("virtual"));
        environment_.insert(QStringLiteral("CORVANE_REGISTRY"),
                            folder_.filePath(QStringLiteral("registry.sqlite")));
    }

    std::filesystem::path file(const char* name) const {
        return std::filesystem::path(folder_.filePath(QString::fromLatin1(name)).toStdString());
    }

    // Writes a virtual card with the default channels and the given faults.
    void useCard(const std::string& faults) {
        const std::filesystem::path card = file("card.json");
        std::ofstream(card) << R"({"tv":[{"freq":196250000,"name":"Test One","lock":true,"audio":"stereo"}],)"
                            << R"("radio":[{"freq":100100000,"name":"Radio"}],"crossbars":1,"faults":)"
                            << faults << "}";
        environment_.insert(QStringLiteral("CORVANE_VIRTUAL_CARD"), QString::fromStdString(card));
    }

    void start(QProcess& process, const QStringList& args) {
        process.setProcessEnvironment(environment_);
        process.setWorkingDirectory(folder_.path());
        process.start(QStringLiteral(CORVANE_CTL_PATH), args);
        ASSERT_TRUE(process.waitForStarted());
    }

    CtlRun run(const QStringList& args, int timeoutMs = 60000) {
        QProcess process;
        start(process, args);
        EXPECT_TRUE(process.waitForFinished(timeoutMs)) << "corvane-ctl did not finish";
        CtlRun result;
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.out = QString::fromUtf8(process.readAllStandardOutput());
        result.err = QString::fromUtf8(process.readAllStandardError());
        return result;
    }

    std::filesystem::path registry() const { return file("registry.sqlite"); }

    QTemporaryDir folder_;
    QProcessEnvironment environment_;
};
