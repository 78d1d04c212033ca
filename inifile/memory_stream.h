#pragma once
// A stream over bytes in memory, which can also be written: the target of ReadBytesValue.
#include <cstdint>
#include <string>

#include "text/file_stream.h"

class TMemoryStream : public TStream {
public:
    std::int32_t Read(void* buffer, std::int32_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    // Writes at the position and moves past what it wrote, growing the stream as needed.
    std::int32_t Write(const void* buffer, std::int32_t count);

    const std::string& Bytes() const { return bytes_; }

private:
    std::string bytes_;
    std::int64_t position_ = 0;
};
