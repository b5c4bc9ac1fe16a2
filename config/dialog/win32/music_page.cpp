// The Music page: whether the player starts with the saver, and the file
// or playlist it plays. The box is stored at each click, the name when the
// page is left.

#include "config/dialog/win32/configure_sheet.h"
#include "config/dialog/win32/dialog_text.h"
#include "config/dialog/win32/pages.h"
#include "config/dialog_controls.h"
#include "config/music_file_filter.h"
#include "settings/settings.h"

#include <commdlg.h>

#include <cstring>
#include <string>

namespace skyloom::win32 {

namespace {

constexpr int kPageIndex = 2;
// Room for a name of up to 999 characters, as the file chooser delivers.
constexpr size_t kNameBufferSize = 1000;

const MusicPageControls& kControls = kMusicPageControls;

void PutTexts(HWND page) {
    PutKeyText(page, kControls.playMusic.box);
    PutKeyText(page, kControls.playlistLabel);
    PutKeyText(page, kControls.select);
    const std::string about =
        std::string(GetText(kControls.aboutKeys[0])) + ' ' + GetText(kControls.aboutKeys[1]);
    SetControlText(page, kControls.about.id, about.c_str());
}

std::string FieldText(HWND page) {
    char name[kNameBufferSize] = {};
    GetDlgItemTextA(page, kControls.fileName.id, name, sizeof name);
    return name;
}

// Cutting a path would name another file: a name longer than the setting
// holds (possible only where a character takes two bytes) is refused.
bool FitsTheSetting(const std::string& name) {
    return name.size() <= static_cast<size_t>(kControls.maxFileNameBytes);
}

void StoreFileName(HWND page) {
    const std::string name = FieldText(page);
    if (FitsTheSetting(name)) {
        kControls.fileSetting->Set(name);
    } else {
        MessageBeep(MB_OK);
    }
}

// "description\0patterns\0" for each filter, then the closing "\0".
std::string FilterList() {
    std::string list;
    for (const MusicFileFilter& filter : kMusicFileFilters) {
        list.append(filter.description).append(1, '\0').append(filter.patterns).append(1, '\0');
    }
    return list;
}

bool AskForFile(HWND page, const std::string& filters, int filterIndex, char* name) {
    OPENFILENAMEA chooser = {};
    chooser.lStructSize = sizeof chooser;
    chooser.hwndOwner = page;
    chooser.lpstrFilter = filters.c_str();
    chooser.nFilterIndex = static_cast<DWORD>(filterIndex);
    chooser.lpstrFile = name;
    chooser.nMaxFile = static_cast<DWORD>(kNameBufferSize);
    chooser.lpstrTitle = "Select a music file or playlist";
    chooser.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    return GetOpenFileNameA(&chooser) != FALSE;
}

void SelectFile(HWND page) {
    const std::string field = FieldText(page);
    const std::string filters = FilterList();
    const int filterIndex = MusicStartingFilter(field);
    char name[kNameBufferSize] = {};
    std::strncpy(name, field.c_str(), sizeof name - 1);
    bool chosen = AskForFile(page, filters, filterIndex, name);
    // A field the chooser cannot start from (a name it finds invalid)
    // opens it empty instead of not at all.
    if (!chosen && CommDlgExtendedError() == FNERR_INVALIDFILENAME) {
        name[0] = '\0';
        chosen = AskForFile(page, filters, filterIndex, name);
    }
    if (!chosen) {
        return;
    }
    if (!FitsTheSetting(name)) {
        MessageBeep(MB_OK);
        return;
    }
    // Stored when the page is left, like a typed name.
    SetDlgItemTextA(page, kControls.fileName.id, name);
}

void InitPage(HWND page) {
    SendDlgItemMessageW(page, kControls.fileName.id, EM_LIMITTEXT, static_cast<WPARAM>(kControls.maxFileNameBytes),
                        0);
    PutTexts(page);
    CheckDlgButton(page, kControls.playMusic.box.control.id,
                   kControls.playMusic.setting->Get() == 1 ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemTextA(page, kControls.fileName.id, kControls.fileSetting->Get());
}

void Command(HWND page, int id) {
    if (id == kControls.playMusic.box.control.id) {
        const bool checked = IsDlgButtonChecked(page, id) == BST_CHECKED;
        kControls.playMusic.setting->Set(checked ? 1 : 0);
    } else if (id == kControls.select.control.id) {
        SelectFile(page);
    }
}

INT_PTR Notification(HWND page, const NMHDR& header) {
    switch (header.code) {
    // Leaving the page (another page or OK), and closing the sheet with
    // its close box: a name typed is kept either way.
    case PSN_KILLACTIVE:
    case PSN_RESET:
        StoreFileName(page);
        SetWindowLongPtrW(page, DWLP_MSGRESULT, FALSE);
        return TRUE;
    default:
        return HandlePageNotification(page, header, kPageIndex, PutTexts);
    }
}

}  // namespace

INT_PTR CALLBACK MusicPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        InitPage(page);
        return TRUE;
    case WM_COMMAND:
        Command(page, LOWORD(wParam));
        return TRUE;
    case WM_NOTIFY:
        return Notification(page, *reinterpret_cast<const NMHDR*>(lParam));
    default:
        return FALSE;
    }
}

}  // namespace skyloom::win32
