#include "app/compare_build.h"

#include "app/file_load.h"
#include "encoding/encoding_detection.h"
#include "encoding/encoding_memory.h"

namespace {

std::unique_ptr<TFileLoad> OpenForReading(const std::string& path) {
    return std::make_unique<TFileLoad>(
        TFileLoad::TRequest{path, {UserEncodingHints(), TEncodingMemory::OfUser(), std::nullopt, false}, nullptr});
}

}  // namespace

TCompareBuild::TCompareBuild(const std::string& left, const std::string& right,
                             std::function<void(TCompareBuild&)> finished)
    : leftLoad_(OpenForReading(left)), rightLoad_(OpenForReading(right)) {
    work_.Start([this] { return Run(); }, [this, finished = std::move(finished)] { finished(*this); });
}

TCompareBuild::~TCompareBuild() { Cancel(); }

void TCompareBuild::Cancel() {
    cancelled_ = true;
    leftLoad_->Cancel();
    rightLoad_->Cancel();
}

int TCompareBuild::Percent() const {
    const int compared = comparedPercent_;
    if (compared >= 0) return 50 + compared / 2;
    return (leftLoad_->PercentRead() + rightLoad_->PercentRead()) / 4;
}

TComparedFiles TCompareBuild::Run() {
    TComparedFiles files;
    files.left = leftLoad_->RunHere().document;
    if (cancelled_) return files;
    files.right = rightLoad_->RunHere().document;
    if (cancelled_) return files;
    comparedPercent_ = 0;
    TIniComparisonBuilder builder(*files.left, *files.right);
    while (!builder.Step()) {
        if (cancelled_) return files;
        comparedPercent_ = int(builder.Progress() * 100);
    }
    files.comparison.emplace(builder.Take());
    return files;
}
