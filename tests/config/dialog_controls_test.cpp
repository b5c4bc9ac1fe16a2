#include "config/dialog_controls.h"

#include "config/ini_section.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace skyloom {
namespace {

// Every control the tables name, and every text key they show.
struct Listed {
    std::vector<DialogControl> controls;
    std::vector<TextKey> keys;

    void Add(const DialogControl& control) { controls.push_back(control); }
    void Add(const TextControl& control) {
        controls.push_back(control.control);
        keys.push_back(control.key);
    }
};

Listed ListTables() {
    Listed listed;
    for (const DialogPage& page : kDialogPages) {
        listed.keys.push_back(page.title);
    }
    for (const SliderControl& slider : kSliderControls) {
        listed.Add(slider.slider);
        for (const TextControl& label : slider.labels) {
            listed.Add(label);
        }
    }
    for (const CheckBoxControl& box : kCheckBoxControls) {
        listed.Add(box.box);
    }
    for (const RadioGroupControl& group : kRadioGroupControls) {
        listed.Add(group.box);
        for (int value = 0; value < group.count; ++value) {
            listed.Add(group.buttons[value]);
        }
        if (group.chosenColor != nullptr) {
            listed.Add(group.swatch);
        }
    }
    listed.Add(kRestoreDefaultsButton);
    listed.Add(kPreviewButton);

    const MusicPageControls& music = kMusicPageControls;
    for (const TextControl& control : {music.playMusic.box, music.playlistLabel, music.select}) {
        listed.Add(control);
    }
    listed.Add(music.fileName);
    listed.Add(music.about);
    listed.keys.insert(listed.keys.end(), std::begin(music.aboutKeys), std::end(music.aboutKeys));

    const IntroPageControls& intro = kIntroPageControls;
    for (const TextControl& control :
         {intro.version, intro.visit, intro.emailLabel, intro.webLabel, intro.languageLabel, intro.translator}) {
        listed.Add(control);
    }
    for (const DialogControl& control : {intro.banner, intro.emailLink, intro.webLink, intro.languages,
                                         intro.translationsLink}) {
        listed.Add(control);
    }
    return listed;
}

// The dialog and control numbers the .rc file would see, by name.
std::map<std::string, int> HeaderIds() {
    std::ifstream header(SKYLOOM_SOURCE_ROOT "/config/resource_ids.h");
    EXPECT_TRUE(header.is_open());
    const std::regex define(R"(#define\s+(IDD_\w+|IDC\w*_\w+)\s+(\d+)\s*)");
    std::map<std::string, int> ids;
    std::smatch match;
    for (std::string line; std::getline(header, line);) {
        if (std::regex_match(line, match, define)) {
            EXPECT_TRUE(ids.emplace(match[1], std::stoi(match[2])).second) << "defined twice: " << match[1];
        }
    }
    return ids;
}

TEST(DialogControlsTest, NamesAndNumbersAreUniqueAndInTheirRanges) {
    // Pages and controls each in their own range, clear of IDOK and kin.
    const struct {
        const char* what;
        std::vector<DialogControl> controls;
        int lowest;
        int highest;
    } kinds[] = {
        {"pages", {kDialogPages[0].dialog, kDialogPages[1].dialog, kDialogPages[2].dialog}, 100, 999},
        {"controls", ListTables().controls, 1000, 0xFFFF},
    };
    for (const auto& kind : kinds) {
        SCOPED_TRACE(kind.what);
        std::set<std::string> names;
        std::set<int> ids;
        for (const DialogControl& control : kind.controls) {
            EXPECT_TRUE(names.insert(control.name).second) << control.name;
            EXPECT_TRUE(ids.insert(control.id).second) << control.name << " " << control.id;
            EXPECT_GE(control.id, kind.lowest) << control.name;
            EXPECT_LE(control.id, kind.highest) << control.name;
        }
    }
}

// What the tables list is what resource_ids.h numbers, no more: a control
// that no page shows would be a stray template entry.
TEST(DialogControlsTest, ResourceHeaderNumbersExactlyTheTablesControls) {
    std::map<std::string, int> listed;
    for (const DialogPage& page : kDialogPages) {
        listed.emplace(page.dialog.name, page.dialog.id);
    }
    for (const DialogControl& control : ListTables().controls) {
        listed.emplace(control.name, control.id);
    }
    EXPECT_EQ(HeaderIds(), listed);
}

// Every control of the tables has its place in a Windows dialog template.
TEST(DialogControlsTest, EveryControlIsInADialogTemplate) {
    std::ifstream file(SKYLOOM_SOURCE_ROOT "/config/dialog/win32/configure_dialogs.rc.in");
    ASSERT_TRUE(file.is_open());
    const std::string templates{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    std::vector<DialogControl> controls = ListTables().controls;
    for (const DialogPage& page : kDialogPages) {
        controls.push_back(page.dialog);
    }
    for (const DialogControl& control : controls) {
        // As a template's or control's number: the name followed by a comma
        // or a blank, never only inside a longer name.
        const std::regex use("\\b" + std::string(control.name) + "\\b\\s*[,) ]");
        EXPECT_TRUE(std::regex_search(templates, use)) << control.name;
    }
}

// CheckRadioButton selects within a range of numbers.
TEST(DialogControlsTest, RadioButtonsAreNumberedInValueOrder) {
    for (const RadioGroupControl& group : kRadioGroupControls) {
        SCOPED_TRACE(group.box.control.name);
        ASSERT_GE(group.count, 2);
        ASSERT_LE(group.count, kMaxRadioButtons);
        for (int value = 1; value < group.count; ++value) {
            EXPECT_EQ(group.buttons[value].control.id, group.buttons[0].control.id + value);
        }
    }
}

TEST(DialogControlsTest, EachSettingHasOneControl) {
    std::set<const void*> settings;
    const auto claim = [&](const void* setting, const char* control) {
        EXPECT_NE(setting, nullptr) << control;
        EXPECT_TRUE(settings.insert(setting).second) << control;
    };
    for (const CheckBoxControl& box : kCheckBoxControls) {
        claim(box.setting, box.box.control.name);
    }
    claim(kMusicPageControls.playMusic.setting, kMusicPageControls.playMusic.box.control.name);
    claim(kMusicPageControls.fileSetting, kMusicPageControls.fileName.name);
    for (const SliderControl& slider : kSliderControls) {
        claim(slider.setting, slider.slider.name);
    }
    for (const RadioGroupControl& group : kRadioGroupControls) {
        claim(group.setting, group.box.control.name);
        if (group.chosenColor != nullptr) {
            claim(group.chosenColor, group.box.control.name);
        }
    }
}

TEST(DialogControlsTest, EveryTextKeyIsInTheEnglishFile) {
    IniSection english;
    ASSERT_TRUE(english.Load(SKYLOOM_SOURCE_ROOT "/data/text_english.ini", "Text"));
    for (const TextKey key : ListTables().keys) {
        ASSERT_GE(key, 0);
        ASSERT_LT(key, kTextKeyCount);
        EXPECT_NE(english.Find(TextKeyName(key)), nullptr) << TextKeyName(key);
    }
}

}  // namespace
}  // namespace skyloom
