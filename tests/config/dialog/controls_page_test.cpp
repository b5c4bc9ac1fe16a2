#include "config/dialog/configure_sheet.h"
#include "config/dialog/controls_page.h"
#include "config/language_tables.h"
#include "settings/settings.h"
#include "settings/value_text.h"
#include "tests/config/dialog/dialog_test_support.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QTest>

#include <memory>
#include <utility>

using namespace skyloom;
using namespace skyloom::testing;

namespace {

template <typename Widget>
Widget* Find(QWidget* page, const char* name) {
    Widget* widget = page->findChild<Widget*>(QLatin1String(name));
    if (widget == nullptr) {
        qFatal("no control %s", name);
    }
    return widget;
}

// On the box or dot itself: a button wider than its caption takes clicks
// only on the caption and indicator.
void Click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2)); }

float StoredFloat(const char* name) {
    float value = -1;
    ParseFloatText(StoredText(name).value_or(""), value);
    return value;
}

// The colour of the swatch beside a "choose" caption.
QColor SwatchColor(QAbstractButton* choose) {
    const QImage swatch = choose->icon().pixmap(choose->iconSize()).toImage();
    return swatch.pixelColor(swatch.rect().center());
}

int32_t StoredInt(const char* name) {
    int32_t value = -1;
    ParseInt32Text(StoredText(name).value_or(""), value);
    return value;
}

struct SliderCase {
    const char* slider;
    FloatSetting* setting;
    int defaultPosition;
};
const SliderCase kSliders[] = {
    {"IDC_SLIDER_MOVESPEED", &FactorCameraSpeed, 119}, {"IDC_SLIDER_FOV", &FactorCameraFov, 819},
    {"IDC_SLIDER_SUNS", &FactorNumSuns, 150},          {"IDC_SLIDER_STARS", &FactorNumStars, 125},
    {"IDC_SLIDER_NEBULAE", &FactorNumNebulae, 219},    {"IDC_SLIDER_DESKFADE", &FactorDeskFade, 1000},
};

struct CheckCase {
    const char* box;
    BoolSetting* setting;
};
const CheckCase kChecks[] = {
    {"IDC_CHECK_SHOWSUPERNOVAE", &ShowSupernovae},
    {"IDC_CHECK_SHOWREDGIANTS", &ShowRedGiants},
    {"IDC_CHECK_NEBULAESTORMS", &NebulaeStorms},
    {"IDC_CHECK_DARKPATCHESINNEBULAE", &DarkPatchesInNebulae},
    {"IDC_CHECK_SHOWLENSFLARE", &ShowLensFlare},
    {"IDC_CHECK_SHOWSUNFLARE", &ShowSunFlare},
    {"IDC_CHECK_CONSTELLATIONLINES", &ConstellationLines},
    {"IDC_CHECK_SHOWLOCALTIME", &ShowLocalTime},
    {"IDC_CHECK_SHOWFRAMERATE", &ShowFramerate},
    {"IDC_CHECK_FADEFROMDESKTOP", &FadeFromDesktop},
    {"IDC_CHECK_LOWDETAIL", &LowDetail},
    {"IDC_CHECK_MONITORPOWERSAVING", &PermitMonitorPowerSaving},
};

}  // namespace

class ControlsPageTest : public QObject {
    Q_OBJECT

private slots:
    void init() { ResetDialogSettings(); }

    void slidersStandAtTheDefaults() {
        ControlsPage page;
        for (const SliderCase& slider : kSliders) {
            QCOMPARE(Find<QSlider>(&page, slider.slider)->value(), slider.defaultPosition);
            QCOMPARE(Find<QSlider>(&page, slider.slider)->maximum(), 1000);
        }
    }

    void everySliderStoresItsPositionAtOnce() {
        ControlsPage page;
        int position = 10;
        for (const SliderCase& slider : kSliders) {
            Find<QSlider>(&page, slider.slider)->setValue(position);
            QCOMPARE(slider.setting->Get(), static_cast<float>(position / 1000.0));
            QCOMPARE(StoredFloat(slider.setting->Name().c_str()), static_cast<float>(position / 1000.0));
            position += 100;
        }
        // The keyboard moves it as the mouse does.
        QSlider* stars = Find<QSlider>(&page, "IDC_SLIDER_STARS");
        stars->setFocus();
        QTest::keyClick(stars, Qt::Key_End);
        QCOMPARE(StoredFloat("FactorNumStars"), 1.0f);
    }

