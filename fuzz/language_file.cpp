// A language file of any bytes: the table must load without crashing,
// every slot must hold its key's text or the part of it that fits in 999
// bytes without cutting a UTF-8 sequence, and every text must convert for
// the on-screen font. Run it through tests/support/run-isolated (scripts/fuzz
// does): the program's settings are read and written at start.

#include "config/ini_section.h"
#include "config/language_tables.h"
#include "config/windows1252.h"
#include "fuzz/fuzz_support.h"
#include "settings/settings.h"

#include <cstring>
#include <string>
#include <sys/stat.h>

namespace {

using skyloom::fuzz::ScratchFolder;

const std::string& LanguageFolder() {
    static const std::string folder = ScratchFolder() + "/fuzz-languages";
    return folder;
}

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    mkdir(LanguageFolder().c_str(), 0700);
    skyloom::AppDir.Set(LanguageFolder());
    skyloom::CurrentLanguage.Set("english");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = LanguageFolder() + "/text_english.ini";
    skyloom::fuzz::WriteWholeFile(path, data, size);

    // What the reader makes of the file, to hold the table against.
    skyloom::IniSection section;
    SKYLOOM_FUZZ_CHECK(section.Load(path, "Text"));

    skyloom::ReloadTexts();
    char onScreen[skyloom::kTextSlotSize];
    for (int key = 0; key < skyloom::kTextKeyCount; ++key) {
        const char* text = skyloom::GetText(static_cast<skyloom::TextKey>(key));
        const size_t length = strnlen(text, skyloom::kTextSlotSize);
        SKYLOOM_FUZZ_CHECK(length < skyloom::kTextSlotSize);
        // A key the file holds shows its text, cut between two characters
        // when it does not fit; a missing key keeps what it had.
        if (const std::string* value = section.Find(skyloom::TextKeyName(static_cast<skyloom::TextKey>(key)))) {
            SKYLOOM_FUZZ_CHECK(value->compare(0, length, text, length) == 0);
            SKYLOOM_FUZZ_CHECK(length == value->size() || !IsContinuationByte((*value)[length]));
        }
        skyloom::Utf8ToWindows1252(text, onScreen, sizeof onScreen);
        SKYLOOM_FUZZ_CHECK(strnlen(onScreen, sizeof onScreen) < sizeof onScreen);
    }
    return 0;
}
