// The window and iniv open a file alike: for the same bytes and the same chosen encoding they
// read it in the same code page and agree on whether it may be written.
#include "main_window_fixture.h"

#include <QComboBox>
#include <QLabel>

#include <sstream>

#include "cli/iniv.h"
#include "encoding/code_page.h"
#include "ui/combo_box.h"
#include "ui/label.h"

namespace apptest {
namespace {

// Valid UTF-8 for more than the detector's sample, then a byte that no UTF-8 holds: a look at
// the start and a look at the whole file judge it differently.
std::string Utf8WithALateStrayByte() {
    std::string bytes = "[a]\nk=星海\n[fill]\n";
    while (bytes.size() < (std::size_t(3) << 19)) bytes += "f=" + std::string("中文内容，") + "一二三四五六七八九十\n";
    return bytes + "[tail]\nk=\xFF\n";
}

struct InivAnswer {
    int status;
    std::string out, err;
};

InivAnswer RunInivHere(std::vector<std::string> args) {
    std::istringstream in;
    std::ostringstream out, err;
    const int status = RunIniv(args, in, out, err);
    return {status, out.str(), err.str()};
}

class OpenAgreementTest : public MainWindowTest {
protected:
    QComboBox* EncodingBox() const { return static_cast<QComboBox*>(WidgetOf(*main->EncodingBox)); }
    bool WindowReadOnly() const {
        return static_cast<QLabel*>(WidgetOf(*main->LineEndLabel))->text().contains(QString::fromUtf8("只读"));
    }
};

TEST_F(OpenAgreementTest, TheWindowAndInivReadAndRefuseTheSameFileAlike) {
    ScopedLocale desktop("zh_CN.UTF-8", TCodePage::Utf8);
    const std::string bytes = Utf8WithALateStrayByte();
    const std::string path = Load(bytes);
    // Detected from the sample: UTF-8, and nothing refused.
    ASSERT_EQ(EncodingBox()->currentText(), "UTF-8");
    EXPECT_FALSE(WindowReadOnly());

    int refusedChoices = 0;
    for (const char* chosen : {"", "UTF-8", "GBK", "Big5", "Windows-1252"}) {
        SCOPED_TRACE(chosen);
        std::vector<std::string> options;
        if (*chosen) {
            const int index = EncodingBox()->findText(chosen);
            ASSERT_GE(index, 0);
            EncodingBox()->setCurrentIndex(index);
            ASSERT_EQ(EncodingBox()->currentText(), chosen);
            options = {"--encoding", chosen};
        }
        // The same value read in the same code page: iniv prints it as the window shows it, or
        // names that code page when the terminal cannot show what it reads.
        std::vector<std::string> get = options;
        get.insert(get.end(), {"get", path, "a", "k"});
        const InivAnswer read = RunInivHere(get);
        const QString shown = list->model()->index(0, 1).data().toString();
        if (read.status == ExitDone)
            EXPECT_EQ(read.out, shown.toStdString() + "\n");
        else
            EXPECT_NE(read.err.find("not valid " + EncodingBox()->currentText().toStdString() + ", the file's encoding"),
                      std::string::npos) << read.err;

        std::vector<std::string> set = options;
        set.insert(set.end(), {"--dry-run", "set", path, "a", "k", "v"});
        const InivAnswer write = RunInivHere(set);
        EXPECT_EQ(write.status == ExitFailed, WindowReadOnly()) << write.err;
        refusedChoices += WindowReadOnly();
    }
    EXPECT_GT(refusedChoices, 0) << "no choice tried the refusal";
    EXPECT_EQ(ReadBytes(path), bytes);
}

}  // namespace
}  // namespace apptest
