#pragma once
// Reading a whole file into memory, the one loop every whole-file reader goes through; and the
// mark of such a read that lets the INI engine take its bytes as the file's content.
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "engine/file_stamp.h"

// Reads up to count bytes at offset into `into`: how many, 0 at the end of the file, -1 (errno
// set) on failure.
using ReadAt = std::function<ssize_t(char* into, std::size_t count, off_t offset)>;

struct WholeReadSteps {
    std::size_t stepBytes = 0;
    // After each step: whether to read on, given the bytes read and the size expected.
    std::function<bool(std::size_t done, std::size_t size)> goOn;
};

enum class WholeRead { Read, Failed, TooLarge, Stopped };

// Reads the file from its start into bytes, whose room is used again: size bytes as expected,
// less when it shrank meanwhile, and on to its end when it grew. Its steps are as given, or
// one request for the whole. Past maxSize bytes it stops with TooLarge.
WholeRead ReadWholeFile(const ReadAt& readAt, std::size_t size, std::size_t maxSize, std::string& bytes,
                        const WholeReadSteps& steps = {});

// Which state of a file bytes were read from: the stamp of the open file just before the read,
// and when the read began on the clock the file system stamps changes with.
struct ReadMark {
    FileStamp stamp;
    std::int64_t began = 0;  // nanoseconds
};
// Taken on the open file, right before its read.
ReadMark MarkRead(int fd);
// Whether no change to the file can have happened since the read began unseen by its stamp: a
// change within the clock tick the stamp is of would leave the stamp as it was.
bool SettledBefore(const ReadMark& mark);
