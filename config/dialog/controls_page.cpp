#include "config/dialog/controls_page.h"

#include "config/dialog_controls.h"

#include "objects/nebula_color.h"
#include "objects/sun_color.h"
#include "os/detached_process.h"
#include "os/executable_path.h"
#include "saver/fatal_exit.h"
#include "settings/settings.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

namespace skyloom {

namespace {

// Found at run time: a sanitizer build cannot compare the settings'
// addresses in a constant expression.
int CheckBoxIndex(const BoolSetting* setting) {
    for (int index = 0; index < kCheckBoxCount; ++index) {
        if (kCheckBoxControls[index].setting == setting) {
            return index;
        }
    }
    AssertFailure("DIE", "configurecontrols", __LINE__);
}

// The value both colour settings give the custom colour, the one the
// chooser sets.
constexpr int kChooseValue = static_cast<int>(SunColorMode::Custom);
static_assert(kChooseValue == static_cast<int>(NebulaColorMode::Custom));

QFrame* EtchedLine(QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

// A small square of the colour beside its caption, framed so that a colour
// close to the page's background still shows.
QIcon ColorSwatch(const QColor& color) {
    QPixmap swatch(12, 12);
    swatch.fill(color);
    QPainter painter(&swatch);
    painter.setPen(QColor(96, 96, 96));
    painter.drawRect(0, 0, swatch.width() - 1, swatch.height() - 1);
    return QIcon(swatch);
}

}  // namespace

QColor ColorFromColorRef(int32_t colorRef) {
    const auto bits = static_cast<uint32_t>(colorRef);
    return QColor(static_cast<int>(bits & 0xFF), static_cast<int>((bits >> 8) & 0xFF),
                  static_cast<int>((bits >> 16) & 0xFF));
}

int32_t ColorRefFromColor(const QColor& color) {
    const QColor rgb = color.toRgb();
    return static_cast<int32_t>(static_cast<uint32_t>(rgb.red()) | static_cast<uint32_t>(rgb.green()) << 8 |
                                static_cast<uint32_t>(rgb.blue()) << 16);
}

std::optional<QColor> ChooseColorWithDialog(QWidget* parent, const QColor& initial) {
    for (int index = 0; index < QColorDialog::customCount(); ++index) {
        QColorDialog::setCustomColor(index, Qt::black);
    }
    QColorDialog dialog(initial, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.selectedColor();
}

ControlsPage::ControlsPage(QWidget* parent)
    : ConfigurePage(kIndex, parent), previewProgram_(ExecutablePath()) {
    restoreDefaults_ = new QPushButton(this);
    restoreDefaults_->setObjectName(ObjectName(kRestoreDefaultsButton.control));
    preview_ = new QPushButton(this);
    preview_->setObjectName(ObjectName(kPreviewButton.control));
    connect(restoreDefaults_, &QPushButton::clicked, this, [this] {
        RestoreDefaultSettings();
        PutValues();
    });
    connect(preview_, &QPushButton::clicked, this, &ControlsPage::StartPreview);

    auto* columns = new QHBoxLayout;
    columns->addWidget(BuildSliders(), 5);
    columns->addWidget(BuildCheckBoxes(), 3);
    columns->addWidget(BuildRadioGroups(), 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(restoreDefaults_);
    buttons->addStretch(1);
    buttons->addWidget(preview_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns, 1);
    layout->addLayout(buttons);

    PutTexts();
    PutValues();
}

QWidget* ControlsPage::BuildSliders() {
    auto* box = new QGroupBox(this);
    // Caption above, end labels in their own columns, so the sliders line up.
    auto* layout = new QGridLayout(box);
    int row = 0;
    for (int index = 0; index < kSliderCount; ++index) {
        const SliderControl& entry = kSliderControls[index];
        if (index > 0) {
            layout->addWidget(EtchedLine(box), row++, 0, 1, 3);
        }
        for (int label = 0; label < 3; ++label) {
            sliderLabels_[index][label] = new QLabel(box);
            sliderLabels_[index][label]->setObjectName(ObjectName(entry.labels[label].control));
        }
        QSlider* slider = new QSlider(Qt::Horizontal, box);
        slider->setObjectName(ObjectName(entry.slider));
        slider->setRange(0, kSliderScale);
        slider->setTickPosition(QSlider::NoTicks);
        slider->setPageStep(kSliderScale / 10);
        // Long enough that one pixel is a few positions, not hundreds.
        slider->setMinimumWidth(160);
        sliders_[index] = slider;
        FloatSetting* setting = entry.setting;
        // Dragging included: every position the slider passes is stored.
        connect(slider, &QSlider::valueChanged, this, [setting](int position) {
            setting->Set(SliderValue(position));
        });

        layout->addWidget(sliderLabels_[index][0], row++, 0, 1, 3);
        layout->addWidget(sliderLabels_[index][1], row, 0);
        layout->addWidget(slider, row, 1);
        layout->addWidget(sliderLabels_[index][2], row++, 2);
    }
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(row, 1);
    return box;
}

QWidget* ControlsPage::BuildCheckBoxes() {
    auto* column = new QWidget(this);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    for (int index = 0; index < kCheckBoxCount; ++index) {
        QCheckBox* box = new QCheckBox(column);
        box->setObjectName(ObjectName(kCheckBoxControls[index].box.control));
        BoolSetting* setting = kCheckBoxControls[index].setting;
        // clicked comes from the user only, never from putting the values.
        connect(box, &QCheckBox::clicked, this, [setting](bool checked) { setting->Set(checked ? 1 : 0); });
        checkBoxes_[index] = box;
        layout->addWidget(box);
    }
    layout->addStretch(1);
    return column;
}

QWidget* ControlsPage::BuildRadioGroups() {
    auto* column = new QWidget(this);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    for (int group = 0; group < kRadioGroupCount; ++group) {
        const RadioGroupControl& entry = kRadioGroupControls[group];
        auto* box = new QGroupBox(column);
        box->setObjectName(ObjectName(entry.box.control));
        auto* boxLayout = new QVBoxLayout(box);
        auto* buttons = new QButtonGroup(box);
        for (int value = 0; value < entry.count; ++value) {
            auto* button = new QRadioButton(box);
            button->setObjectName(ObjectName(entry.buttons[value].control));
            buttons->addButton(button, value);
            boxLayout->addWidget(button);
        }
        IntSetting* setting = entry.setting;
        const bool hasChooser = entry.chosenColor != nullptr;
        // Every click counts, also on the button already selected: choosing
        // again opens the colour chooser again.
        connect(buttons, &QButtonGroup::idClicked, this, [this, setting, group, hasChooser](int value) {
            setting->Set(value);
            if (hasChooser && value == kChooseValue) {
                ChooseColor(group);
            }
        });
        groupBoxes_[group] = box;
        radioGroups_[group] = buttons;
        layout->addWidget(box);
    }
    layout->addStretch(1);
    return column;
}

void ControlsPage::PutTexts() {
    for (int index = 0; index < kSliderCount; ++index) {
        for (int label = 0; label < 3; ++label) {
            sliderLabels_[index][label]->setText(Text(kSliderControls[index].labels[label].key));
        }
    }
    for (int index = 0; index < kCheckBoxCount; ++index) {
        checkBoxes_[index]->setText(Text(kCheckBoxControls[index].box.key));
    }
    for (int group = 0; group < kRadioGroupCount; ++group) {
        const RadioGroupControl& entry = kRadioGroupControls[group];
        groupBoxes_[group]->setTitle(Text(entry.box.key));
        for (int value = 0; value < entry.count; ++value) {
            radioGroups_[group]->button(value)->setText(Text(entry.buttons[value].key));
        }
    }
    restoreDefaults_->setText(Text(kRestoreDefaultsButton.key));
    preview_->setText(Text(kPreviewButton.key));
}

void ControlsPage::PutValues() {
    for (int index = 0; index < kCheckBoxCount; ++index) {
        checkBoxes_[index]->setChecked(kCheckBoxControls[index].setting->Get() == 1);
    }
    for (int index = 0; index < kSliderCount; ++index) {
        // Showing a value must not store it: the truncated position would
        // overwrite the setting.
        const QSignalBlocker blocker(sliders_[index]);
        sliders_[index]->setValue(SliderPosition(*kSliderControls[index].setting));
    }
    // Which monitor is primary only matters with more than one. The box
    // keeps its value either way.
    checkBoxes_[CheckBoxIndex(&PrimaryMonitorOnly)]->setEnabled(QGuiApplication::screens().size() > 1);

    for (int group = 0; group < kRadioGroupCount; ++group) {
        QButtonGroup* buttons = radioGroups_[group];
        if (QAbstractButton* button = buttons->button(kRadioGroupControls[group].setting->Get())) {
            button->setChecked(true);
        } else if (QAbstractButton* checked = buttons->checkedButton()) {
            // A value no button stands for (edited by hand): none is
            // selected and the value stays until the user picks one.
            buttons->setExclusive(false);
            checked->setChecked(false);
            buttons->setExclusive(true);
        }
    }
    PutChooseColors();
}

void ControlsPage::PutChooseColors() {
    for (int group = 0; group < kRadioGroupCount; ++group) {
        const RadioGroupControl& entry = kRadioGroupControls[group];
        if (entry.chosenColor == nullptr) {
            continue;
        }
        // The caption keeps the theme's text colour, which stays readable
        // whatever the colour chosen (white on a light theme would vanish).
        QAbstractButton* choose = radioGroups_[group]->button(kChooseValue);
        choose->setIcon(ColorSwatch(ColorFromColorRef(entry.chosenColor->Get())));
    }
}

void ControlsPage::ChooseColor(int group) {
    IntSetting* chosenColor = kRadioGroupControls[group].chosenColor;
    const std::optional<QColor> color = chooseColor_(this, ColorFromColorRef(chosenColor->Get()));
    if (color && color->isValid()) {
        chosenColor->Set(ColorRefFromColor(*color));
        PutChooseColors();
    }
}

void ControlsPage::StartPreview() {
    if (previewProgram_.empty()) {
        return;
    }
    const char* const argv[] = {previewProgram_.c_str(), "-s", nullptr};
    // A preview that cannot start is not reported.
    StartDetachedProcess(previewProgram_.c_str(), argv);
}

}  // namespace skyloom
