// SPDX-License-Identifier: GPL-2.0-or-later
#include "manual_command.h"

#include "test_support.h"

#include <gtest/gtest.h>

using namespace faderix;
using faderix_test::valueOf;

namespace {

ManualParams texts(std::initializer_list<const char*> values, int32_t amount = 0) {
    ManualParams params{};
    params.count = static_cast<int32_t>(values.size());
    int i = 0;
    for (const char* value : values) {
        params.kind[i] = FADERIX_PARAM_TEXT;
        params.value[i++] = reinterpret_cast<intptr_t>(value);
    }
    if (i < 4) {
        params.kind[3] = 1;
        params.value[3] = amount;
        if (amount != 0 || params.count == 3) {
            params.count = std::max(params.count, 4);
        }
    }
    return params;
}

class ManualCommand : public ::testing::Test {
protected:
    faderix_test::TempDir dir;
    std::unique_ptr<VirtualMixerBackend> mixer =
        faderix_test::makeMixer(faderix_test::kTestMixer, dir.file("state.json"));

    ManualOutcome run(const ManualParams& params) { return runManualCommand(*mixer, &params); }
};

} // namespace

TEST_F(ManualCommand, VolumeCommandsUsePercentArithmetic) {
    ManualParams set = texts({"set", "master", "volume"}, 50);
    ManualOutcome outcome = run(set);
    EXPECT_FALSE(outcome.error);
    EXPECT_EQ(outcome.value, 50);
    EXPECT_EQ(valueOf(*mixer, 1), 32767u);
    EXPECT_EQ(outcome.lineName, "Speakers");
    EXPECT_EQ(outcome.controlName, "Volume");

    EXPECT_EQ(run(texts({"GET", "Master", "Volume"})).value, 49);

    faderix_test::setValueOf(*mixer, 1, 65535u * 95 / 100);
    EXPECT_EQ(run(texts({"UP", "Master", "Volume"}, 10)).value, 100);
    EXPECT_EQ(valueOf(*mixer, 1), 65535u);

    faderix_test::setValueOf(*mixer, 1, 65535u * 5 / 100 + 1);
    EXPECT_EQ(run(texts({"Down", "Master", "Volume"}, 10)).value, 0);
    EXPECT_EQ(valueOf(*mixer, 1), 0u);

    faderix_test::setValueOf(*mixer, 1, 1234);
    outcome = run(texts({"TOGGLE", "Master", "Volume"}));
    EXPECT_EQ(outcome.value, 0);
    EXPECT_TRUE(outcome.foundControl) << "the control is still reported to the host";
    EXPECT_EQ(valueOf(*mixer, 1), 1234u);
}

TEST_F(ManualCommand, MuteCommands) {
    EXPECT_EQ(run(texts({"SET", "Master", "Mute"}, 0)).value, 0);
    EXPECT_EQ(valueOf(*mixer, 3), 0u);
    EXPECT_EQ(run(texts({"SET", "Master", "Mute"}, 7)).value, 7);
    EXPECT_EQ(valueOf(*mixer, 3), 1u);
    EXPECT_EQ(run(texts({"TOGGLE", "Master", "MUTE"})).value, 0);
    EXPECT_EQ(valueOf(*mixer, 3), 0u);
    EXPECT_EQ(run(texts({"GET", "Master", "Mute"})).value, 0);
    EXPECT_EQ(run(texts({"UP", "Master", "Mute"}, 5)).value, 0);
    EXPECT_EQ(valueOf(*mixer, 3), 0u);
}

TEST_F(ManualCommand, UnusableParametersGetTheErrorText) {
    EXPECT_EQ(run(texts({"GET", "Master"})).error,
              "Invalid params: Faderix.ActionManual(\"GET\",\"Master\")");
    EXPECT_EQ(run(texts({"GET", "Mastr", "Volume"}, 0x1F)).error,
              "Invalid params: Faderix.ActionManual(\"GET\",\"Mastr\",\"Volume\",0x1F)");
    EXPECT_EQ(run(texts({"GET", "Wave", "Volume"})).error,
              "Invalid params: Faderix.ActionManual(\"GET\",\"Wave\",\"Volume\",0x0)")
        << "a line type the mixer lacks";
    EXPECT_TRUE(run(texts({"GET", "Mic", "Mute"})).error) << "a control the line lacks";
    EXPECT_TRUE(run(texts({"GET", "Master", "Bass"})).error);

    ManualParams numeric = texts({"GET", "Master", "Volume"});
    numeric.kind[1] = 1;
    numeric.value[1] = -2;
    EXPECT_EQ(run(numeric).error, "Invalid params: Faderix.ActionManual(\"GET\",0xFFFFFFFE,\"Volume\",0x0)");
    EXPECT_EQ(run(numeric).value, 0);
}

TEST_F(ManualCommand, MalformedRecordsTakeTheErrorPath) {
    EXPECT_EQ(runManualCommand(*mixer, nullptr).error, "Invalid params: Faderix.ActionManual()");
    ManualParams tooMany = texts({"GET", "Master", "Volume"});
    tooMany.count = 5;
    EXPECT_EQ(run(tooMany).error, "Invalid params: Faderix.ActionManual(\"GET\",\"Master\",\"Volume\",0x0)");
    tooMany.count = INT32_MIN;
    EXPECT_EQ(run(tooMany).error, "Invalid params: Faderix.ActionManual()");
    ManualParams nullText = texts({"GET", "Master", "Volume"});
    nullText.value[1] = 0;
    EXPECT_EQ(run(nullText).error, "Invalid params: Faderix.ActionManual(\"GET\",(null),\"Volume\",0x0)");

    const std::string longText(400, 'x');
    ManualParams longParams = texts({longText.c_str(), "Master", "Volume"});
    longParams.count = 2;
    const auto error = run(longParams).error;
    ASSERT_TRUE(error);
    EXPECT_EQ(error->size(), 255u);
}
