#include "config/dialog/controls_page.h"
#include "settings/settings.h"
#include "tests/config/dialog/dialog_test_support.h"

#include <QApplication>
#include <QImage>
#include <QMap>
#include <QPalette>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>

#include <algorithm>
#include <cmath>

using namespace skyloom;
using namespace skyloom::testing;

namespace {

// Relative luminance and contrast ratio as the web's accessibility rules
// define them: 1 for equal colours, 21 for black on white.
double Luminance(QRgb pixel) {
    const auto channel = [](int value) {
        const double unit = value / 255.0;
        return unit <= 0.03928 ? unit / 12.92 : std::pow((unit + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(pixel)) + 0.7152 * channel(qGreen(pixel)) + 0.0722 * channel(qBlue(pixel));
}

double Contrast(QRgb a, QRgb b) {
    const double lighter = std::max(Luminance(a), Luminance(b));
    const double darker = std::min(Luminance(a), Luminance(b));
    return (lighter + 0.05) / (darker + 0.05);
}

// Where the style draws the swatch and the caption in the button.
struct ButtonParts {
    QRect swatch;
    QRect caption;
};
ButtonParts Parts(QRadioButton* button) {
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    option.icon = button->icon();
    option.iconSize = button->iconSize();
    const QRect contents = button->style()->subElementRect(QStyle::SE_RadioButtonContents, &option, button);
    const QSize icon = button->iconSize();
    const QRect swatch(contents.left(), contents.center().y() - icon.height() / 2, icon.width(), icon.height());
    return {swatch, contents.adjusted(icon.width() + 2, 0, 0, 0)};
}

// The strongest contrast any caption pixel makes with the caption's
// background (its most frequent colour).
double CaptionContrast(const QImage& shot, const QRect& caption) {
    QMap<QRgb, int> counts;
    for (int y = caption.top(); y <= caption.bottom(); ++y) {
        for (int x = caption.left(); x <= caption.right(); ++x) {
            ++counts[shot.pixel(x, y)];
        }
    }
    QRgb background = 0;
    int most = 0;
    for (auto count = counts.cbegin(); count != counts.cend(); ++count) {
        if (count.value() > most) {
            most = count.value();
            background = count.key();
        }
    }
    double strongest = 1;
    for (auto count = counts.cbegin(); count != counts.cend(); ++count) {
        strongest = std::max(strongest, Contrast(count.key(), background));
    }
    return strongest;
}

QPalette DarkTheme() {
    QPalette dark(QColor(60, 60, 60), QColor(45, 45, 45));
    dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
    dark.setColor(QPalette::Text, QColor(230, 230, 230));
    dark.setColor(QPalette::ButtonText, QColor(230, 230, 230));
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    return dark;
}

// The application's palette for as long as it lives.
class ThemeScope {
public:
    explicit ThemeScope(const QPalette& theme) : previous_(QApplication::palette()) { QApplication::setPalette(theme); }
    ~ThemeScope() { QApplication::setPalette(previous_); }

private:
    QPalette previous_;
};

}  // namespace

Q_DECLARE_METATYPE(QPalette)

// The "choose" captions of the colour groups stay readable in every chosen
// colour, on light and dark themes alike; the swatch beside each shows the
// colour.
class ChooseCaptionTest : public QObject {
    Q_OBJECT

private slots:
    void init() { ResetDialogSettings(); }

    void captionReadableAndSwatchShowsTheColor_data() {
        QTest::addColumn<QPalette>("theme");
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("colorRef");
        const QPalette light = QApplication::palette();
        // COLORREF: red in the low byte.
        QTest::newRow("sun white, light theme") << light << "IDC_RADIO_SUNSCOLOR_0" << 0xFFFFFF;
        QTest::newRow("sun black, light theme") << light << "IDC_RADIO_SUNSCOLOR_0" << 0x000000;
        QTest::newRow("sun white, dark theme") << DarkTheme() << "IDC_RADIO_SUNSCOLOR_0" << 0xFFFFFF;
        QTest::newRow("sun black, dark theme") << DarkTheme() << "IDC_RADIO_SUNSCOLOR_0" << 0x000000;
        QTest::newRow("nebula black, dark theme") << DarkTheme() << "IDC_RADIO_NEBCOLOR_0" << 0x000000;
        QTest::newRow("nebula default dark blue, dark theme") << DarkTheme() << "IDC_RADIO_NEBCOLOR_0" << 0x660000;
        QTest::newRow("nebula light yellow, light theme") << light << "IDC_RADIO_NEBCOLOR_0" << 0xE0FFFF;
    }

    void captionReadableAndSwatchShowsTheColor() {
        QFETCH(QPalette, theme);
        QFETCH(QString, button);
        QFETCH(int, colorRef);
        const ThemeScope scope(theme);
        CustomSunColor.Set(colorRef);
        CustomNebulaColor.Set(colorRef);
        ControlsPage page;
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        auto* choose = page.findChild<QRadioButton*>(button);
        QVERIFY(choose != nullptr);
        QVERIFY(!choose->text().isEmpty());

        const QImage shot = choose->grab().toImage();
        QCOMPARE(shot.devicePixelRatio(), 1.0);
        const ButtonParts parts = Parts(choose);
        const double contrast = CaptionContrast(shot, parts.caption);
        QVERIFY2(contrast >= 4.5, qPrintable(QStringLiteral("caption contrast %1").arg(contrast)));

        const QColor chosen(colorRef & 0xFF, (colorRef >> 8) & 0xFF, (colorRef >> 16) & 0xFF);
        QCOMPARE(QColor(shot.pixel(parts.swatch.center())), chosen);
    }
};

SKYLOOM_DIALOG_TEST("choose_caption_test", ChooseCaptionTest);
#include "choose_caption_test.moc"
