#include "config/locale_language.h"

#include <cstdlib>
#include <iterator>

namespace skyloom {

namespace {

struct LanguageEntry {
    int id;
    const char* name;
};

// Windows primary language identifiers and the names of their LANG_ constants.
constexpr LanguageEntry kLanguageNames[] = {
    {0x01, "ARABIC"},     {0x02, "BULGARIAN"},  {0x03, "CATALAN"},    {0x04, "CHINESE"},
    {0x05, "CZECH"},      {0x06, "DANISH"},     {0x07, "GERMAN"},     {0x08, "GREEK"},
    {0x09, "ENGLISH"},    {0x0A, "SPANISH"},    {0x0B, "FINNISH"},    {0x0C, "FRENCH"},
    {0x0D, "HEBREW"},     {0x0E, "HUNGARIAN"},  {0x0F, "ICELANDIC"},  {0x10, "ITALIAN"},
    {0x11, "JAPANESE"},   {0x12, "KOREAN"},     {0x13, "DUTCH"},      {0x14, "NORWEGIAN"},
    {0x15, "POLISH"},     {0x16, "PORTUGUESE"}, {0x18, "ROMANIAN"},   {0x19, "RUSSIAN"},
    {0x1A, "SERBIAN"},    {0x1B, "SLOVAK"},     {0x1C, "ALBANIAN"},   {0x1D, "SWEDISH"},
    {0x1E, "THAI"},       {0x1F, "TURKISH"},    {0x20, "URDU"},       {0x21, "INDONESIAN"},
    {0x22, "UKRAINIAN"},  {0x23, "BELARUSIAN"}, {0x24, "SLOVENIAN"},  {0x25, "ESTONIAN"},
    {0x26, "LATVIAN"},    {0x27, "LITHUANIAN"}, {0x29, "FARSI"},      {0x2A, "VIETNAMESE"},
    {0x2B, "ARMENIAN"},   {0x2C, "AZERI"},      {0x2D, "BASQUE"},     {0x2F, "MACEDONIAN"},
    {0x36, "AFRIKAANS"},  {0x37, "GEORGIAN"},   {0x38, "FAEROESE"},   {0x39, "HINDI"},
    {0x3E, "MALAY"},      {0x3F, "KAZAK"},      {0x41, "SWAHILI"},    {0x43, "UZBEK"},
    {0x44, "TATAR"},      {0x45, "BENGALI"},    {0x46, "PUNJABI"},    {0x47, "GUJARATI"},
    {0x48, "ORIYA"},      {0x49, "TAMIL"},      {0x4A, "TELUGU"},     {0x4B, "KANNADA"},
    {0x4C, "MALAYALAM"},  {0x4D, "ASSAMESE"},   {0x4E, "MARATHI"},    {0x4F, "SANSKRIT"},
    {0x57, "KONKANI"},    {0x58, "MANIPURI"},   {0x59, "SINDHI"},     {0x60, "KASHMIRI"},
    {0x61, "NEPALI"},
};
static_assert(std::size(kLanguageNames) == 69);

struct IsoEntry {
    std::string_view code;
    int id;
};

// ISO 639 codes (two letters where one exists, else three; the withdrawn
// codes iw, in and mo that older systems still use) of the languages above.
// Windows gives Croatian, Serbian and Bosnian one identifier, and the
// Norwegian written forms another.
constexpr IsoEntry kIsoCodes[] = {
    {"ar", 0x01},  {"bg", 0x02},  {"ca", 0x03},  {"zh", 0x04},  {"cs", 0x05},  {"da", 0x06},
    {"de", 0x07},  {"el", 0x08},  {"en", 0x09},  {"es", 0x0A},  {"fi", 0x0B},  {"fr", 0x0C},
    {"he", 0x0D},  {"iw", 0x0D},  {"hu", 0x0E},  {"is", 0x0F},  {"it", 0x10},  {"ja", 0x11},
    {"ko", 0x12},  {"nl", 0x13},  {"nb", 0x14},  {"nn", 0x14},  {"no", 0x14},  {"pl", 0x15},
    {"pt", 0x16},  {"ro", 0x18},  {"mo", 0x18},  {"ru", 0x19},  {"hr", 0x1A},  {"sr", 0x1A},
    {"bs", 0x1A},  {"sk", 0x1B},  {"sq", 0x1C},  {"sv", 0x1D},  {"th", 0x1E},  {"tr", 0x1F},
    {"ur", 0x20},  {"id", 0x21},  {"in", 0x21},  {"uk", 0x22},  {"be", 0x23},  {"sl", 0x24},
    {"et", 0x25},  {"lv", 0x26},  {"lt", 0x27},  {"fa", 0x29},  {"vi", 0x2A},  {"hy", 0x2B},
    {"az", 0x2C},  {"eu", 0x2D},  {"mk", 0x2F},  {"af", 0x36},  {"ka", 0x37},  {"fo", 0x38},
    {"hi", 0x39},  {"ms", 0x3E},  {"kk", 0x3F},  {"sw", 0x41},  {"uz", 0x43},  {"tt", 0x44},
    {"bn", 0x45},  {"pa", 0x46},  {"gu", 0x47},  {"or", 0x48},  {"ta", 0x49},  {"te", 0x4A},
    {"kn", 0x4B},  {"ml", 0x4C},  {"as", 0x4D},  {"mr", 0x4E},  {"sa", 0x4F},  {"kok", 0x57},
    {"mni", 0x58}, {"sd", 0x59},  {"ks", 0x60},  {"ne", 0x61},
};

}  // namespace

int PrimaryLanguageIdForLocale(std::string_view locale) {
    // language[_territory][.codeset][@modifier]
    const std::string_view code = locale.substr(0, locale.find_first_of("_.@"));
    for (const IsoEntry& entry : kIsoCodes) {
        if (entry.code == code) {
            return entry.id;
        }
    }
    return 0;
}

int UserPrimaryLanguageId() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && value[0] != '\0') {
            // "C" and "POSIX" name no language; no ISO code reads as either.
            return PrimaryLanguageIdForLocale(value);
        }
    }
    return 0;
}

const char* LanguageNameForId(int primaryLanguageId) {
    const int id = primaryLanguageId & 0x3FF;
    for (const LanguageEntry& entry : kLanguageNames) {
        if (entry.id == id) {
            return entry.name;
        }
    }
    return nullptr;
}

}  // namespace skyloom
