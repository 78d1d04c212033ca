#pragma once
// Runs the writes and reads that an input describes on the INI core and checks every promise
// of an edit on the way. Shared by the fuzz target and by the unit test that replays its corpus
// and the crashes it found.
#include <cstddef>
#include <cstdint>
#include <string>

// Input: one byte choosing the code page (single-byte, 936 or 932), two bytes giving the
// length of the file's bytes, those bytes, then edits until the input ends.
// Returns what went wrong first, or an empty text when all held.
std::string CheckEditSequence(const std::uint8_t* data, std::size_t size);