    void sliderPositionsComeBackTruncated() {
        {
            ControlsPage page;
            Find<QSlider>(&page, "IDC_SLIDER_STARS")->setValue(500);
            Find<QSlider>(&page, "IDC_SLIDER_SUNS")->setValue(5);
        }
        QCOMPARE(FactorNumStars.Get(), 0.5f);
        QCOMPARE(StoredText("FactorNumStars").value_or(""), std::string("0.5"));
        ControlsPage again;
        QCOMPARE(Find<QSlider>(&again, "IDC_SLIDER_STARS")->value(), 500);
        // 0.005 has no float; the nearest lies just below, so 5 shows as 4,
        // and showing it stores nothing: the setting keeps what was chosen.
        QCOMPARE(Find<QSlider>(&again, "IDC_SLIDER_SUNS")->value(), 4);
        QCOMPARE(FactorNumSuns.Get(), 0.005f);
        QCOMPARE(StoredFloat("FactorNumSuns"), 0.005f);
    }

    void handEditedValuesBeyondTheRangeShowAtTheNearerEndAndStayStored() {
        const std::pair<float, int> cases[] = {{1e10f, 1000}, {3.5f, 1000}, {-1e10f, 0}, {-0.5f, 0}};
        for (const auto& [stored, position] : cases) {
            for (const SliderCase& slider : kSliders) {
                slider.setting->Set(stored);
            }
            ControlsPage page;
            for (const SliderCase& slider : kSliders) {
                QCOMPARE(Find<QSlider>(&page, slider.slider)->value(), position);
                QCOMPARE(StoredFloat(slider.setting->Name().c_str()), stored);
            }
        }
    }

    void everyCheckBoxStoresItsStateAtOnce() {
        ControlsPage page;
        page.show();
        for (const CheckCase& check : kChecks) {
            QCheckBox* box = Find<QCheckBox>(&page, check.box);
            const int before = check.setting->Get();
            QCOMPARE(box->isChecked(), before == 1);
            Click(box);
            QCOMPARE(check.setting->Get(), 1 - before);
            QCOMPARE(StoredText(check.setting->Name().c_str()).value_or(""), std::to_string(1 - before));
            QTest::keyClick(box, Qt::Key_Space);
            QCOMPARE(StoredText(check.setting->Name().c_str()).value_or(""), std::to_string(before));
        }
    }

    void primaryMonitorBoxIsDisabledOnOneScreenAndKeepsItsValue() {
        PrimaryMonitorOnly.Set(0);
        ControlsPage page;
        QCheckBox* box = Find<QCheckBox>(&page, "IDC_CHECK_PRIMARYMONITORONLY");
        QVERIFY(!box->isEnabled());
        QVERIFY(!box->isChecked());
        QCOMPARE(StoredText("PrimaryMonitorOnly").value_or(""), std::string("0"));
    }

