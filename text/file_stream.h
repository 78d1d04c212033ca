#pragma once
// Byte streams: the stream base, a stream over an open file handle, and a file opened by path.
#include <cstdint>
#include <string>

#include "platform/exception.h"
#include "platform/file_access.h"

DECLARE_ERROR_CLASS(EStreamError, Exception);
DECLARE_ERROR_CLASS(EFOpenError, EStreamError);
// A file too large to be loaded as one text (2 GiB or more).
DECLARE_ERROR_CLASS(EFileTooLarge, EFOpenError);

class TStream {
public:
    TStream() = default;
    TStream(const TStream&) = delete;
    TStream& operator=(const TStream&) = delete;
    virtual ~TStream() = default;

    // Reads up to count bytes into buffer; the number of bytes read, 0 on failure.
    virtual std::int32_t Read(void* buffer, std::int32_t count) = 0;
    // The new position, -1 on failure.
    virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;

    std::int64_t Position() { return Seek(0, TSeekOrigin::Current); }
    // Found by seeking to the end and back.
    std::int64_t Size();
};

class THandleStream : public TStream {
public:
    explicit THandleStream(TFileHandle handle) : handle_(handle) {}
    TFileHandle Handle() const { return handle_; }

    std::int32_t Read(void* buffer, std::int32_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;

private:
    TFileHandle handle_;
};

// An existing file opened for reading; others may read it meanwhile but not write it.
class TFileStream : public THandleStream {
public:
    // Raises EFOpenError "Cannot open file %s" when the file can't be opened.
    explicit TFileStream(const std::string& path);
    ~TFileStream() override;
};
