#pragma once

#include <cstddef>

namespace skyloom {

// Every text the program shows, looked up by key in one process-wide
// table that the language files fill: text_<language>.ini in the data
// folder (DataFolder), section "Text", UTF-8. English is the base that the
// chosen language is laid over.

// The keys, in table order.
#define SKYLOOM_TEXT_KEYS(KEY)                                                                          \
    KEY(T_LANGUAGE) KEY(T_TRANSLATOR) KEY(T_256COLORS) KEY(T_CHOOSE) KEY(T_VERSION) KEY(T_PRESENTS)     \
    KEY(T_NO3DACCELERATION) KEY(T_16BITCOLOR) KEY(T_SUPERNOVAE) KEY(T_REDGIANTS) KEY(T_NEBULAESTORMS)   \
    KEY(T_DARKPATCHESINNEBULAE) KEY(T_CONSTELLATIONLINES) KEY(T_LENSFLARES) KEY(T_SUNFLARES)            \
    KEY(T_FADEFROMDESKTOP) KEY(T_SHOWTIME) KEY(T_SHOWFRAMERATE) KEY(T_LOWDETAIL)                        \
    KEY(T_MONITORPOWERSAVING) KEY(T_PRIMARYMONITORONLY) KEY(T_ZERO) KEY(T_FAST) KEY(T_SMALL)            \
    KEY(T_LARGE) KEY(T_NONE) KEY(T_MANY) KEY(T_DESKFADECOMPLETE) KEY(T_MOVEMENTSPEED)                   \
    KEY(T_FIELDOFVIEW) KEY(T_SUNS) KEY(T_STARS) KEY(T_NEBULAE) KEY(T_DESKFADE) KEY(T_CAMERAROTATION)    \
    KEY(T_SUNSCOLOR) KEY(T_NEBULAECOLOR) KEY(T_CLOCKWISE) KEY(T_COUNTERCLOCKWISE) KEY(T_RANDOM)         \
    KEY(T_MIXTURE) KEY(T_OFFWHITE) KEY(T_RESTOREDEFAULTS) KEY(T_PREVIEW) KEY(T_INTRODUCTION)            \
    KEY(T_CONTROLS) KEY(T_MUSIC) KEY(T_VISIT) KEY(T_EMAIL) KEY(T_INTERNET) KEY(T_STARTMUSICPLAYER)      \
    KEY(T_PLAYLIST) KEY(T_SELECT) KEY(T_ABOUTPLAYLISTS1) KEY(T_ABOUTPLAYLISTS2)

#define SKYLOOM_TEXT_KEY_ENUMERATOR(name) name,
enum TextKey : int { SKYLOOM_TEXT_KEYS(SKYLOOM_TEXT_KEY_ENUMERATOR) kTextKeyCount };
#undef SKYLOOM_TEXT_KEY_ENUMERATOR

// Bytes of one table slot and of one language list entry, terminator
// included: a text holds at most 999 bytes, cut before a UTF-8 sequence
// that would not fit whole.
inline constexpr size_t kTextSlotSize = 1000;
// Room in the language list; further language files are not listed.
inline constexpr int kMaxLanguages = 100;

// The key's own name, "T_SUNS" for T_SUNS; "" for a value outside the keys.
const char* TextKeyName(TextKey key);

// The key's text in the current language. The pointer stays valid for the
// life of the process; the characters change when the table is reloaded.
// "" for a value outside the keys.
const char* GetText(TextKey key);

// The start-up step of both the saver and the configuration dialog, run
// first thing in CommonStartup before any text is shown: on the first
// start for the user (UCA 0) chooses the language from the user's locale,
// counts the start in UCA and runs LoadLanguageTables.
void ChooseStartLanguage();

// Lists the language files of the data folder (sorted by name, at most
// kMaxLanguages) and loads English and then the CurrentLanguage over it.
// Rewrites CurrentLanguage to "english" when its file is missing, and to
// "" (key names) when there is no English file either or no file at all.
void LoadLanguageTables();

// Reads every key from the file of CurrentLanguage into the table. A key
// the file lacks, or a missing file, leaves the slot as it was. With
// CurrentLanguage "" or no data folder every slot gets its key's name.
void ReloadTexts();

// The languages found by LoadLanguageTables, in list order.
int LanguageCount();
// Null outside 0 .. LanguageCount() - 1.
const char* LanguageName(int index);

}  // namespace skyloom
