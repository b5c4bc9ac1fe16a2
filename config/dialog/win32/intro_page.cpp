// The Introduction page: banner, version line, the maker's links, the
// language choice and the translator's credit. A language chosen here
// shows on this page and in the tab titles at once, on the other pages
// when they are next activated.

#include "config/dialog/win32/configure_sheet.h"
#include "config/dialog/win32/dialog_text.h"
#include "config/dialog/win32/hyperlink_label.h"
#include "config/dialog/win32/pages.h"
#include "config/dialog/win32/shell_open.h"
#include "config/dialog_controls.h"
#include "config/language_tables.h"
#include "config/version_line.h"
#include "settings/settings.h"
#include "skyloom_build_date.h"
#include "skyloom_site.h"

#include <string>

namespace skyloom::win32 {

namespace {

constexpr int kPageIndex = 0;
const IntroPageControls& kControls = kIntroPageControls;

// Alive for the whole process, as the page is.
struct IntroLinks {
    HyperlinkLabel web;
    HyperlinkLabel email;
    HyperlinkLabel translations;
};
IntroLinks links;

void PutTexts(HWND page) {
    for (const TextControl& control :
         {kControls.languageLabel, kControls.translator, kControls.visit, kControls.emailLabel, kControls.webLabel}) {
        PutKeyText(page, control);
    }
    const std::string version =
        VersionLine(GetText(kControls.version.key), VersionMajor.Get(), VersionMinor.Get(), SKYLOOM_BUILD_EPOCH);
    SetControlText(page, kControls.version.control.id, version.c_str());
    SetPageTitles();
}

HWND LanguageList(HWND page) { return GetDlgItem(page, kControls.languages.id); }

LRESULT AddEntry(HWND list, UINT message, WPARAM position, const char* utf8) {
    const std::wstring text = WideFromUtf8(utf8);
    return SendMessageW(list, message, position, reinterpret_cast<LPARAM>(text.c_str()));
}

std::string Entry(HWND list, LRESULT index) {
    if (SendMessageW(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0) >= static_cast<LRESULT>(kTextSlotSize)) {
        return {};
    }
    wchar_t name[kTextSlotSize] = {};
    SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(name));
    return Utf8FromWide(name);
}

// The list sorts the names itself; "< labels >" goes last, unsorted.
void FillLanguageList(HWND page) {
    HWND list = LanguageList(page);
    for (int index = 0; index < LanguageCount(); ++index) {
        AddEntry(list, CB_ADDSTRING, 0, LanguageName(index));
    }
    const LRESULT labels = AddEntry(list, CB_INSERTSTRING, static_cast<WPARAM>(-1), kLabelsEntry);
    // Selected once all are in: a sorted insertion moves the entries. A
    // language without its file keeps no entry selected.
    const std::string current = CurrentLanguage.Get();
    LRESULT selected = current.empty() ? labels : CB_ERR;
    for (LRESULT entry = 0; entry < labels && selected == CB_ERR; ++entry) {
        if (Entry(list, entry) == current) {
            selected = entry;
        }
    }
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

void AttachLinks(HWND page) {
    links.web.Attach(page, kControls.webLink.id);
    links.web.SetTarget(SKYLOOM_HOMEPAGE_URL);
    links.email.Attach(page, kControls.emailLink.id);
    links.email.SetTarget(std::string("mailto:") + SKYLOOM_CONTACT_EMAIL);
    links.translations.Attach(page, kControls.translationsLink.id);
}

void LanguageChosen(HWND page) {
    HWND list = LanguageList(page);
    const LRESULT index = SendMessageW(list, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) {
        return;
    }
    // Everything before the last entry is a language file's name.
    const std::string language = index < static_cast<LRESULT>(LanguageCount()) ? Entry(list, index) : std::string();
    CurrentLanguage.Set(language);
    ReloadTexts();
    PutTexts(page);
}

void Command(HWND page, int id, WORD notification, HWND control) {
    if (links.web.Is(control) || links.email.Is(control)) {
        const HyperlinkLabel& link = links.web.Is(control) ? links.web : links.email;
        if (link.Clicked(notification)) {
            OpenWithShell(link.Target().c_str());
        }
    } else if (links.translations.Is(control)) {
        if (links.translations.Clicked(notification)) {
            OpenDataPage("sk_translations.htm");
        }
    } else if (id == kControls.visit.control.id) {
        OpenWithShell(SKYLOOM_HOMEPAGE_URL);
    } else if (id == kControls.languages.id && notification == CBN_SELCHANGE) {
        LanguageChosen(page);
    }
}

INT_PTR LinkColor(HWND control, HDC dc) {
    for (const HyperlinkLabel* link : {&links.web, &links.email, &links.translations}) {
        if (link->Is(control)) {
            return reinterpret_cast<INT_PTR>(link->Color(dc));
        }
    }
    return FALSE;
}

}  // namespace

INT_PTR CALLBACK IntroPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        PutTexts(page);
        FillLanguageList(page);
        AttachLinks(page);
        return TRUE;
    case WM_COMMAND:
        Command(page, LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return TRUE;
    case WM_SETCURSOR:
        return links.web.SetCursorIfOver() || links.email.SetCursorIfOver() || links.translations.SetCursorIfOver();
    case WM_CTLCOLORSTATIC:
        return LinkColor(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam));
    case WM_NOTIFY:
        return HandlePageNotification(page, *reinterpret_cast<const NMHDR*>(lParam), kPageIndex, PutTexts);
    case WM_DESTROY:
        links.web.Release();
        links.email.Release();
        links.translations.Release();
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace skyloom::win32
