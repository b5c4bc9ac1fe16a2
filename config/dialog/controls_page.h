#pragma once

#include "config/dialog/configure_page.h"
#include "config/dialog_controls.h"

#include <QColor>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QSlider;

namespace skyloom {

// Settings hold colours as COLORREF values: 0x00BBGGRR.
QColor ColorFromColorRef(int32_t colorRef);
int32_t ColorRefFromColor(const QColor& color);

// Asks the user for a colour, starting from initial; nullopt when cancelled.
using ColorChooser = std::function<std::optional<QColor>(QWidget* parent, const QColor& initial)>;
// The standard chooser: QColorDialog, its custom colours all black each time.
std::optional<QColor> ChooseColorWithDialog(QWidget* parent, const QColor& initial);

// The page of every appearance setting: six sliders, thirteen check boxes,
// three radio groups, restore defaults and preview, as dialog_controls.h
// lists them.
class ControlsPage : public ConfigurePage {
    Q_OBJECT

public:
    static constexpr int kIndex = 1;

    explicit ControlsPage(QWidget* parent = nullptr);

    void PutTexts() override;
    // Every control from its setting.
    void PutValues();

    void SetColorChooser(ColorChooser chooser) { chooseColor_ = std::move(chooser); }
    // The program the preview button starts with "-s"; this program unless set.
    void SetPreviewProgram(std::string path) { previewProgram_ = std::move(path); }

private:
    QWidget* BuildSliders();
    QWidget* BuildCheckBoxes();
    QWidget* BuildRadioGroups();
    void ChooseColor(int group);
    void PutChooseColors();
    void StartPreview();

    QSlider* sliders_[kSliderCount];
    // Caption, left end and right end of each slider.
    QLabel* sliderLabels_[kSliderCount][3];
    QCheckBox* checkBoxes_[kCheckBoxCount];
    QGroupBox* groupBoxes_[kRadioGroupCount];
    QButtonGroup* radioGroups_[kRadioGroupCount];
    QPushButton* restoreDefaults_;
    QPushButton* preview_;

    ColorChooser chooseColor_ = ChooseColorWithDialog;
    std::string previewProgram_;
};

}  // namespace skyloom
