#include "inifile/memory_stream.h"

#include <algorithm>
#include <cstring>

std::int32_t TMemoryStream::Read(void* buffer, std::int32_t count) {
    const auto size = static_cast<std::int64_t>(bytes_.size());
    const std::int64_t available = std::max<std::int64_t>(0, size - position_);
    const auto n = static_cast<std::int32_t>(std::clamp<std::int64_t>(count, 0, available));
    if (n > 0) std::memcpy(buffer, bytes_.data() + position_, static_cast<std::size_t>(n));
    position_ += n;
    return n;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    const std::int64_t base = origin == TSeekOrigin::Beginning ? 0
                              : origin == TSeekOrigin::Current ? position_
                                                               : static_cast<std::int64_t>(bytes_.size());
    if (base + offset < 0) return -1;
    position_ = base + offset;
    return position_;
}

std::int32_t TMemoryStream::Write(const void* buffer, std::int32_t count) {
    if (count <= 0) return 0;
    const auto end = static_cast<std::size_t>(position_) + static_cast<std::size_t>(count);
    if (end > bytes_.size()) bytes_.resize(end);
    std::memcpy(bytes_.data() + position_, buffer, static_cast<std::size_t>(count));
    position_ += count;
    return count;
}
