// The Controls page: sliders, check boxes and radio groups that mirror the
// appearance settings, each change stored the moment it is made.

#include "config/dialog/win32/configure_sheet.h"
#include "config/dialog/win32/dialog_text.h"
#include "config/dialog/win32/pages.h"
#include "config/dialog_controls.h"
#include "objects/nebula_color.h"
#include "objects/sun_color.h"
#include "os/detached_process.h"
#include "os/executable_path.h"
#include "saver/fatal_exit.h"
#include "settings/settings.h"

#include <commctrl.h>

#include <string>

namespace skyloom::win32 {

namespace {

constexpr int kPageIndex = 1;
constexpr const char* kSourceName = "configurecontrols";

// The value both colour settings give the custom colour, the one the
// chooser sets.
constexpr int kChooseValue = static_cast<int>(SunColorMode::Custom);
static_assert(kChooseValue == static_cast<int>(NebulaColorMode::Custom));

void PutTexts(HWND page) {
    for (const SliderControl& slider : kSliderControls) {
        for (const TextControl& label : slider.labels) {
            PutKeyText(page, label);
        }
    }
    for (const CheckBoxControl& box : kCheckBoxControls) {
        PutKeyText(page, box.box);
    }
    for (const RadioGroupControl& group : kRadioGroupControls) {
        PutKeyText(page, group.box);
        for (int value = 0; value < group.count; ++value) {
            PutKeyText(page, group.buttons[value]);
        }
    }
    PutKeyText(page, kRestoreDefaultsButton);
    PutKeyText(page, kPreviewButton);
}

void PutRadioGroup(HWND page, const RadioGroupControl& group) {
    const int first = group.buttons[0].control.id;
    const int value = group.setting->Get();
    if (value >= 0 && value < group.count) {
        CheckRadioButton(page, first, first + group.count - 1, first + value);
        return;
    }
    // A value no button stands for (edited by hand): none is selected and
    // the value stays until the user picks one.
    for (int index = 0; index < group.count; ++index) {
        CheckDlgButton(page, first + index, BST_UNCHECKED);
    }
}

void PutValues(HWND page) {
    for (const CheckBoxControl& box : kCheckBoxControls) {
        CheckDlgButton(page, box.box.control.id, box.setting->Get() == 1 ? BST_CHECKED : BST_UNCHECKED);
        // Which monitor is primary only matters with more than one. The
        // box keeps its value either way.
        if (box.setting == &PrimaryMonitorOnly) {
            EnableWindow(GetDlgItem(page, box.box.control.id), GetSystemMetrics(SM_CMONITORS) > 1);
        }
    }
    for (const SliderControl& slider : kSliderControls) {
        HWND bar = GetDlgItem(page, slider.slider.id);
        SendMessageW(bar, TBM_SETRANGE, FALSE, MAKELPARAM(0, kSliderScale));
        SendMessageW(bar, TBM_SETPOS, TRUE, SliderPosition(*slider.setting));
    }
    for (const RadioGroupControl& group : kRadioGroupControls) {
        PutRadioGroup(page, group);
        if (group.chosenColor != nullptr) {
            InvalidateRect(GetDlgItem(page, group.swatch.id), nullptr, TRUE);
        }
    }
}

void ChooseCustomColor(HWND page, const RadioGroupControl& group) {
    // Sixteen custom colours that start black every time.
    COLORREF customColors[16] = {};
    CHOOSECOLORA chooser = {};
    chooser.lStructSize = sizeof chooser;
    chooser.hwndOwner = page;
    chooser.rgbResult = static_cast<COLORREF>(group.chosenColor->Get());
    chooser.lpCustColors = customColors;
    chooser.Flags = CC_RGBINIT;
    if (ChooseColorA(&chooser)) {
        group.chosenColor->Set(static_cast<int32_t>(chooser.rgbResult));
        InvalidateRect(GetDlgItem(page, group.swatch.id), nullptr, TRUE);
    }
}

void StartPreview() {
    const std::string program = ExecutablePath();
    if (program.empty()) {
        return;
    }
    const char* const argv[] = {program.c_str(), "-s", nullptr};
    // Every change is stored already, so the preview shows them; one that
    // cannot start is not reported.
    StartDetachedProcess(program.c_str(), argv);
}

// A click on a check box or radio button; false for any other control.
bool Clicked(HWND page, int id) {
    for (const CheckBoxControl& box : kCheckBoxControls) {
        if (box.box.control.id == id) {
            box.setting->Set(IsDlgButtonChecked(page, id) == BST_CHECKED ? 1 : 0);
            return true;
        }
    }
    for (const RadioGroupControl& group : kRadioGroupControls) {
        const int value = id - group.buttons[0].control.id;
        if (value < 0 || value >= group.count) {
            continue;
        }
        group.setting->Set(value);
        // Every click, also on the button already selected, opens the
        // chooser again.
        if (group.chosenColor != nullptr && value == kChooseValue) {
            ChooseCustomColor(page, group);
        }
        return true;
    }
    return false;
}

void Command(HWND page, int id, WORD notification) {
    // Only clicks: a radio button also reports double clicks, which must
    // not open the colour chooser twice.
    if (notification != BN_CLICKED) {
        return;
    }
    if (id == kRestoreDefaultsButton.control.id) {
        RestoreDefaultSettings();
        PutValues(page);
    } else if (id == kPreviewButton.control.id) {
        StartPreview();
    } else {
        Clicked(page, id);
    }
}

// Every scroll notification, dragging included, stores the position.
void SliderMoved(HWND bar) {
    const int id = GetDlgCtrlID(bar);
    for (const SliderControl& slider : kSliderControls) {
        if (slider.slider.id == id) {
            slider.setting->Set(SliderValue(static_cast<int>(SendMessageW(bar, TBM_GETPOS, 0, 0))));
            return;
        }
    }
    AssertFailure("DIE", kSourceName, __LINE__);
}

// The swatch beside a custom-colour button is painted in its colour; the
// caption keeps the theme's text colour, readable whatever the colour.
INT_PTR SwatchColor(HWND control, HDC dc) {
    const int id = GetDlgCtrlID(control);
    for (const RadioGroupControl& group : kRadioGroupControls) {
        if (group.chosenColor != nullptr && group.swatch.id == id) {
            SetDCBrushColor(dc, static_cast<COLORREF>(group.chosenColor->Get()));
            return reinterpret_cast<INT_PTR>(GetStockObject(DC_BRUSH));
        }
    }
    return FALSE;
}

}  // namespace

INT_PTR CALLBACK ControlsPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        PutTexts(page);
        PutValues(page);
        return TRUE;
    case WM_COMMAND:
        Command(page, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_HSCROLL:
        SliderMoved(reinterpret_cast<HWND>(lParam));
        return TRUE;
    case WM_CTLCOLORSTATIC:
        return SwatchColor(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam));
    case WM_NOTIFY:
        return HandlePageNotification(page, *reinterpret_cast<const NMHDR*>(lParam), kPageIndex, PutTexts);
    default:
        return FALSE;
    }
}

}  // namespace skyloom::win32
