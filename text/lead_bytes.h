#pragma once
// The bytes that begin a two-byte character in the user's code page, and the classification
// of a byte in a text built on them.
#include <bitset>
#include <string>

#include "encoding/locale_info.h"

using TByteSet = std::bitset<256>;

const TByteSet& LeadByteSet();
// True when the user's locale uses a double-byte code page.
bool DoubleByteLocale();

// (Re)builds both from the thread's locale and the ANSI code page. Called at start-up, before
// any window exists, and whenever the locale settings are read again.
void InitLeadByteSet();
// The same from an explicit locale id.
void InitLeadByteSet(TLocaleId localeId);

enum TByteKind { ByteKindSingle = 0, ByteKindLead = 1, ByteKindTrail = 2 };

// What the byte at the 1-based index is: a single-byte character, or the lead or trail byte of
// a double-byte one.
TByteKind ByteKind(const std::string& text, int index);
