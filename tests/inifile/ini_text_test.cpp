#include <gtest/gtest.h>

#include <functional>

#include "inifile/ini_file.h"
#include "inifile/ini_text.h"
#include "encoding/code_page.h"
#include "text/string_list.h"

namespace {

std::vector<std::string> Lines(const TStringList& list) {
    std::vector<std::string> lines;
    for (int i = 0; i < list.LineCount(); ++i) lines.push_back(list.LineAt(i));
    return lines;
}

}  // namespace

TEST(TIniText, ReadsLikeTheFileAndRefusesEveryWrite) {
    TIniText text("/data/setup.ini", "; 安装\r\n[常规]\r\n名称 = \"欢迎 \"\r\n=空\r\n[其他]\r\nk=v\r\n", CodePageUtf8);
    TStringList list;
    text.ReadSectionNames(list);
    EXPECT_EQ(Lines(list), (std::vector<std::string>{"常规", "其他"}));
    text.ReadKeyNames("常规", list);
    EXPECT_EQ(Lines(list), (std::vector<std::string>{"名称", ""})) << "an empty name is a name";
    EXPECT_EQ(text.ReadValue("常规", "名称", "-"), "欢迎 ");
    EXPECT_EQ(text.ReadValue("常规", "缺少", "-"), "-");
    text.ReadKeyValuePairs("常规", list);
    EXPECT_EQ(Lines(list), (std::vector<std::string>{"名称=欢迎 ", "=空"}));

    for (const auto& write : std::initializer_list<std::function<void()>>{
             [&] { text.WriteValue("常规", "名称", "x"); },
             [&] { text.RemoveKey("常规", "名称"); },
             [&] { text.RemoveSection("其他"); }}) {
        try {
            write();
            ADD_FAILURE() << "a write went through";
        } catch (const EIniFileException& e) {
            EXPECT_EQ(e.Reason(), IniFailure::CannotHold);
            EXPECT_EQ(e.Message().rfind("Unable to write to /data/setup.ini.", 0), 0u) << e.Message();
        }
    }
    EXPECT_EQ(text.ReadValue("其他", "k", "-"), "v");
}
