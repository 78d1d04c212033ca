#pragma once
// Whether a file's bytes may be written back at all, by the window or by iniv: one decision
// for both, each saying it in its own words.
#include <cstddef>
#include <string_view>

#include "encoding/encoding_detection.h"

enum class TContentRefusal {
    None,
    OtherEncoding,  // the bytes do not read in the code page chosen for them: a write would mix two
    Binary,         // a NUL byte near the start: no text file, whatever code page it reads in
};

// How far into a file a NUL byte marks it as no text.
constexpr std::size_t BinaryProbeBytes = 64 * 1024;

// Why bytes, whose detected encoding is verdict, must not be written when read as encoding.
TContentRefusal ContentRefusal(std::string_view bytes, const TFileEncoding& verdict, const TFileEncoding& encoding);