    void radioButtonsStoreTheirValues_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("setting");
        QTest::addColumn<int>("value");
        QTest::newRow("no roll") << "IDC_RADIO_CAMROT_0" << "CameraRotateEnum" << 0;
        QTest::newRow("clockwise") << "IDC_RADIO_CAMROT_1" << "CameraRotateEnum" << 1;
        QTest::newRow("sun mixture") << "IDC_RADIO_SUNSCOLOR_2" << "SunColorEnum" << 2;
        QTest::newRow("nebula random") << "IDC_RADIO_NEBCOLOR_1" << "NebulaColorEnum" << 1;
    }
    void radioButtonsStoreTheirValues() {
        QFETCH(QString, button);
        QFETCH(QString, setting);
        QFETCH(int, value);
        ControlsPage page;
        page.show();
        QRadioButton* radio = Find<QRadioButton>(&page, button.toLatin1().constData());
        QVERIFY(!radio->isChecked());
        Click(radio);
        QVERIFY(radio->isChecked());
        QCOMPARE(StoredInt(setting.toLatin1().constData()), value);
    }

    void defaultsSelectTheirButtons() {
        ControlsPage page;
        QVERIFY(Find<QRadioButton>(&page, "IDC_RADIO_CAMROT_3")->isChecked());
        QVERIFY(Find<QRadioButton>(&page, "IDC_RADIO_SUNSCOLOR_3")->isChecked());
        QVERIFY(Find<QRadioButton>(&page, "IDC_RADIO_NEBCOLOR_2")->isChecked());
    }

    void storedValueOutsideItsGroupSelectsNothing() {
        CameraRotateEnum.Set(9);
        NebulaColorEnum.Set(-1);
        ControlsPage page;
        for (QRadioButton* radio : Find<QGroupBox>(&page, "IDCS_CAMROT")->findChildren<QRadioButton*>()) {
            QVERIFY(!radio->isChecked());
        }
        for (QRadioButton* radio : Find<QGroupBox>(&page, "IDCS_NEBCOLOR")->findChildren<QRadioButton*>()) {
            QVERIFY(!radio->isChecked());
        }
        QCOMPARE(CameraRotateEnum.Get(), 9);
        QCOMPARE(StoredInt("CameraRotateEnum"), 9);
        QCOMPARE(NebulaColorEnum.Get(), -1);
    }

    void cancelledChooserLeavesGroupAtChooseAndColorUnchanged() {
        SunColorEnum.Set(2);
        CustomSunColor.Set(0x123456);
        ControlsPage page;
        page.show();
        int calls = 0;
        QColor offered;
        page.SetColorChooser([&](QWidget*, const QColor& initial) -> std::optional<QColor> {
            ++calls;
            offered = initial;
            return std::nullopt;
        });
        QRadioButton* choose = Find<QRadioButton>(&page, "IDC_RADIO_SUNSCOLOR_0");
        Click(choose);
        QCOMPARE(calls, 1);
        // COLORREF 0x123456 is red 0x56, green 0x34, blue 0x12.
        QCOMPARE(offered, QColor(0x56, 0x34, 0x12));
        QCOMPARE(StoredInt("SunColorEnum"), 0);
        QCOMPARE(StoredInt("CustomSunColor"), 0x123456);
        QVERIFY(choose->isChecked());
        // Clicking the selected button asks again.
        Click(choose);
        QCOMPARE(calls, 2);
    }

    void confirmedChooserStoresTheColorAndRepaintsTheSwatch() {
        ControlsPage page;
        page.show();
        QRadioButton* choose = Find<QRadioButton>(&page, "IDC_RADIO_NEBCOLOR_0");
        // The default nebula colour, COLORREF 0x660000, is dark blue.
        QCOMPARE(SwatchColor(choose), QColor(0, 0, 102));
        page.SetColorChooser([](QWidget*, const QColor&) -> std::optional<QColor> { return QColor(200, 100, 50); });
        Click(choose);
        QCOMPARE(StoredInt("NebulaColorEnum"), 0);
        QCOMPARE(StoredInt("CustomNebulaColor"), 50 << 16 | 100 << 8 | 200);
        QCOMPARE(SwatchColor(choose), QColor(200, 100, 50));
        QCOMPARE(CustomSunColor.Get(), 0xFFFFFF);
    }

    void realColorDialogStartsFromTheStoredColor() {
        CustomSunColor.Set(0x00FF00);
        ControlsPage page;
        page.show();
        QColor offered;
        QString dialogClass;
        OnNextModal([&](QWidget* modal) {
            dialogClass = QString::fromLatin1(modal->metaObject()->className());
            auto* dialog = qobject_cast<QColorDialog*>(modal);
            if (dialog == nullptr) {
                modal->close();
                return;
            }
            offered = dialog->currentColor();
            dialog->setCurrentColor(QColor(10, 20, 30));
            dialog->accept();
        });
        Click(Find<QRadioButton>(&page, "IDC_RADIO_SUNSCOLOR_0"));
        QCOMPARE(dialogClass, QStringLiteral("QColorDialog"));
        QCOMPARE(offered, QColor(0, 255, 0));
        QCOMPARE(StoredInt("CustomSunColor"), 30 << 16 | 20 << 8 | 10);
        QCOMPARE(QColorDialog::customColor(0), QColor(Qt::black));
    }

    void restoreDefaultsLeavesMusicLanguageAndCounters() {
        PlayMusic.Set(1);
        MusicFilename.Set("/music/list.m3u");
        CurrentLanguage.Set("german");
        UCA.Set(5);
        CurrentConfigureSheet.Set(1);
        VsyncEnabled.Set(0);
        ControlsPage page;
        page.show();
        Find<QSlider>(&page, "IDC_SLIDER_FOV")->setValue(42);
        Click(Find<QCheckBox>(&page, "IDC_CHECK_LOWDETAIL"));
        Click(Find<QRadioButton>(&page, "IDC_RADIO_CAMROT_1"));
        page.SetColorChooser([](QWidget*, const QColor&) -> std::optional<QColor> { return QColor(1, 2, 3); });
        Click(Find<QRadioButton>(&page, "IDC_RADIO_SUNSCOLOR_0"));

        QTest::mouseClick(Find<QPushButton>(&page, "IDC_BUTTON_RESTOREDEFAULTS"), Qt::LeftButton);

        QCOMPARE(Find<QSlider>(&page, "IDC_SLIDER_FOV")->value(), 819);
        QCOMPARE(StoredFloat("FactorCameraFov"), 0.82f);
        QVERIFY(!Find<QCheckBox>(&page, "IDC_CHECK_LOWDETAIL")->isChecked());
        QCOMPARE(StoredText("LowDetail").value_or(""), std::string("0"));
        QVERIFY(Find<QRadioButton>(&page, "IDC_RADIO_CAMROT_3")->isChecked());
        QVERIFY(Find<QRadioButton>(&page, "IDC_RADIO_SUNSCOLOR_3")->isChecked());
        QCOMPARE(StoredInt("CustomSunColor"), 0xFFFFFF);
        QCOMPARE(SwatchColor(Find<QRadioButton>(&page, "IDC_RADIO_SUNSCOLOR_0")), QColor(255, 255, 255));

        QCOMPARE(StoredText("PlayMusic").value_or(""), std::string("1"));
        QCOMPARE(StoredText("MusicFilename").value_or(""), std::string("/music/list.m3u"));
        QCOMPARE(StoredText("CurrentLanguage").value_or(""), std::string("german"));
        QCOMPARE(StoredInt("UCA"), 5);
        QCOMPARE(StoredInt("CurrentConfigureSheet"), 1);
        QCOMPARE(StoredText("VsyncEnabled").value_or(""), std::string("0"));
    }

    void previewStartsTheProgramFullScreen() {
        const QString script = ScratchFolder() + QStringLiteral("/fake-saver");
        const QString record = ScratchFolder() + QStringLiteral("/fake-saver.args");
        QFile file(script);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("#!/bin/sh\necho \"$@\" > '%1.tmp' && mv '%1.tmp' '%1'\n").arg(record).toUtf8());
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        ControlsPage page;
        page.show();
        page.SetPreviewProgram(script.toStdString());
        QTest::mouseClick(Find<QPushButton>(&page, "IDC_BUTTON_PREVIEW"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(record), 10000);
        QFile args(record);
        QVERIFY(args.open(QIODevice::ReadOnly));
        QCOMPARE(args.readAll(), QByteArray("-s\n"));

        // A program that is not there: nothing happens, nothing is reported.
        page.SetPreviewProgram((ScratchFolder() + QStringLiteral("/missing")).toStdString());
        QTest::mouseClick(Find<QPushButton>(&page, "IDC_BUTTON_PREVIEW"), Qt::LeftButton);
        QVERIFY(page.isVisible());
    }

    void captionsComeFromTheirKeys() {
        ControlsPage page;
        QCOMPARE(Find<QLabel>(&page, "IDCS_SUNS")->text(), QString::fromUtf8(GetText(T_SUNS)));
        QCOMPARE(Find<QLabel>(&page, "IDC_STATIC_DESKFADECOMPLETE")->text(),
                 QString::fromUtf8(GetText(T_DESKFADECOMPLETE)));
        QCOMPARE(Find<QCheckBox>(&page, "IDC_CHECK_SHOWLENSFLARE")->text(), QString::fromUtf8(GetText(T_LENSFLARES)));
        QCOMPARE(Find<QGroupBox>(&page, "IDCS_NEBCOLOR")->title(), QString::fromUtf8(GetText(T_NEBULAECOLOR)));
        QCOMPARE(Find<QRadioButton>(&page, "IDC_RADIO_CAMROT_2")->text(),
                 QString::fromUtf8(GetText(T_COUNTERCLOCKWISE)));
        QCOMPARE(Find<QRadioButton>(&page, "IDC_RADIO_SUNSCOLOR_0")->text(), QString::fromUtf8(GetText(T_CHOOSE)));
        QCOMPARE(Find<QPushButton>(&page, "IDC_BUTTON_PREVIEW")->text(), QString::fromUtf8(GetText(T_PREVIEW)));
    }
};

SKYLOOM_DIALOG_TEST("controls_page_test", ControlsPageTest);
#include "controls_page_test.moc"
