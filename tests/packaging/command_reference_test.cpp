// SPDX-License-Identifier: GPL-2.0-or-later
#include "command_reference.h"

#include <gtest/gtest.h>

namespace {

const char* const kHelp = "Usage: tool [--plugin PATH] COMMAND\n"
                          "\n"
                          "Does things.\n"
                          "\n"
                          "Commands:\n"
                          "  apply NAME [TAG]        apply it\n"
                          "  list                    list them\n"
                          "\n"
                          "Options:\n"
                          "  --plugin PATH           load from PATH\n"
                          "  -h, --help              show this help\n";

const char* const kPage = ".TH TOOL 1 \"May\" \"tool 2.1\" \"User Commands\"\n"
                          ".SH SYNOPSIS\n"
                          ".B tool\n"
                          ".RB [ \\-\\-plugin\n"
                          ".IR PATH ]\n"
                          ".I COMMAND\n"
                          ".SH DESCRIPTION\n"
                          "Does \\fBthings\\fR.\n"
                          ".SH COMMANDS\n"
                          ".TP\n"
                          ".BI apply \" NAME \" [ TAG ]\n"
                          "apply it\n"
                          ".TP\n"
                          ".B list\n"
                          "list them\n"
                          ".SH OPTIONS\n"
                          ".TP\n"
                          ".BI \\-\\-plugin \" PATH\"\n"
                          "load from\n"
                          ".I PATH\n"
                          ".TP\n"
                          ".BR \\-h \", \" \\-\\-help\n"
                          "show this help\n"
                          ".SH FILES\n"
                          "none\n";

TEST(CommandReference, HelpAndPageReduceToTheSameTerms) {
    const CommandReference help = ParseHelp(kHelp, "tool 2.1\n");
    const CommandReference page = ParseManPage(kPage);
    EXPECT_EQ(help.usage, "tool [--plugin PATH] COMMAND");
    EXPECT_EQ(page.usage, "tool [--plugin PATH] COMMAND");
    EXPECT_EQ(page.version, "tool 2.1");
    const std::vector<std::string> options = {"--plugin PATH", "-h, --help"};
    EXPECT_EQ(help.sections.at("OPTIONS"), options);
    EXPECT_EQ(page.sections.at("OPTIONS"), options);
    EXPECT_EQ(page.sections.at("COMMANDS"), (std::vector<std::string>{"apply NAME [TAG]", "list"}));
    EXPECT_TRUE(CompareReferences(help, page).empty());
}

TEST(CommandReference, EveryKindOfDriftIsReported) {
    const CommandReference page = ParseManPage(kPage);

    // An option added to the program only.
    std::string added = kHelp;
    added += "  --verbose               say more\n";
    EXPECT_EQ(CompareReferences(ParseHelp(added, "tool 2.1"), page).size(), 1u);

    // A renamed argument, a changed usage line and a new version.
    std::string renamed = kHelp;
    renamed.replace(renamed.find("apply NAME"), 10, "apply FILE");
    renamed.replace(0, renamed.find('\n'), "Usage: tool COMMAND");
    EXPECT_EQ(CompareReferences(ParseHelp(renamed, "tool 2.2"), page).size(), 3u);

    // A section the page lists that --help has lost.
    const std::string noCommands = "Usage: tool [--plugin PATH] COMMAND\n"
                                   "Options:\n"
                                   "  --plugin PATH  load\n"
                                   "  -h, --help  show\n";
    const auto differences = CompareReferences(ParseHelp(noCommands, "tool 2.1"), page);
    ASSERT_EQ(differences.size(), 1u);
    EXPECT_NE(differences[0].find("COMMANDS"), std::string::npos);
}

TEST(CommandReference, TermsEndAtTwoSpacesAndSectionsAtABlankLine) {
    const CommandReference help = ParseHelp("Usage: t\n"
                                            "Environment:\n"
                                            "  A_VARIABLE  one two  three\n"
                                            "   continued description\n"
                                            "\n"
                                            "  after the blank line: not a term\n",
                                            "");
    EXPECT_EQ(help.sections.at("ENVIRONMENT"), std::vector<std::string>{"A_VARIABLE"});
}

} // namespace
