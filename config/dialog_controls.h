#pragma once

#include "config/language_tables.h"
#include "config/resource_ids.h"

namespace skyloom {

class BoolSetting;
class FloatSetting;
class IntSetting;
class StringSetting;

// What each control of the configuration sheet edits and shows, read by
// both dialogs (Qt widgets on Linux, dialog templates on Windows), so that
// they differ only in drawing and in passing on the user's changes.

// A control by its resource name (the Qt widget's object name, the
// identifier in the .rc file) and its number from resource_ids.h.
struct DialogControl {
    const char* name;
    int id;
};

// A control that shows the text of one key.
struct TextControl {
    DialogControl control;
    TextKey key;
};

// The sheet's pages in index order: template and tab title.
struct DialogPage {
    DialogControl dialog;
    TextKey title;
};
inline constexpr int kDialogPageCount = 3;
extern const DialogPage kDialogPages[kDialogPageCount];

// Controls page.

// Slider positions run from 0 to this; a setting of 1.0 stands at the end.
inline constexpr int kSliderScale = 1000;

// The position that shows a setting: truncated, not rounded, so a stored
// 0.005f (just below 0.005) stands at 4.
int SliderPosition(const FloatSetting& setting);
// The value a position stores: the quotient as a float.
float SliderValue(int position);

struct SliderControl {
    FloatSetting* setting;
    DialogControl slider;
    TextControl labels[3];  // caption, left end, right end
};
inline constexpr int kSliderCount = 6;
extern const SliderControl kSliderControls[kSliderCount];

// Checked when its setting is 1; stores 1 or 0.
struct CheckBoxControl {
    BoolSetting* setting;
    TextControl box;
};
inline constexpr int kCheckBoxCount = 13;
extern const CheckBoxControl kCheckBoxControls[kCheckBoxCount];

inline constexpr int kMaxRadioButtons = 4;

// A group box of buttons, the button at index v standing for the value v.
struct RadioGroupControl {
    IntSetting* setting;
    TextControl box;
    int count;
    TextControl buttons[kMaxRadioButtons];
    // The colour that the custom value stands for; null for the camera.
    IntSetting* chosenColor;
    // Shows that colour beside the button where the toolkit draws it as a
    // control of its own (Windows); no control for the camera.
    DialogControl swatch;
};
inline constexpr int kRadioGroupCount = 3;
extern const RadioGroupControl kRadioGroupControls[kRadioGroupCount];

extern const TextControl kRestoreDefaultsButton;
extern const TextControl kPreviewButton;

// Music page.
struct MusicPageControls {
    CheckBoxControl playMusic;
    TextControl playlistLabel;
    DialogControl fileName;
    StringSetting* fileSetting;
    // The field takes no more UTF-8 bytes than the setting holds.
    int maxFileNameBytes;
    TextControl select;
    // Shows the two texts joined by a blank.
    DialogControl about;
    TextKey aboutKeys[2];
};
extern const MusicPageControls kMusicPageControls;

// Introduction page.

// The language list's last entry: the key names as texts.
inline constexpr char kLabelsEntry[] = "< labels >";

struct IntroPageControls {
    DialogControl banner;
    int bannerBitmap;
    // Its key's text begins the version line.
    TextControl version;
    TextControl visit;
    TextControl emailLabel;
    DialogControl emailLink;
    TextControl webLabel;
    DialogControl webLink;
    TextControl languageLabel;
    DialogControl languages;
    DialogControl translationsLink;
    TextControl translator;
};
extern const IntroPageControls kIntroPageControls;

}  // namespace skyloom
