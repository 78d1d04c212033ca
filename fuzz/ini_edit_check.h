#pragma once
// Runs the writes and reads that an input describes through the profile store, on files kept
// in memory, and checks every promise on the way: each write's bytes against what the format
// rules predict, failures and crashes injected into the save, undo and redo, another program's
// changes seen through the cache, the name lists. Shared by the fuzz target and by the unit
// test that replays its corpus and the inputs that once broke a promise.
#include <cstddef>
#include <cstdint>
#include <string>

// Input: one byte choosing the code page (UTF-8, 936, 949, 950, 932, 1252 or 54936), two bytes giving
// the length of the file's bytes, those bytes, then steps until the input ends.
// Returns what went wrong first, or an empty text when all held.
std::string CheckEditSequence(const std::uint8_t* data, std::size_t size);
