// Drives Skyloom's configuration window, Skyloom.scr /c, under Wine as the
// user would and checks what it shows and what it stores:
//   sheet_driver CASE <path of Skyloom.scr>
// Each case deletes the settings' key, plants its own values, starts /c,
// drives the sheet, presses OK (the program must end with 0) and checks the
// values that must survive and that no Skyloom.scr is left. Prints what
// failed and exits 1, or exits 0. Waits are upper bounds on conditions
// polled for.

#include "config/resource_ids.h"
#include "tests/windows/saver_process.h"

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr DWORD kStartMs = 30000;
constexpr DWORD kEndMs = 15000;
constexpr DWORD kStepMs = 5000;
constexpr wchar_t kKey[] = L"Software\\Quillmere\\Skyloom";
constexpr wchar_t kLabels[] = L"< labels >";
constexpr int kApplyButton = 0x3021;
constexpr int kMaxFileName = 499;
constexpr wchar_t kPlantedMusic[] = L"Z:\\music\\planted.m3u";

int failures = 0;

bool Check(bool ok, const std::string& what) {
    if (!ok) {
        std::fprintf(stderr, "sheet_driver: %s\n", what.c_str());
        ++failures;
    }
    return ok;
}

std::string Narrow(const std::wstring& text) {
    std::string bytes(text.size() * 4 + 1, '\0');
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, bytes.data(), static_cast<int>(bytes.size()),
                                         nullptr, nullptr);
    bytes.resize(size > 0 ? size - 1 : 0);
    return bytes;
}

std::wstring Widen(const std::string& bytes) {
    std::wstring text(bytes.size() + 1, L'\0');
    const int size = MultiByteToWideChar(CP_UTF8, 0, bytes.c_str(), -1, text.data(), static_cast<int>(text.size()));
    text.resize(size > 0 ? size - 1 : 0);
    return text;
}

std::string Quoted(const std::vector<std::wstring>& texts) {
    std::string line;
    for (const std::wstring& text : texts) {
        line += (line.empty() ? "\"" : ", \"") + Narrow(text) + "\"";
    }
    return "[" + line + "]";
}

void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageW(&message);
    }
}

// Polls the condition (at least once) until it holds or `ms` have passed.
template <typename Condition>
bool Within(DWORD ms, Condition condition) {
    for (const DWORD start = GetTickCount();; Sleep(50)) {
        PumpMessages();
        if (condition()) {
            return true;
        }
        if (GetTickCount() - start >= ms) {
            return false;
        }
    }
}

// ---- The settings' key

// A value of the key: a number (a float as its bit pattern) or a text.
struct Value {
    std::wstring name;
    DWORD type;
    DWORD number;
    std::wstring text;
    bool isFloat;
};

Value Number(const wchar_t* name, DWORD number) { return {name, REG_DWORD, number, {}, false}; }
Value Text(const wchar_t* name, const std::wstring& text) { return {name, REG_SZ, 0, text, false}; }
Value Float(const wchar_t* name, float value) {
    DWORD bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return {name, REG_DWORD, bits, {}, true};
}

float AsFloat(DWORD bits) {
    float value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::optional<DWORD> StoredNumber(const std::wstring& name) {
    DWORD number = 0;
    DWORD size = sizeof number;
    return RegGetValueW(HKEY_CURRENT_USER, kKey, name.c_str(), RRF_RT_REG_DWORD, nullptr, &number, &size) == ERROR_SUCCESS
               ? std::optional<DWORD>(number)
               : std::nullopt;
}

std::optional<std::wstring> StoredText(const std::wstring& name) {
    wchar_t text[2048] = L"";
    DWORD size = sizeof text;
    return RegGetValueW(HKEY_CURRENT_USER, kKey, name.c_str(), RRF_RT_REG_SZ, nullptr, text, &size) == ERROR_SUCCESS
               ? std::optional<std::wstring>(text)
               : std::nullopt;
}

// The value as the key holds it now, named and typed like `wanted`.
std::optional<Value> Stored(const Value& wanted) {
    Value stored = wanted;
    const auto number = StoredNumber(wanted.name);
    const auto text = StoredText(wanted.name);
    stored.number = number.value_or(0);
    stored.text = text.value_or(L"");
    return (wanted.type == REG_SZ ? text.has_value() : number.has_value()) ? std::optional<Value>(stored) : std::nullopt;
}

std::string Shown(const std::optional<Value>& value) {
    if (!value) {
        return "nothing";
    }
    if (value->type == REG_SZ) {
        return "\"" + Narrow(value->text) + "\"";
    }
    if (!value->isFloat) {
        return std::to_string(value->number);
    }
    char number[32];
    std::snprintf(number, sizeof number, "%.6g", AsFloat(value->number));
    return number;
}

bool Holds(const Value& value) {
    const std::optional<Value> stored = Stored(value);
    return stored && (value.type == REG_SZ ? stored->text == value.text
                      : value.isFloat    ? std::fabs(AsFloat(stored->number) - AsFloat(value.number)) <= 1e-6f
                                         : stored->number == value.number);
}

// `ms` 0: the value must be there now, as after a message sent and answered.
void ExpectStored(const Value& value, const std::string& when, DWORD ms = kStepMs) {
    Check(Within(ms, [&] { return Holds(value); }),
          when + ": " + Narrow(value.name) + " holds " + Shown(Stored(value)) + ", not " + Shown(value));
}

bool Plant(const Value& value) {
    const bool text = value.type == REG_SZ;
    const void* data = text ? static_cast<const void*>(value.text.c_str()) : &value.number;
    const DWORD size = text ? static_cast<DWORD>((value.text.size() + 1) * sizeof(wchar_t)) : sizeof value.number;
    return RegSetKeyValueW(HKEY_CURRENT_USER, kKey, value.name.c_str(), value.type, data, size) == ERROR_SUCCESS;
}

// ---- Processes and windows

PROCESS_INFORMATION Start(const std::wstring& program, const std::wstring& arguments) {
    std::wstring line = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        process.hProcess = nullptr;
    }
    return process;
}

