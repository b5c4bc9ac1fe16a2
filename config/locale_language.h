#pragma once

#include <string_view>

namespace skyloom {

// The Windows primary language identifier (the low 10 bits of an LCID) of
// the user's message language, taken from LC_ALL, LC_MESSAGES or LANG,
// whichever is first set and not empty. 0 when that locale is "C" or
// "POSIX", names no language, or its language has no entry in the table.
int UserPrimaryLanguageId();

// The identifier of a POSIX locale name such as "de_DE.UTF-8" or
// "sr_RS@latin", from its ISO 639 language code; 0 when there is none.
int PrimaryLanguageIdForLocale(std::string_view locale);

// The upper-case name of a primary language identifier as Windows spells
// its LANG_ constant (0x07 gives "GERMAN"); null for identifiers without
// an entry, 0 included. Only the low 10 bits count.
const char* LanguageNameForId(int primaryLanguageId);

}  // namespace skyloom
