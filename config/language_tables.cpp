#include "config/language_tables.h"

#include "config/data_folder.h"
#include "config/ini_section.h"
#include "config/locale_language.h"
#include "settings/settings.h"
#include "settings/value_text.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace skyloom {

namespace {

#define SKYLOOM_TEXT_KEY_NAME(name) #name,
constexpr const char* kKeyNames[] = {SKYLOOM_TEXT_KEYS(SKYLOOM_TEXT_KEY_NAME)};
#undef SKYLOOM_TEXT_KEY_NAME
static_assert(sizeof kKeyNames / sizeof kKeyNames[0] == kTextKeyCount);

constexpr char kEnglish[] = "english";
constexpr std::string_view kFilePrefix = "text_";
constexpr std::string_view kFileSuffix = ".ini";

// Fixed slots, so a text is never allocated and its pointer never moves.
char TextTable[kTextKeyCount][kTextSlotSize];
char LanguageList[kMaxLanguages][kTextSlotSize];
int LanguageListCount = 0;

bool IsKey(TextKey key) { return key >= 0 && key < kTextKeyCount; }

void CopyToSlot(char (&slot)[kTextSlotSize], std::string_view text) {
    const std::string_view fitting = TruncateUtf8(text, kTextSlotSize - 1);
    std::memcpy(slot, fitting.data(), fitting.size());
    slot[fitting.size()] = '\0';
}

std::string LanguageFilePath(std::string_view folder, std::string_view language) {
    std::string path(folder);
    path += '/';
    path += kFilePrefix;
    path += language;
    path += kFileSuffix;
    return path;
}

// A regular file that opens for reading.
bool IsReadableFile(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return false;
    }
    std::FILE* file = std::fopen(path.c_str(), "r");
    if (file == nullptr) {
        return false;
    }
    std::fclose(file);
    return true;
}

// The names of the regular files text_<name>.ini in the folder, sorted so
// that the order does not depend on the file system, at most
// kMaxLanguages. A name that the CurrentLanguage setting could not hold
// whole, or an empty one, could never be chosen and is left out.
std::vector<std::string> FindLanguageNames(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    std::filesystem::directory_iterator entry(folder, error);
    for (; !error && entry != std::filesystem::directory_iterator(); entry.increment(error)) {
        const std::string file = entry->path().filename().string();
        if (file.size() <= kFilePrefix.size() + kFileSuffix.size() || !file.starts_with(kFilePrefix) ||
            !file.ends_with(kFileSuffix)) {
            continue;
        }
        std::error_code typeError;
        if (!entry->is_regular_file(typeError)) {
            continue;
        }
        std::string name = file.substr(kFilePrefix.size(), file.size() - kFilePrefix.size() - kFileSuffix.size());
        if (name.size() <= StringSetting::kMaxLength) {
            names.push_back(std::move(name));
        }
    }
    std::sort(names.begin(), names.end());
    if (names.size() > static_cast<size_t>(kMaxLanguages)) {
        names.resize(kMaxLanguages);
    }
    return names;
}

// Lays the texts of a language over the table; the empty name gives
// the key names.
void LoadTexts(const std::string& language) {
    const std::string folder = language.empty() ? std::string() : DataFolder();
    if (language.empty() || folder.empty()) {
        for (int key = 0; key < kTextKeyCount; ++key) {
            CopyToSlot(TextTable[key], kKeyNames[key]);
        }
        return;
    }
    IniSection section;
    if (!section.Load(LanguageFilePath(folder, language), "Text")) {
        return;
    }
    for (int key = 0; key < kTextKeyCount; ++key) {
        if (const std::string* text = section.Find(kKeyNames[key])) {
            CopyToSlot(TextTable[key], *text);
        }
    }
}

// The language of a first start: the locale's when its file is there.
std::string FirstStartLanguage() {
    const char* localeName = LanguageNameForId(UserPrimaryLanguageId());
    const std::string folder = DataFolder();
    // Without a data folder there is nothing to look for.
    if (localeName == nullptr || folder.empty()) {
        return kEnglish;
    }
    std::string language = localeName;
    std::transform(language.begin(), language.end(), language.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return IsReadableFile(LanguageFilePath(folder, language)) ? language : kEnglish;
}

// Savers on several monitors start together and read the shared settings:
// the stored language changes at most once, straight to its final value.
void StoreLanguage(const std::string& language) {
    if (language != CurrentLanguage.Get()) {
        CurrentLanguage.Set(language);
    }
}

}  // namespace

const char* TextKeyName(TextKey key) { return IsKey(key) ? kKeyNames[key] : ""; }

const char* GetText(TextKey key) { return IsKey(key) ? TextTable[key] : ""; }

int LanguageCount() { return LanguageListCount; }

const char* LanguageName(int index) {
    return index >= 0 && index < LanguageListCount ? LanguageList[index] : nullptr;
}

void ChooseStartLanguage() {
    if (UCA.Get() == 0) {
        StoreLanguage(FirstStartLanguage());
    }
    UCA.Increment();
    LoadLanguageTables();
}

void LoadLanguageTables() {
    for (char(&slot)[kTextSlotSize] : TextTable) {
        slot[0] = '\0';
    }
    LanguageListCount = 0;

    const std::string folder = DataFolder();
    const std::vector<std::string> names = folder.empty() ? std::vector<std::string>() : FindLanguageNames(folder);
    const std::string current = CurrentLanguage.Get();
    bool currentFound = false;
    bool englishFound = false;
    for (const std::string& name : names) {
        CopyToSlot(LanguageList[LanguageListCount++], name);
        currentFound = currentFound || name == current;
        englishFound = englishFound || name == kEnglish;
    }

    const std::string chosen = currentFound ? current : englishFound ? kEnglish : "";
    if (englishFound && chosen != kEnglish) {
        LoadTexts(kEnglish);
    }
    LoadTexts(chosen);
    StoreLanguage(chosen);
}

void ReloadTexts() { LoadTexts(CurrentLanguage.Get()); }

}  // namespace skyloom
