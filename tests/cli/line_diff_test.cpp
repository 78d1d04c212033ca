// Unified diff hunks from the record of an edit: whole lines, context, line numbers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/line_diff.h"
#include "engine/edit_sequence.h"

namespace {

// The diff of the edits on `before`, as `diff -u` prints its hunks.
std::string Diff(const std::string& before, const std::vector<DocumentEdit>& edits, std::size_t context = 3) {
    IniDocument document(before);
    EditRecord change;
    EXPECT_EQ(RunEdits(document, edits, change), EditResult::Changed);
    std::string text;
    for (const DiffHunk& hunk : LineDiff(before, document.Bytes(), change, context)) {
        text += "@@ -" + std::to_string(hunk.oldFirst) + "," + std::to_string(hunk.oldCount) + " +" +
                std::to_string(hunk.newFirst) + "," + std::to_string(hunk.newCount) + " @@\n";
        for (const DiffLine& line : hunk.lines)
            text += line.mark + std::string(line.text) + "\n" + (line.ended ? "" : "\\ No newline at end of file\n");
    }
    return text;
}

std::string Lines(int first, int last) {
    std::string text;
    for (int i = first; i <= last; ++i) text += "k" + std::to_string(i) + "=" + std::to_string(i) + "\n";
    return text;
}

DocumentEdit Set(std::string section, std::string key, std::string value) {
    return [=](IniDocument& d) { return d.SetValue(section, key, value); };
}

TEST(LineDiff, AChangedValueWithTheLinesAroundIt) {
    EXPECT_EQ(Diff("[a]\n" + Lines(1, 9), {Set("a", "k5", "five")}),
              "@@ -3,7 +3,7 @@\n k2=2\n k3=3\n k4=4\n-k5=5\n+k5=five\n k6=6\n k7=7\n k8=8\n");
    EXPECT_EQ(Diff("[a]\r\nk=1\r\n", {Set("a", "k", "2")}), "@@ -1,2 +1,2 @@\n [a]\r\n-k=1\r\n+k=2\r\n")
        << "a CR is part of its line";
}

TEST(LineDiff, ChangesFarApartAreHunksOfTheirOwnAndNearOnesShareOne) {
    const std::string before = "[a]\n" + Lines(1, 20);
    EXPECT_EQ(Diff(before, {Set("a", "k18", "x"), Set("a", "k2", "y")}, 1),
              "@@ -2,3 +2,3 @@\n k1=1\n-k2=2\n+k2=y\n k3=3\n"
              "@@ -18,3 +18,3 @@\n k17=17\n-k18=18\n+k18=x\n k19=19\n");
    EXPECT_EQ(Diff(before, {Set("a", "k2", "y"), Set("a", "k5", "x")}, 1),
              "@@ -2,6 +2,6 @@\n k1=1\n-k2=2\n+k2=y\n k3=3\n k4=4\n-k5=5\n+k5=x\n k6=6\n");
}

TEST(LineDiff, RemovedAndAddedLinesCountInTheLineNumbersAfterThem) {
    const std::string before = "[a]\n" + Lines(1, 3) + "[b]\n" + Lines(4, 12);
    const DocumentEdit removeA = [](IniDocument& d) { return d.RemoveSection("a"); };
    EXPECT_EQ(Diff(before, {removeA, Set("b", "k11", "x")}, 1),
              "@@ -1,5 +1,1 @@\n-[a]\n-k1=1\n-k2=2\n-k3=3\n [b]\n"
              "@@ -12,3 +8,3 @@\n k10=10\n-k11=11\n+k11=x\n k12=12\n");
    EXPECT_EQ(Diff("[a]\nk=1\n", {Set("a", "new", "2")}, 0), "@@ -2,0 +3,1 @@\n+new=2\n");
    EXPECT_EQ(Diff("", {Set("a", "k", "1")}), "@@ -0,0 +1,2 @@\n+[a]\n+k=1\n");
}

TEST(LineDiff, ALastLineWithoutLineEnd) {
    EXPECT_EQ(Diff("[a]\nk=1", {Set("a", "k", "2")}),
              "@@ -1,2 +1,2 @@\n [a]\n-k=1\n\\ No newline at end of file\n+k=2\n\\ No newline at end of file\n");
    EXPECT_EQ(Diff("[a]\nk=1", {Set("b", "x", "y")}),
              "@@ -1,2 +1,4 @@\n [a]\n-k=1\n\\ No newline at end of file\n+k=1\n+[b]\n+x=y\n");
}

}  // namespace