// The exit code, or -1 when the process outlived the wait (it is ended then).
long ExitCodeWithin(HANDLE process, DWORD ms) {
    if (WaitForSingleObject(process, ms) != WAIT_OBJECT_0) {
        TerminateProcess(process, 99);
        WaitForSingleObject(process, kEndMs);
        return -1;
    }
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    return static_cast<long>(code);
}

bool Running(HANDLE process) { return WaitForSingleObject(process, 0) == WAIT_TIMEOUT; }

// Sent with an upper bound, so a window that stops answering fails the case.
LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, kEndMs, &result)) {
        Check(false, "message " + std::to_string(message) + " went unanswered");
    }
    return static_cast<LRESULT>(result);
}

// Asked of the window: for another process's window GetWindowTextW gives
// the text it was made with, not what an edit control holds now.
std::wstring TextOf(HWND window) {
    wchar_t text[1024] = L"";
    Send(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
    return text;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    return name;
}

struct WindowSearch {
    DWORD processId;  // 0: any
    std::wstring className;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if ((search->processId == 0 || owner == search->processId) && IsWindowVisible(window) &&
        ClassOf(window) == search->className) {
        search->found.push_back(window);
    }
    return TRUE;
}

// Visible top-level windows of the class.
std::vector<HWND> TopWindows(DWORD processId, const wchar_t* className) {
    WindowSearch search{processId, className, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> Sheets(DWORD processId) {
    std::vector<HWND> sheets = TopWindows(processId, L"#32770");
    std::erase_if(sheets, [](HWND window) { return TextOf(window) != L" Skyloom"; });
    return sheets;
}

// ---- The sheet

struct Session {
    PROCESS_INFORMATION process;
    HWND sheet;
    std::wstring program;
    std::wstring dataFolder;  // where the program finds its language files
    std::vector<Value> planted;
};

// A control only its page has tells which page is shown.
constexpr int kPageMarkers[] = {IDC_COMBO_LANGUAGE, IDC_SLIDER_MOVESPEED, IDC_EDIT_MUSICFILE};
constexpr int kIntroPage = 0;
constexpr int kControlsPage = 1;
constexpr int kMusicPage = 2;

HWND CurrentPage(HWND sheet) { return reinterpret_cast<HWND>(Send(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)); }

int PageShown(HWND sheet) {
    HWND page = CurrentPage(sheet);
    for (int index = 0; index < 3; ++index) {
        if (page != nullptr && GetDlgItem(page, kPageMarkers[index]) != nullptr) {
            return index;
        }
    }
    return -1;
}

bool ShowPage(HWND sheet, int index) {
    Send(sheet, PSM_SETCURSEL, index, 0);
    return Check(PageShown(sheet) == index, "page " + std::to_string(index) + " did not come up");
}

HWND Item(HWND sheet, int id) { return GetDlgItem(CurrentPage(sheet), id); }

void Click(HWND button) { Send(button, BM_CLICK, 0, 0); }

bool Checked(HWND button) { return Send(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

// The tab control's messages carry pointers into the saver's memory.
std::vector<std::wstring> TabTitles(const Session& session) {
    constexpr int kChars = 256;
    HWND tabs = reinterpret_cast<HWND>(Send(session.sheet, PSM_GETTABCONTROL, 0, 0));
    const int count = static_cast<int>(Send(tabs, TCM_GETITEMCOUNT, 0, 0));
    HANDLE process = session.process.hProcess;
    auto* remote = static_cast<char*>(
        VirtualAllocEx(process, nullptr, sizeof(TCITEMW) + kChars * sizeof(wchar_t), MEM_COMMIT, PAGE_READWRITE));
    std::vector<std::wstring> titles;
    for (int index = 0; remote != nullptr && index < count; ++index) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = reinterpret_cast<wchar_t*>(remote + sizeof item);
        item.cchTextMax = kChars;
        wchar_t title[kChars] = L"";
        const bool read = WriteProcessMemory(process, remote, &item, sizeof item, nullptr) &&
                          Send(tabs, TCM_GETITEMW, index, reinterpret_cast<LPARAM>(remote)) &&
                          ReadProcessMemory(process, remote, &item, sizeof item, nullptr) &&
                          ReadProcessMemory(process, item.pszText, title, sizeof title - sizeof(wchar_t), nullptr);
        titles.push_back(read ? title : L"(unreadable)");
    }
    if (remote != nullptr) {
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    return titles;
}

void PressKey(WORD key) {
    INPUT presses[2]{};
    for (INPUT& press : presses) {
        press.type = INPUT_KEYBOARD;
        press.ki.wVk = key;
    }
    presses[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, presses, sizeof(INPUT));
}

// Selected text replaced by the characters, one key at a time.
void Type(HWND edit, const std::wstring& text) {
    Send(edit, EM_SETSEL, 0, -1);
    for (wchar_t character : text) {
        Send(edit, WM_CHAR, character, 1);
    }
}

// ---- Languages

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

// The folder's language names, as the list should offer them.
std::vector<std::wstring> LanguageList(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\text_*.ini").c_str(), &found);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found)) {
        const std::wstring file = found.cFileName;
        names.push_back(file.substr(5, file.size() - 9));
    }
    if (search != INVALID_HANDLE_VALUE) {
        FindClose(search);
    }
    std::sort(names.begin(), names.end(),
              [](const std::wstring& a, const std::wstring& b) { return _wcsicmp(a.c_str(), b.c_str()) < 0; });
    names.push_back(kLabels);
    return names;
}

std::optional<std::wstring> IniText(const std::wstring& file, const std::string& key) {
    FILE* stream = _wfopen(file.c_str(), L"rb");
    if (stream == nullptr) {
        return std::nullopt;
    }
    std::optional<std::wstring> text;
    bool inText = false;
    for (char line[4096]; !text && std::fgets(line, sizeof line, stream);) {
        std::string entry = line;
        entry.erase(entry.find_last_not_of("\r\n") + 1);
        if (entry.starts_with("[")) {
            inText = entry == "[Text]";
        } else if (inText && entry.starts_with(key + "=")) {
            text = Widen(entry.substr(key.size() + 1));
        }
    }
    std::fclose(stream);
    return text;
}

// The key's text as the program should show it: its name for "< labels >",
// otherwise the language file's, English's where that lacks it.
std::wstring ExpectedText(const std::wstring& folder, const std::wstring& language, const char* key) {
    if (language == kLabels) {
        return Widen(key);
    }
    for (const std::wstring& name : {language, std::wstring(L"english")}) {
        if (auto text = IniText(folder + L"\\text_" + name + L".ini", key)) {
            return *text;
        }
    }
    return L"(no text for " + Widen(key) + L")";
}

constexpr const char* kShownKeys[] = {"T_LANGUAGE", "T_INTRODUCTION", "T_CONTROLS", "T_MUSIC", "T_SUPERNOVAE"};

std::vector<std::wstring> ExpectedTexts(const std::wstring& folder, const std::wstring& language) {
    std::vector<std::wstring> texts;
    for (const char* key : kShownKeys) {
        texts.push_back(ExpectedText(folder, language, key));
    }
    return texts;
}

// The texts of kShownKeys: the Introduction page's and the tabs' as they are
// now, then the Controls page's once it is activated again.
std::vector<std::wstring> TextsShown(const Session& session) {
    std::vector<std::wstring> texts{TextOf(Item(session.sheet, IDC_STATIC_LANGUAGE))};
    for (const std::wstring& title : TabTitles(session)) {
        texts.push_back(title);
    }
    ShowPage(session.sheet, kControlsPage);
    texts.push_back(TextOf(Item(session.sheet, IDC_CHECK_SHOWSUPERNOVAE)));
    ShowPage(session.sheet, kIntroPage);
    return texts;
}

void ExpectTexts(const Session& session, const std::wstring& language, const std::string& when) {
    const std::vector<std::wstring> shown = TextsShown(session);
    const std::vector<std::wstring> wanted = ExpectedTexts(session.dataFolder, language);
    Check(shown == wanted, when + ": the texts are " + Quoted(shown) + ", not " + Quoted(wanted));
}

std::vector<std::wstring> ComboEntries(HWND combo) {
    std::vector<std::wstring> entries;
    const int count = static_cast<int>(Send(combo, CB_GETCOUNT, 0, 0));
    for (int index = 0; index < count; ++index) {
        wchar_t entry[256] = L"";
        if (Send(combo, CB_GETLBTEXTLEN, index, 0) < 256) {
            Send(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(entry));
        }
        entries.push_back(entry);
    }
    return entries;
}

void ExpectLanguageList(const Session& session) {
    const std::vector<std::wstring> entries = ComboEntries(Item(session.sheet, IDC_COMBO_LANGUAGE));
    const std::vector<std::wstring> wanted = LanguageList(session.dataFolder);
    Check(entries == wanted, "the language list is " + Quoted(entries) + ", not " + Quoted(wanted));
}

// As the combo box does when the user picks the entry.
void ChooseLanguage(const Session& session, const std::wstring& entry) {
    HWND combo = Item(session.sheet, IDC_COMBO_LANGUAGE);
    const std::vector<std::wstring> entries = ComboEntries(combo);
    const auto index = std::find(entries.begin(), entries.end(), entry) - entries.begin();
    if (!Check(index < static_cast<long>(entries.size()), Narrow(entry) + " is not in the language list")) {
        return;
    }
    Send(combo, CB_SETCURSEL, index, 0);
    Send(CurrentPage(session.sheet), WM_COMMAND, MAKEWPARAM(IDC_COMBO_LANGUAGE, CBN_SELCHANGE),
         reinterpret_cast<LPARAM>(combo));
}

// ---- The Controls page's settings and their defaults

struct Slider {
    int id;
    const wchar_t* setting;
    float defaultValue;
    int defaultPosition;
};
const Slider kSliders[] = {
    {IDC_SLIDER_MOVESPEED, L"FactorCameraSpeed", 0.12f, 119}, {IDC_SLIDER_FOV, L"FactorCameraFov", 0.82f, 819},
    {IDC_SLIDER_SUNS, L"FactorNumSuns", 0.15f, 150},          {IDC_SLIDER_STARS, L"FactorNumStars", 0.125f, 125},
    {IDC_SLIDER_NEBULAE, L"FactorNumNebulae", 0.22f, 219},    {IDC_SLIDER_DESKFADE, L"FactorDeskFade", 1.0f, 1000},
};

struct CheckBox {
    int id;
    const wchar_t* setting;
    bool defaultValue;
};
// The primary-monitor box last: it is disabled on the test's one monitor.
const CheckBox kCheckBoxes[] = {
    {IDC_CHECK_SHOWSUPERNOVAE, L"ShowSupernovae", true},
    {IDC_CHECK_SHOWREDGIANTS, L"ShowRedGiants", true},
    {IDC_CHECK_NEBULAESTORMS, L"NebulaeStorms", true},
    {IDC_CHECK_DARKPATCHESINNEBULAE, L"DarkPatchesInNebulae", true},
    {IDC_CHECK_SHOWLENSFLARE, L"ShowLensFlare", true},
    {IDC_CHECK_SHOWSUNFLARE, L"ShowSunFlare", true},
    {IDC_CHECK_CONSTELLATIONLINES, L"ConstellationLines", false},
    {IDC_CHECK_SHOWLOCALTIME, L"ShowLocalTime", false},
    {IDC_CHECK_SHOWFRAMERATE, L"ShowFramerate", false},
    {IDC_CHECK_FADEFROMDESKTOP, L"FadeFromDesktop", true},
    {IDC_CHECK_LOWDETAIL, L"LowDetail", false},
    {IDC_CHECK_MONITORPOWERSAVING, L"PermitMonitorPowerSaving", false},
    {IDC_CHECK_PRIMARYMONITORONLY, L"PrimaryMonitorOnly", true},
};

struct RadioGroup {
    int firstId;
    int count;
    const wchar_t* setting;
    DWORD defaultValue;
    const wchar_t* customColor;  // chosen by the button of value 0; null: none
    DWORD defaultColor;
};
const RadioGroup kRadioGroups[] = {
    {IDC_RADIO_CAMROT_0, 4, L"CameraRotateEnum", 3, nullptr, 0},
    {IDC_RADIO_SUNSCOLOR_0, 4, L"SunColorEnum", 3, L"CustomSunColor", 0xFFFFFF},
    {IDC_RADIO_NEBCOLOR_0, 3, L"NebulaColorEnum", 2, L"CustomNebulaColor", 0x660000},
};

int RadioChecked(HWND sheet, const RadioGroup& group) {
    int checked = -1;
    for (int value = 0; value < group.count; ++value) {
        if (Checked(Item(sheet, group.firstId + value))) {
            checked = checked == -1 ? value : -2;
        }
    }
    return checked;
}

void MoveSlider(HWND sheet, HWND slider, int position) {
    Send(slider, TBM_SETPOS, TRUE, position);
    Send(CurrentPage(sheet), WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, position), reinterpret_cast<LPARAM>(slider));
}

// The planted number of the setting, else its default.
DWORD PlantedOr(const std::vector<Value>& planted, const wchar_t* setting, DWORD fallback) {
    for (const Value& value : planted) {
        fallback = value.name == setting && value.type == REG_DWORD ? value.number : fallback;
    }
    return fallback;
}

// What the page shows, the sliders at their defaults.
void ExpectShown(HWND sheet, const std::vector<Value>& planted, const std::string& when) {
    for (const Slider& slider : kSliders) {
        const auto position = Send(Item(sheet, slider.id), TBM_GETPOS, 0, 0);
        Check(position == slider.defaultPosition,
              when + ": " + Narrow(slider.setting) + "'s slider stands at " + std::to_string(position));
    }
    for (const CheckBox& box : kCheckBoxes) {
        Check(Checked(Item(sheet, box.id)) == (PlantedOr(planted, box.setting, box.defaultValue) != 0),
              when + ": " + Narrow(box.setting) + "'s box");
    }
    for (const RadioGroup& group : kRadioGroups) {
        Check(RadioChecked(sheet, group) == static_cast<int>(PlantedOr(planted, group.setting, group.defaultValue)),
              when + ": " + Narrow(group.setting) + "'s buttons");
    }
}

void ExpectDefaultsStored(const std::string& when) {
    for (const Slider& slider : kSliders) {
        ExpectStored(Float(slider.setting, slider.defaultValue), when, 0);
    }
    for (const CheckBox& box : kCheckBoxes) {
        ExpectStored(Number(box.setting, box.defaultValue), when, 0);
    }
    for (const RadioGroup& group : kRadioGroups) {
        ExpectStored(Number(group.setting, group.defaultValue), when, 0);
        if (group.customColor != nullptr) {
            ExpectStored(Number(group.customColor, group.defaultColor), when, 0);
        }
    }
}

// ---- The cases' steps

void PagesAndButtons(Session& session) {
    HWND sheet = session.sheet;
    Check(GetWindow(sheet, GW_OWNER) == nullptr, "the sheet has an owner");
    const std::vector<std::wstring> titles = TabTitles(session);
    const std::vector<std::wstring> wanted = ExpectedTexts(session.dataFolder, L"english");
    Check(titles == std::vector<std::wstring>(wanted.begin() + 1, wanted.begin() + 4),
          "the tabs are " + Quoted(titles));
    Check(IsWindowVisible(GetDlgItem(sheet, IDOK)), "no OK button");
    Check(IsWindowVisible(GetDlgItem(sheet, IDHELP)), "no Help button");
    HWND cancel = GetDlgItem(sheet, IDCANCEL);
    Check(cancel != nullptr && !IsWindowVisible(cancel) && !IsWindowEnabled(cancel), "Cancel is not hidden and disabled");
    HWND apply = GetDlgItem(sheet, kApplyButton);
    Check(apply == nullptr || !IsWindowVisible(apply), "an Apply button shows");
    for (int page : {kIntroPage, kControlsPage, kMusicPage}) {
        if (ShowPage(sheet, page)) {
            ExpectStored(Number(L"CurrentConfigureSheet", page), "page " + std::to_string(page) + " activated", 0);
        }
    }
}

// Cancelled: the sheet must show the button of value 0 and store 0, and
// keep the custom colour.
void CancelColourChooser(const Session& session, const RadioGroup& group) {
    const std::string name = Narrow(group.setting);
    const std::optional<DWORD> colour = StoredNumber(group.customColor);
    // Posted: the click runs the chooser's modal loop.
    PostMessageW(Item(session.sheet, group.firstId), BM_CLICK, 0, 0);
    HWND chooser = nullptr;
    Within(kStartMs, [&] {
        for (HWND window : TopWindows(session.process.dwProcessId, L"#32770")) {
            chooser = GetWindow(window, GW_OWNER) == session.sheet ? window : chooser;
        }
        return chooser != nullptr;
    });
    if (!Check(chooser != nullptr, name + ": no colour chooser owned by the sheet")) {
        return;
    }
    Check(!IsWindowEnabled(session.sheet), name + ": the colour chooser is not modal");
    PostMessageW(GetDlgItem(chooser, IDCANCEL), BM_CLICK, 0, 0);
    Check(Within(kEndMs, [&] { return !IsWindow(chooser); }), name + ": the colour chooser stayed after Cancel");
    ExpectStored(Number(group.setting, 0), name + " after the chooser");
    Check(RadioChecked(session.sheet, group) == 0, name + ": the custom button is not the one checked");
    Check(StoredNumber(group.customColor) == colour, name + ": the custom colour changed on Cancel");
}

void Controls(Session& session) {
    HWND sheet = session.sheet;
    ExpectShown(sheet, session.planted, "at the start");
    for (const Slider& slider : kSliders) {
        HWND bar = Item(sheet, slider.id);
        Check(Send(bar, TBM_GETRANGEMIN, 0, 0) == 0 && Send(bar, TBM_GETRANGEMAX, 0, 0) == 1000,
              Narrow(slider.setting) + "'s slider does not run from 0 to 1000");
        const int position = (slider.defaultPosition + 500) % 1001;
        MoveSlider(sheet, bar, position);
        ExpectStored(Float(slider.setting, position / 1000.0f), "moving the slider", 0);
    }
    for (const CheckBox& box : kCheckBoxes) {
        if (box.id == IDC_CHECK_PRIMARYMONITORONLY) {
            continue;
        }
        Click(Item(sheet, box.id));
        ExpectStored(Number(box.setting, !box.defaultValue), "clicking the box", 0);
        Check(Checked(Item(sheet, box.id)) != box.defaultValue, Narrow(box.setting) + "'s box did not change");
    }
    Check(GetSystemMetrics(SM_CMONITORS) == 1, "the display has more than one monitor");
    HWND primaryOnly = Item(sheet, IDC_CHECK_PRIMARYMONITORONLY);
    Check(!IsWindowEnabled(primaryOnly), "the primary-monitor box is enabled on one monitor");
    Check(!Checked(primaryOnly), "the primary-monitor box does not show the 0 planted");
    ExpectStored(Number(L"PrimaryMonitorOnly", 0), "with the box disabled", 0);
    // Down to the lowest value without the chooser, away from the default.
    for (const RadioGroup& group : kRadioGroups) {
        for (int value = group.count - 1; value >= (group.customColor != nullptr ? 1 : 0); --value) {
            Click(Item(sheet, group.firstId + value));
            ExpectStored(Number(group.setting, value), "clicking a radio button", 0);
            Check(RadioChecked(sheet, group) == value, Narrow(group.setting) + ": not only the clicked button checked");
        }
        if (group.customColor != nullptr) {
            CancelColourChooser(session, group);
        }
    }
    Click(Item(sheet, IDC_BUTTON_RESTOREDEFAULTS));
    ExpectShown(sheet, {}, "after Restore defaults");
    ExpectDefaultsStored("after Restore defaults");
}

void Preview(Session& session) {
    Click(Item(session.sheet, IDC_BUTTON_PREVIEW));
    std::vector<HWND> savers;
    if (!Check(Within(kStartMs, [&] { return !(savers = TopWindows(0, L"WindowsScreenSaverClass")).empty(); }),
               "Preview showed no saver window")) {
        return;
    }
    DWORD saverId = 0;
    GetWindowThreadProcessId(savers.front(), &saverId);
    // Keys until the saver, once it takes input, ends; else it is ended.
    if (!Check(Within(kStartMs, [&] { PressKey('A'); return !IsWindow(savers.front()); }),
               "the preview did not end on a key")) {
        ExitCodeWithin(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, saverId), 0);
    }
    Check(Running(session.process.hProcess) && IsWindowVisible(session.sheet), "the sheet went with the preview");
}

void Music(Session& session) {
    HWND sheet = session.sheet;
    HWND edit = Item(sheet, IDC_EDIT_MUSICFILE);
    Check(Send(edit, EM_GETLIMITTEXT, 0, 0) == kMaxFileName, "the file name field is not limited to 499 characters");
    Check(TextOf(edit) == kPlantedMusic, "the field does not show the planted name");
    Click(Item(sheet, IDC_CHECK_PLAYMUSIC));
    ExpectStored(Number(L"PlayMusic", 1), "clicking the music box", 0);
    std::wstring longName = L"Z:\\music\\";
    while (longName.size() < kMaxFileName + 10) {
        longName += L"abcdefghij";
    }
    Type(edit, longName);
    const std::wstring kept = longName.substr(0, kMaxFileName);
    Check(TextOf(edit) == kept, "the field does not hold the first 499 characters typed");
    ExpectStored(Text(L"MusicFilename", kPlantedMusic), "while typing", 0);
    ShowPage(sheet, kControlsPage);
    ExpectStored(Text(L"MusicFilename", kept), "leaving the page", 0);
    ShowPage(sheet, kMusicPage);
    Type(Item(sheet, IDC_EDIT_MUSICFILE), L"Z:\\music\\typed.m3u");
    ExpectStored(Text(L"MusicFilename", kept), "while typing again", 0);
    // OK (pressed after these steps) must store the typed name.
}

void Languages(Session& session) {
    ExpectLanguageList(session);
    HWND combo = Item(session.sheet, IDC_COMBO_LANGUAGE);
    const auto selected = Send(combo, CB_GETCURSEL, 0, 0);
    const std::vector<std::wstring> entries = ComboEntries(combo);
    Check(selected >= 0 && selected < static_cast<long>(entries.size()) && entries[selected] == L"english",
          "english is not the selected entry");
    // Shown once in English, so the Controls page exists before each change.
    ExpectTexts(session, L"english", "at the start");
    for (const std::wstring& language : std::vector<std::wstring>{kLabels, L"german", L"english"}) {
        ChooseLanguage(session, language);
        ExpectStored(Text(L"CurrentLanguage", language == kLabels ? L"" : language), "choosing a language", 0);
        ExpectTexts(session, language, "after choosing " + Narrow(language));
    }
}

void SecondInstance(Session& session) {
    HWND own = CreateWindowExW(0, L"STATIC", L"sheet_driver", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    SetForegroundWindow(own);
    if (Check(Within(kStepMs, [&] { return GetForegroundWindow() == own; }), "the driver's window did not come to the front")) {
        const PROCESS_INFORMATION second = Start(session.program, L"/c");
        bool secondSheet = false;
        Check(second.hProcess != nullptr && Within(kEndMs, [&] {
                  secondSheet = secondSheet || Sheets(0).size() > 1;
                  return !Running(second.hProcess);
              }), "a second /c did not end by itself");
        Check(second.hProcess != nullptr && ExitCodeWithin(second.hProcess, 0) == 0, "a second /c did not end with 0");
        Check(!secondSheet, "a second /c showed a sheet");
        Check(Within(kStepMs, [&] { return GetForegroundWindow() == session.sheet; }),
              "a second /c did not bring the first sheet to the front");
    }
    DestroyWindow(own);
}

void StarsSliderDefault(Session& session) {
    Check(Send(Item(session.sheet, IDC_SLIDER_STARS), TBM_GETPOS, 0, 0) == 125,
          "a text in FactorNumStars did not read as its default");
    Check(Checked(Item(session.sheet, IDC_CHECK_SHOWLOCALTIME)), "the planted ShowLocalTime is not shown");
}

void KeyNamesWithoutLanguages(Session& session) {
    ExpectLanguageList(session);
    ExpectTexts(session, kLabels, "without a data folder");
}

void EnglishForMissingFile(Session& session) {
    ExpectLanguageList(session);
    ExpectTexts(session, L"english", "without the chosen language's file");
}

void FallbackForDamagedFile(Session& session) {
    const std::vector<std::wstring> shown = TextsShown(session);
    Check(shown == ExpectedTexts(session.dataFolder, L"english") || shown == ExpectedTexts(session.dataFolder, kLabels),
          "with a damaged language file the texts are " + Quoted(shown));
}

// ---- The cases

// What AppDir names: nothing (the folder beside the program), or a folder
// in the prefix's own temporary folder.
enum class DataFolder { kBesideProgram, kMissing, kEnglishOnly, kDamagedGerman };

struct Case {
    const char* name;
    std::vector<Value> planted;  // over UCA 1 and CurrentLanguage english
    DataFolder folder;
    int startPage;
    void (*drive)(Session&);
    std::vector<Value> kept;  // after OK
};

std::vector<Value> Join(std::vector<Value> values, const std::vector<Value>& more) {
    values.insert(values.end(), more.begin(), more.end());
    return values;
}

const std::vector<Value> kSurvivors = {Number(L"ShowLocalTime", 1), Text(L"MusicFilename", L"Z:\\music\\kept.m3u")};
const std::vector<Value> kMusicSettings = {Number(L"PlayMusic", 1), Text(L"MusicFilename", L"Z:\\music\\kept.m3u"),
                                           Text(L"CurrentLanguage", L"french")};

const Case kCases[] = {
    {"pages_and_buttons", {Number(L"CurrentConfigureSheet", 2)}, DataFolder::kBesideProgram, 2, PagesAndButtons, {}},
    {"stored_page_7", {Number(L"CurrentConfigureSheet", 7)}, DataFolder::kBesideProgram, 0, nullptr, {}},
    {"controls",
     Join(kMusicSettings, {Number(L"CurrentConfigureSheet", 1), Number(L"PrimaryMonitorOnly", 0),
                           Number(L"CustomSunColor", 0x123456), Number(L"CustomNebulaColor", 0x654321)}),
     DataFolder::kBesideProgram, 1, Controls, kMusicSettings},
    {"preview", {Number(L"CurrentConfigureSheet", 1)}, DataFolder::kBesideProgram, 1, Preview, {}},
    {"music",
     {Number(L"CurrentConfigureSheet", 2), Number(L"PlayMusic", 0), Text(L"MusicFilename", kPlantedMusic)},
     DataFolder::kBesideProgram, 2, Music,
     {Number(L"PlayMusic", 1), Text(L"MusicFilename", L"Z:\\music\\typed.m3u"), Number(L"CurrentConfigureSheet", 2)}},
    {"language", {}, DataFolder::kBesideProgram, 0, Languages, {Text(L"CurrentLanguage", L"english")}},
    {"second_instance", kSurvivors, DataFolder::kBesideProgram, 0, SecondInstance, kSurvivors},
    {"bad_registry_type", Join(kSurvivors, {Text(L"FactorNumStars", L"junk"), Number(L"CurrentConfigureSheet", 1)}),
     DataFolder::kBesideProgram, 1, StarsSliderDefault, kSurvivors},
    {"missing_appdir", kSurvivors, DataFolder::kMissing, 0, KeyNamesWithoutLanguages, kSurvivors},
    {"missing_language_file", Join(kSurvivors, {Text(L"CurrentLanguage", L"german")}), DataFolder::kEnglishOnly, 0,
     EnglishForMissingFile, kSurvivors},
    {"damaged_language_file", Join(kSurvivors, {Text(L"CurrentLanguage", L"german")}), DataFolder::kDamagedGerman, 0,
     FallbackForDamagedFile, kSurvivors},
};

std::wstring ScratchFolder(const Case& test) {
    wchar_t temporary[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, temporary);
    return std::wstring(temporary) + L"skyloom-sheet-" + Widen(test.name);
}

void RemoveFolder(const std::wstring& folder) {
    for (const std::wstring& language : LanguageList(folder)) {
        DeleteFileW((folder + L"\\text_" + language + L".ini").c_str());
    }
    RemoveDirectoryW(folder.c_str());
}

// Bytes that are no ini file: no section, no line of a key.
bool WriteGarbage(const std::wstring& file) {
    static constexpr char kGarbage[] = "\xff\xfe\x00\x01T_LANGUAGE\x9d\r\n\x80\xc3(\x00\x00Text]\n\xf0\x28\x8c";
    FILE* stream = _wfopen(file.c_str(), L"wb");
    const bool written = stream != nullptr && std::fwrite(kGarbage, 1, sizeof kGarbage, stream) == sizeof kGarbage;
    return (stream == nullptr || std::fclose(stream) == 0) && written;
}

// The folder the case's program reads its language files from, AppDir
// planted where it is not the one beside the program.
std::optional<std::wstring> PrepareDataFolder(const Case& test, const std::wstring& program) {
    const std::wstring beside = FolderOf(program);
    if (test.folder == DataFolder::kBesideProgram) {
        return beside;
    }
    const std::wstring folder = ScratchFolder(test);
    RemoveFolder(folder);
    const bool made =
        test.folder == DataFolder::kMissing ||
        (CreateDirectoryW(folder.c_str(), nullptr) &&
         CopyFileW((beside + L"\\text_english.ini").c_str(), (folder + L"\\text_english.ini").c_str(), FALSE) &&
         (test.folder != DataFolder::kDamagedGerman || WriteGarbage(folder + L"\\text_german.ini")));
    if (!made || !Plant(Text(L"AppDir", folder))) {
        return std::nullopt;
    }
    return folder;
}

void Run(const Case& test, const std::wstring& program) {
    if (!Check(!skyloom::testing::SaverProcessLeft(), "a Skyloom.scr runs already")) {
        return;
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
    bool planted = true;
    for (const Value& value : Join({Number(L"UCA", 1), Text(L"CurrentLanguage", L"english")}, test.planted)) {
        planted = Plant(value) && planted;
    }
    const std::optional<std::wstring> folder = PrepareDataFolder(test, program);
    if (!Check(planted && folder, "cannot plant the case's settings and files")) {
        return;
    }
    Session session{Start(program, L"/c"), nullptr, program, *folder, test.planted};
    if (!Check(session.process.hProcess != nullptr, "/c did not start")) {
        return;
    }
    Within(kStartMs, [&] {
        const std::vector<HWND> sheets = Sheets(session.process.dwProcessId);
        session.sheet = sheets.empty() ? nullptr : sheets.front();
        return session.sheet != nullptr || !Running(session.process.hProcess);
    });
    if (Check(session.sheet != nullptr, "/c showed no sheet captioned \" Skyloom\"")) {
        const int page = PageShown(session.sheet);
        Check(page == test.startPage, "the sheet opened on page " + std::to_string(page));
        ExpectStored(Number(L"CurrentConfigureSheet", test.startPage), "at the start");
        if (test.drive != nullptr) {
            test.drive(session);
        }
        // Posted: a sent one ends the sheet's modal loop only once some
        // posted message wakes it up.
        PostMessageW(session.sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    }
    Check(ExitCodeWithin(session.process.hProcess, kEndMs) == 0, "/c did not end with 0 after OK");
    for (const Value& value : test.kept) {
        ExpectStored(value, "after OK", 0);
    }
    Check(!skyloom::testing::SaverProcessLeft(), "a Skyloom.scr process outlived the case");
    // The tests after this one find the key as a fresh prefix has it.
    RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
    if (test.folder != DataFolder::kBesideProgram) {
        RemoveFolder(*folder);
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    for (const Case& test : kCases) {
        if (argc == 3 && std::strcmp(argv[1], test.name) == 0) {
            Run(test, Widen(argv[2]));
            return failures == 0 ? 0 : 1;
        }
    }
    std::fprintf(stderr, "usage: sheet_driver CASE SCR, CASE one of:");
    for (const Case& test : kCases) {
        std::fprintf(stderr, " %s", test.name);
    }
    std::fprintf(stderr, "\n");
    return 2;
}
