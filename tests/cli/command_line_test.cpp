// The command line: options before FILE, words after it taken as they are, usage errors.
#include <gtest/gtest.h>

#include "cli/command_line.h"
#include "encoding/code_page.h"

namespace {

CommandLine Parse(std::vector<std::string> args) { return ParseCommandLine(args); }

Invocation Call(std::vector<std::string> args) {
    CommandLine line = Parse(std::move(args));
    if (const auto* usage = std::get_if<UsageError>(&line)) ADD_FAILURE() << usage->message;
    return std::holds_alternative<Invocation>(line) ? std::get<Invocation>(line) : Invocation{};
}

std::string Usage(std::vector<std::string> args) {
    CommandLine line = Parse(std::move(args));
    return std::holds_alternative<UsageError>(line) ? std::get<UsageError>(line).message : "<accepted>";
}

TEST(CommandLine, OptionsGoBeforeFileAndWordsAfterItAreTakenAsTheyAre) {
    const Invocation set = Call({"-n", "set", "--encoding=gbk", "a.ini", "s", "-k", "--help"});
    EXPECT_EQ(set.command, Command::Set);
    EXPECT_EQ(set.file, "a.ini");
    EXPECT_EQ(set.words, (std::vector<std::string>{"s", "-k", "--help"}));
    EXPECT_TRUE(set.dryRun);
    EXPECT_EQ(set.codePage, TCodePage::Gbk);

    const Invocation keys = Call({"keys", "-0", "-e", "big5", "--encoding", "auto", "--", "-a.ini", "s"});
    EXPECT_EQ(keys.file, "-a.ini");
    EXPECT_TRUE(keys.nullSeparated);
    EXPECT_EQ(keys.codePage, std::nullopt) << "the last --encoding counts";
    EXPECT_EQ(Call({"del", "a.ini", "s"}).command, Command::Remove);
    EXPECT_EQ(Call({"rename", "a.ini", "s", "k", "n"}).words.size(), 3u);
}

TEST(CommandLine, HelpAndVersionBeforeFile) {
    EXPECT_TRUE(std::holds_alternative<HelpRequest>(Parse({"--help"})));
    EXPECT_TRUE(std::holds_alternative<HelpRequest>(Parse({"get", "-h"})));
    EXPECT_TRUE(std::get<HelpRequest>(Parse({"--version"})).version);
    EXPECT_TRUE(std::holds_alternative<HelpRequest>(Parse({"-n", "set", "--help", "a.ini", "s", "k", "v"})));
    EXPECT_FALSE(std::holds_alternative<HelpRequest>(Parse({"set", "a.ini", "s", "k", "--help"}))) << "a value";
}

TEST(CommandLine, UsageErrors) {
    EXPECT_EQ(Usage({}), "no command given");
    EXPECT_EQ(Usage({"-n"}), "no command given");
    EXPECT_EQ(Usage({"fetch", "a.ini"}), "unknown command 'fetch'");
    EXPECT_EQ(Usage({"get"}), "get needs a FILE");
    EXPECT_EQ(Usage({"get", "a.ini", "s"}), "get takes SECTION KEY");
    EXPECT_EQ(Usage({"sections", "a.ini", "s"}), "sections takes no words after FILE");
    EXPECT_EQ(Usage({"rename", "a.ini", "s"}), "rename takes SECTION [KEY] NEWNAME");
    EXPECT_EQ(Usage({"-x", "get", "a.ini", "s", "k"}), "unknown option '-x'");
    EXPECT_EQ(Usage({"get", "-e"}), "-e needs an encoding name");
    EXPECT_EQ(Usage({"get", "--encoding=latin9", "a.ini", "s", "k"}), "unknown encoding 'latin9' (iniv --help lists them)");
    EXPECT_EQ(Usage({"set", "-0", "a.ini", "s", "k", "v"}), "--null is for what get, sections and keys print");
    EXPECT_EQ(Usage({"get", "--dry-run", "a.ini", "s", "k"}), "--dry-run is for set, del, rename and batch");
}

}  // namespace
