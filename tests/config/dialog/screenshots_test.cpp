#include "config/dialog/configure_sheet.h"
#include "tests/config/dialog/dialog_test_support.h"

#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QTabWidget>
#include <QTest>

using namespace skyloom;
using namespace skyloom::testing;

// Pictures of the three pages for people to look at: saved into
// $SKYLOOM_DIALOG_SHOTS when set, else into the test's scratch folder.
class ScreenshotsTest : public QObject {
    Q_OBJECT

private slots:
    void init() { ResetDialogSettings(); }

    void eachPage() {
        const QByteArray named = qgetenv("SKYLOOM_DIALOG_SHOTS");
        const QString folder = named.isEmpty() ? ScratchFolder() : QString::fromLocal8Bit(named);
        QVERIFY(QDir().mkpath(folder));

        ConfigureSheet sheet;
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));
        const char* const names[] = {"introduction", "controls", "music"};
        for (int page = 0; page < ConfigureSheet::kPageCount; ++page) {
            sheet.Tabs()->setCurrentIndex(page);
            const QImage shot = sheet.grab().toImage();
            QCOMPARE(shot.size(), sheet.size() * shot.devicePixelRatio());
            // A page with its controls drawn has far more than a few colours.
            QSet<QRgb> colors;
            for (int y = 0; y < shot.height(); y += 2) {
                for (int x = 0; x < shot.width(); x += 2) {
                    colors.insert(shot.pixel(x, y));
                }
            }
            QVERIFY2(colors.size() > 20, names[page]);
            const QString path = folder + QStringLiteral("/dialog-%1.png").arg(QLatin1String(names[page]));
            QVERIFY(shot.save(path));
        }
    }
};

SKYLOOM_DIALOG_TEST("screenshots_test", ScreenshotsTest);
#include "screenshots_test.moc"
