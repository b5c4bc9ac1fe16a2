#pragma once

#include <windows.h>

#include <string>

namespace skyloom::win32 {

// A static control of a page (with SS_NOTIFY) that looks and acts like a
// web link: blue, underlined, the hand pointer over it, opened on a click.
class HyperlinkLabel {
public:
    // Takes the control of the page: gives it an underlined copy of the
    // page's font and loads the hand pointer.
    void Attach(HWND page, int controlId);
    void SetTarget(const std::string& target) { target_ = target; }
    const std::string& Target() const { return target_; }

    bool Is(HWND control) const { return control != nullptr && control == control_; }
    // WM_SETCURSOR: true when the pointer is over the link and now a hand.
    bool SetCursorIfOver() const;
    // WM_CTLCOLORSTATIC for the link: blue on the page's own background.
    HBRUSH Color(HDC dc) const;
    // WM_COMMAND from the link: a click opens it, a double click does not
    // open it again.
    bool Clicked(WORD notification) const { return notification == STN_CLICKED; }
    // WM_DESTROY of the page: the pointer and the font go with it.
    void Release();

private:
    std::string target_;
    HWND page_ = nullptr;
    HWND control_ = nullptr;
    HCURSOR cursor_ = nullptr;
    HFONT underlined_ = nullptr;
};

}  // namespace skyloom::win32
