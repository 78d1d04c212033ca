#include "text/file_stream.h"

namespace {
TFileHandle OpenOrRaise(const std::string& path) {
    const TFileHandle handle = OpenFileForReading(path);
    if (handle == InvalidFileHandle) throw EFOpenError(FormatMessage("Cannot open file %s", path));
    return handle;
}
}  // namespace

std::int64_t TStream::Size() {
    const std::int64_t position = Position();
    const std::int64_t size = Seek(0, TSeekOrigin::End);
    Seek(position, TSeekOrigin::Beginning);
    return size;
}

std::int32_t THandleStream::Read(void* buffer, std::int32_t count) {
    const std::int64_t read = FileRead(handle_, buffer, count);
    return read < 0 ? 0 : static_cast<std::int32_t>(read);
}

std::int64_t THandleStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    return FileSeek(handle_, offset, origin);
}

TFileStream::TFileStream(const std::string& path) : THandleStream(OpenOrRaise(path)) {}

TFileStream::~TFileStream() { FileClose(Handle()); }
