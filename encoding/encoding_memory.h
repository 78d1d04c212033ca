#pragma once
// The encodings the user chose for files, kept between runs in one small store file.
#include <optional>
#include <string>

#include "encoding/encoding_detection.h"

class TEncodingMemory {
public:
    // The store in storeFile; nothing is read or written before a call needs it. An empty
    // name stores nothing.
    explicit TEncodingMemory(std::string storeFile);
    // The user's store: "encodings" in the program's state folder.
    static TEncodingMemory OfUser();

    // The code page the user chose for the file at path, while the detector's verdict on the
    // file's current bytes is the one it gave when the choice was made: a file replaced by
    // other content is detected anew. Nullopt when there is none, or the store is missing or
    // unreadable.
    std::optional<TCodePage> Recall(const std::string& path, const TFileEncoding& verdict) const;
    // Remembers codePage as the user's choice for the file at path, whose bytes the detector
    // now gives verdict for (the detector's, not a remembered choice). Choosing the verdict's
    // own code page forgets the file. The store is replaced whole (written beside it, flushed,
    // renamed over it) under a lock on its folder; unreadable lines in it are dropped. False
    // when it could not be written.
    bool Remember(const std::string& path, const TFileEncoding& verdict, TCodePage codePage);

private:
    std::string storeFile_;
};
