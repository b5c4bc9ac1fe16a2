#include "config/dialog/win32/hyperlink_label.h"

namespace skyloom::win32 {

namespace {

// IDC_HAND, spelt out: the header's form depends on UNICODE.
constexpr WORD kHandCursor = 32649;

// An underlined copy of the font the page draws with; null when the page
// has none of its own.
HFONT UnderlinedFont(HWND page) {
    const auto font = reinterpret_cast<HFONT>(SendMessageW(page, WM_GETFONT, 0, 0));
    LOGFONTW description{};
    if (font == nullptr || GetObjectW(font, sizeof description, &description) == 0) {
        return nullptr;
    }
    description.lfUnderline = TRUE;
    return CreateFontIndirectW(&description);
}

}  // namespace

void HyperlinkLabel::Attach(HWND page, int controlId) {
    Release();
    page_ = page;
    control_ = GetDlgItem(page, controlId);
    // The system's own hand: a private copy, so destroying it never takes
    // a shared pointer away.
    if (HCURSOR hand = LoadCursorW(nullptr, MAKEINTRESOURCEW(kHandCursor))) {
        cursor_ = CopyIcon(hand);
    }
    underlined_ = UnderlinedFont(page);
    if (control_ != nullptr && underlined_ != nullptr) {
        SendMessageW(control_, WM_SETFONT, reinterpret_cast<WPARAM>(underlined_), FALSE);
    }
}

bool HyperlinkLabel::SetCursorIfOver() const {
    if (cursor_ == nullptr || control_ == nullptr) {
        return false;
    }
    POINT pointer;
    RECT area;
    if (!GetCursorPos(&pointer) || !GetWindowRect(control_, &area) || !PtInRect(&area, pointer)) {
        return false;
    }
    SetCursor(cursor_);
    SetWindowLongPtrW(page_, DWLP_MSGRESULT, TRUE);
    return true;
}

HBRUSH HyperlinkLabel::Color(HDC dc) const {
    SetTextColor(dc, RGB(0, 0, 255));
    SetBkMode(dc, TRANSPARENT);
    return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
}

void HyperlinkLabel::Release() {
    if (cursor_ != nullptr) {
        DestroyCursor(cursor_);
        cursor_ = nullptr;
    }
    if (underlined_ != nullptr) {
        // The control may outlive the page's WM_DESTROY for a moment: it
        // must not be left drawing with a deleted font.
        if (IsWindow(control_)) {
            SendMessageW(control_, WM_SETFONT, 0, FALSE);
        }
        DeleteObject(underlined_);
        underlined_ = nullptr;
    }
    control_ = nullptr;
    page_ = nullptr;
}

}  // namespace skyloom::win32
