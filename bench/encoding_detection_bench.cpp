// How long deciding a large file's encoding takes, next to counting its line feeds: the
// detector runs on every load. In memory, so that only the detector is measured.
// Usage: bench_encoding_detection
#include <cstdio>
#include <cstring>
#include <string>

#include "bench/best_seconds.h"
#include "encoding/code_page.h"
#include "encoding/code_page_conversion.h"
#include "encoding/encoding_detection.h"
#include "encoding/line_ends.h"

namespace {

constexpr int Runs = 3;

long long CountLineFeeds(const std::string& bytes) {
    long long lineFeeds = 0;
    const char* end = bytes.data() + bytes.size();
    for (const char* at = bytes.data();
         (at = static_cast<const char*>(std::memchr(at, '\n', end - at))); ++at)
        ++lineFeeds;
    return lineFeeds;
}

// lines lines of about 40 bytes, each holding a GBK value when gbk is set.
std::string MakeText(int lines, bool gbk) {
    const std::string value = gbk ? *Utf8ToCodePage("星海远征客户端配置", TCodePage::Gbk) : "some ascii value";
    std::string text;
    for (int i = 0; i < lines; ++i)
        text += (i % 50 == 0 ? "[section " + std::to_string(i) + "]"
                             : "key" + std::to_string(i) + "=" + value) + "\r\n";
    return text;
}

void Report(const char* name, const std::string& bytes) {
    const TEncodingHints hints = EncodingHintsOfLocale("zh_CN.UTF-8");
    TFileEncoding found;
    const double detect = BestSeconds(Runs, [&] { found = DetectEncoding(bytes, hints); });
    TLineEnds ends = TLineEnds::None;
    const double lineEnds = BestSeconds(Runs, [&] { ends = DetectLineEnds(bytes, found.codePage); });
    long long lineFeeds = 0;
    const double count = BestSeconds(Runs, [&] { lineFeeds = CountLineFeeds(bytes); });
    std::printf("%-28s %6.1f MiB  code page %5u  detect %.3f s  line ends %.3f s (%d)  "
                "count line feeds %.3f s (%lld)\n",
                name, static_cast<double>(bytes.size()) / (1 << 20), CodePageNumber(found.codePage), detect,
                lineEnds, static_cast<int>(ends), count, lineFeeds);
}

}  // namespace

int main() {
    std::string ascii = MakeText(5'000'000, false);
    ascii += "last=" + *Utf8ToCodePage("最后", TCodePage::Gbk) + "\r\n";
    Report("ASCII, one GBK line at end", ascii);
    Report("GBK value on every line", MakeText(2'000'000, true));
}
