// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace {

struct Answer {
    std::optional<int> code;
    std::string output;
};

Answer Ask(const std::vector<const char*>& arguments) {
    std::vector<const char*> argv = {"corvane"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    char* buffer = nullptr;
    std::size_t size = 0;
    FILE* out = open_memstream(&buffer, &size);
    Answer answer;
    answer.code = AnswerInformationOption(static_cast<int>(argv.size()), argv.data(), out);
    std::fclose(out);
    answer.output.assign(buffer, size);
    std::free(buffer);
    return answer;
}

TEST(CommandLine, HelpAndVersionAnswerWithoutStarting) {
    for (const char* option : {"-h", "--help"}) {
        const Answer help = Ask({option});
        EXPECT_EQ(help.code, 0);
        EXPECT_EQ(help.output.rfind("Usage: corvane [FILE...]\n", 0), 0u) << help.output;
    }
    const Answer version = Ask({"--version"});
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.output, std::string(kApplicationTitle) + "\n");
}

TEST(CommandLine, EverythingElseStartsTheProgramWithFiles) {
    // No arguments, files, a file named like an option beside others, and Qt's own options all start it.
    for (const auto& arguments : std::vector<std::vector<const char*>>{{},
                                                                       {"film.mkv"},
                                                                       {"--help", "song.ogg"},
                                                                       {"song.ogg", "--version"},
                                                                       {"-platform"},
                                                                       {"--helpful"}}) {
        const Answer answer = Ask(arguments);
        EXPECT_FALSE(answer.code);
        EXPECT_EQ(answer.output, "");
    }
}

} // namespace
