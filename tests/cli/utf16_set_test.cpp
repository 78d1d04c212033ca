// iniv and the window's document give a UTF-16 file the same bytes for the same command.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/iniv.h"
#include "document/document.h"
#include "encoding/code_page.h"
#include "tests/document/utf16_fixtures.h"
#include "support/file_bytes.h"
#include "text/temp_folder.h"

namespace {

TEST(Utf16Set, InivWritesTheBytesTheDocumentWrites) {
    SetAnsiCodePage(TCodePage::Utf8);
    for (const Utf16Fixture& fixture : {LittleEndianFixture(), BigEndianFixture()}) {
        TempFolder folder;
        const std::string byDocument = folder.File("document.ini", fixture.original);
        const std::string byIniv = folder.File("iniv.ini", fixture.original);

        TDocument document(byDocument);
        document.Open(ReadFile(byDocument), {EncodingHintsOfLocale("zh_CN.UTF-8"), TEncodingMemory(std::string()), {}, false});
        ASSERT_TRUE(document.SetValue("s", "k", "中文").Succeeded());

        const std::vector<std::string> args = {"set", byIniv, "s", "k", "中文"};
        std::istringstream in;
        std::ostringstream out, err;
        ASSERT_EQ(RunIniv(args, in, out, err), ExitDone) << err.str();

        EXPECT_EQ(ReadFile(byDocument), fixture.chinese);
        EXPECT_EQ(ReadFile(byIniv), fixture.chinese);
    }
}

}  // namespace
