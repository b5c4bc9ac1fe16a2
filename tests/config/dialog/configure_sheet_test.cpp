#include "config/dialog/configure_sheet.h"
#include "config/language_tables.h"
#include "config/dialog/intro_page.h"
#include "config/dialog/music_page.h"
#include "saver/entry.h"
#include "settings/settings.h"
#include "tests/config/dialog/dialog_test_support.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

using namespace skyloom;
using namespace skyloom::testing;

class ConfigureSheetTest : public QObject {
    Q_OBJECT

private slots:
    void init() { ResetDialogSettings(); }

    void opensOnTheStoredPage_data() {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("opened");
        QTest::newRow("music") << 2 << 2;
        QTest::newRow("controls") << 1 << 1;
        QTest::newRow("negative opens the first page") << -3 << 0;
    }
    void opensOnTheStoredPage() {
        QFETCH(int, stored);
        QFETCH(int, opened);
        CurrentConfigureSheet.Set(stored);
        ConfigureSheet sheet;
        QCOMPARE(sheet.Tabs()->currentIndex(), opened);
        // Activating the first page stores its index.
        QCOMPARE(CurrentConfigureSheet.Get(), opened);
    }

    void pageIndexPastTheLastIsResetAtStartup() {
        CurrentConfigureSheet.Set(7);
        CommonStartup();
        QCOMPARE(StoredText("CurrentConfigureSheet").value_or(""), std::string("0"));
        ConfigureSheet sheet;
        QCOMPARE(sheet.Tabs()->currentIndex(), 0);
    }

    void switchingPagesStoresTheIndexAtOnce() {
        ConfigureSheet sheet;
        sheet.show();
        sheet.Tabs()->setCurrentIndex(2);
        QCOMPARE(StoredText("CurrentConfigureSheet").value_or(""), std::string("2"));
        sheet.Tabs()->setCurrentIndex(1);
        QCOMPARE(StoredText("CurrentConfigureSheet").value_or(""), std::string("1"));
    }

    void captionTabsAndOnlyOkAndHelp() {
        ConfigureSheet sheet;
        QCOMPARE(sheet.windowTitle(), QStringLiteral(" Skyloom"));
        QVERIFY(!sheet.windowIcon().isNull());
        QCOMPARE(sheet.Tabs()->count(), 3);
        QCOMPARE(sheet.Tabs()->tabText(0), QString::fromUtf8(GetText(T_INTRODUCTION)));
        QCOMPARE(sheet.Tabs()->tabText(1), QString::fromUtf8(GetText(T_CONTROLS)));
        QCOMPARE(sheet.Tabs()->tabText(2), QString::fromUtf8(GetText(T_MUSIC)));
        QVERIFY(!sheet.Tabs()->tabText(0).isEmpty());
        QCOMPARE(sheet.Tabs()->widget(0)->objectName(), QStringLiteral("IDD_DLG_INTRO"));
        QCOMPARE(sheet.Tabs()->widget(1)->objectName(), QStringLiteral("IDD_DLG_CONTROLS"));
        QCOMPARE(sheet.Tabs()->widget(2)->objectName(), QStringLiteral("IDD_DLG_MUSIC"));

        const QList<QAbstractButton*> buttons = sheet.Buttons()->buttons();
        QCOMPARE(buttons.size(), 2);
        QVERIFY(sheet.Buttons()->button(QDialogButtonBox::Ok) != nullptr);
        QVERIFY(sheet.Buttons()->button(QDialogButtonBox::Help) != nullptr);
        for (QPushButton* button : sheet.findChildren<QPushButton*>()) {
            const QDialogButtonBox::ButtonRole role = sheet.Buttons()->buttonRole(button);
            QVERIFY2(role != QDialogButtonBox::RejectRole && role != QDialogButtonBox::ApplyRole,
                     qPrintable(button->text()));
        }
    }

    void helpOpensTheHelpPageOfTheDataFolder() {
        OpenedUrls opened;
        ConfigureSheet sheet;
        sheet.show();
        QTest::mouseClick(sheet.Buttons()->button(QDialogButtonBox::Help), Qt::LeftButton);
        QCOMPARE(opened.urls.size(), 1);
        QCOMPARE(opened.urls.first(), QUrl::fromLocalFile(QStringLiteral(SKYLOOM_TEST_DATA_DIR "/help.htm")));
        QVERIFY(sheet.isVisible());
    }

    void secondRequestBringsTheWindowBack() {
        ConfigureSheet sheet;
        sheet.show();
        sheet.showMinimized();
        QVERIFY(sheet.isMinimized());
        sheet.BringToFront();
        QVERIFY(sheet.isVisible());
        QVERIFY(!sheet.isMinimized());
    }
};

SKYLOOM_DIALOG_TEST("configure_sheet_test", ConfigureSheetTest);
#include "configure_sheet_test.moc"
