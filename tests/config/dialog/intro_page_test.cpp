#include "config/dialog/configure_sheet.h"
#include "config/dialog/controls_page.h"
#include "config/dialog/intro_page.h"
#include "config/language_tables.h"
#include "settings/settings.h"
#include "skyloom_build_date.h"
#include "skyloom_site.h"
#include "tests/config/dialog/dialog_test_support.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>

using namespace skyloom;
using namespace skyloom::testing;

namespace {

QComboBox* Languages(QWidget* page) { return page->findChild<QComboBox*>(QStringLiteral("IDC_COMBO_LANGUAGE")); }

QStringList Items(QComboBox* combo) {
    QStringList items;
    for (int index = 0; index < combo->count(); ++index) {
        items << combo->itemText(index);
    }
    return items;
}

void ChooseLanguage(QComboBox* combo, const QString& name) {
    const int index = combo->findText(name);
    QVERIFY2(index >= 0, qPrintable(name));
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

// What the window system delivers for a double click: a click, then a
// second press that also arrives as a double click, then its release.
void DoubleClick(QWidget* widget) {
    QTest::mouseClick(widget, Qt::LeftButton);
    QTest::mousePress(widget, Qt::LeftButton);
    QTest::mouseDClick(widget, Qt::LeftButton);
    QTest::mouseRelease(widget, Qt::LeftButton);
}

void WriteLanguage(const QString& folder, const char* name, const QByteArray& text) {
    QFile file(folder + QStringLiteral("/text_%1.ini").arg(QLatin1String(name)));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[Text]\n" + text);
}

}  // namespace

class IntroPageTest : public QObject {
    Q_OBJECT

private slots:
    void init() { ResetDialogSettings(); }

    void versionLineNamesTheVersionAndBuildDate() {
        VersionMajor.Set(3);
        VersionMinor.Set(3);
        IntroPage page;
        const QString line = page.findChild<QLabel*>(QStringLiteral("IDC_STATIC_VERSION"))->text();
        const QRegularExpression form(QStringLiteral("^%1 3\\.3  -  (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) "
                                                     "[1-9][0-9]? [0-9]{4}$")
                                          .arg(QRegularExpression::escape(QString::fromUtf8(GetText(T_VERSION)))));
        QVERIFY2(form.match(line).hasMatch(), qPrintable(line));
        // The moment the build was configured with, not the day a file was compiled.
        QVERIFY2(line.endsWith(QString::fromStdString(BuildDateText(SKYLOOM_BUILD_EPOCH))), qPrintable(line));
    }

    void bannerShowsTheProgramPicture() {
        IntroPage page;
        const QPixmap banner = page.findChild<QLabel*>(QStringLiteral("IDC_BANNER"))->pixmap();
        QCOMPARE(banner.size(), QSize(512, 180));
    }

    void languageListIsSortedWithLabelsLast() {
        const QString folder = ScratchFolder() + QStringLiteral("/languages");
        QVERIFY(QDir().mkpath(folder));
        WriteLanguage(folder, "english", "T_LANGUAGE=Language:\n");
        WriteLanguage(folder, "Beta", "T_LANGUAGE=Beta language:\n");
        WriteLanguage(folder, "alpha", "T_LANGUAGE=Alpha language:\n");
        AppDir.Set(folder.toStdString());
        CurrentLanguage.Set("Beta");
        LoadLanguageTables();

        IntroPage page;
        QComboBox* combo = Languages(&page);
        QCOMPARE(Items(combo), (QStringList{"alpha", "Beta", "english", "< labels >"}));
        QCOMPARE(combo->currentText(), QStringLiteral("Beta"));

        ChooseLanguage(combo, QStringLiteral("alpha"));
        QCOMPARE(StoredText("CurrentLanguage").value_or(""), std::string("alpha"));
        QCOMPARE(page.findChild<QLabel*>(QStringLiteral("IDC_STATIC_LANGUAGE"))->text(),
                 QStringLiteral("Alpha language:"));
    }

    void noLanguageFilesLeaveOnlyLabelsSelected() {
        const QString folder = ScratchFolder() + QStringLiteral("/empty");
        QVERIFY(QDir().mkpath(folder));
        AppDir.Set(folder.toStdString());
        LoadLanguageTables();
        IntroPage page;
        QCOMPARE(Items(Languages(&page)), QStringList{"< labels >"});
        QCOMPARE(Languages(&page)->currentIndex(), 0);
    }

    void labelsShowKeyNamesAndRetitleTheTabsAtOnce() {
        ConfigureSheet sheet;
        sheet.show();
        auto* supernovae = sheet.Controls()->findChild<QCheckBox*>(QStringLiteral("IDC_CHECK_SHOWSUPERNOVAE"));
        const QString english = supernovae->text();
        QCOMPARE(Languages(sheet.Intro())->currentText(), QStringLiteral("english"));
        ChooseLanguage(Languages(sheet.Intro()), QStringLiteral("< labels >"));

        QCOMPARE(StoredText("CurrentLanguage").value_or("<none>"), std::string(""));
        QCOMPARE(sheet.Tabs()->tabText(0), QStringLiteral("T_INTRODUCTION"));
        QCOMPARE(sheet.Tabs()->tabText(1), QStringLiteral("T_CONTROLS"));
        QCOMPARE(sheet.Tabs()->tabText(2), QStringLiteral("T_MUSIC"));
        QCOMPARE(sheet.Intro()->findChild<QLabel*>(QStringLiteral("IDC_STATIC_LANGUAGE"))->text(),
                 QStringLiteral("T_LANGUAGE"));
        QCOMPARE(sheet.Intro()->findChild<QLabel*>(QStringLiteral("IDCS_TRANSLATOR"))->text(),
                 QStringLiteral("T_TRANSLATOR"));
        QCOMPARE(sheet.Intro()->findChild<QPushButton*>(QStringLiteral("IDC_BUTTON_VISIT"))->text(),
                 QStringLiteral("T_VISIT"));

        // The other pages follow when they are next shown.
        QCOMPARE(supernovae->text(), english);
        sheet.Tabs()->setCurrentIndex(ControlsPage::kIndex);
        QCOMPARE(supernovae->text(), QStringLiteral("T_SUPERNOVAE"));
    }

    void anotherLanguageRetitlesTheTabs() {
        ConfigureSheet sheet;
        sheet.show();
        ChooseLanguage(Languages(sheet.Intro()), QStringLiteral("german"));
        QCOMPARE(StoredText("CurrentLanguage").value_or(""), std::string("german"));
        QCOMPARE(sheet.Tabs()->tabText(0), QString::fromUtf8("Einführung"));
        QCOMPARE(sheet.Tabs()->tabText(2), QStringLiteral("Musik"));
        QCOMPARE(sheet.Intro()->findChild<QLabel*>(QStringLiteral("IDC_STATIC_LANGUAGE"))->text(),
                 QStringLiteral("Sprache:"));
    }

    void linksOpenOncePerClickEvenOnADoubleClick() {
        OpenedUrls opened;
        IntroPage page;
        page.show();
        auto* email = page.findChild<QLabel*>(QStringLiteral("IDC_LINK_EMAIL"));
        auto* web = page.findChild<QLabel*>(QStringLiteral("IDC_LINK_WEB"));
        QCOMPARE(email->text(), QStringLiteral(SKYLOOM_CONTACT_EMAIL));
        QCOMPARE(email->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        QVERIFY(email->font().underline());
        QCOMPARE(email->cursor().shape(), Qt::PointingHandCursor);

        DoubleClick(email);
        QCOMPARE(opened.urls, QList<QUrl>{QUrl(QStringLiteral("mailto:" SKYLOOM_CONTACT_EMAIL))});
        QTest::mouseClick(web, Qt::LeftButton);
        QCOMPARE(opened.urls.size(), 2);
        QCOMPARE(opened.urls.last(), QUrl(QStringLiteral(SKYLOOM_HOMEPAGE_URL)));
        // A press that ends outside the link is no click.
        QTest::mousePress(web, Qt::LeftButton);
        QTest::mouseRelease(web, Qt::LeftButton, {}, QPoint(web->width() + 20, web->height() + 20));
        QCOMPARE(opened.urls.size(), 2);

        QTest::mouseClick(page.findChild<QPushButton*>(QStringLiteral("IDC_BUTTON_VISIT")), Qt::LeftButton);
        QCOMPARE(opened.urls.last(), QUrl(QStringLiteral(SKYLOOM_HOMEPAGE_URL)));

        QTest::mouseClick(page.findChild<QLabel*>(QStringLiteral("IDC_LINK_TRANSLATIONS")), Qt::LeftButton);
        QCOMPARE(opened.urls.last(), QUrl::fromLocalFile(QStringLiteral(SKYLOOM_TEST_DATA_DIR "/sk_translations.htm")));
        QCOMPARE(opened.urls.size(), 4);
    }
};

SKYLOOM_DIALOG_TEST("intro_page_test", IntroPageTest);
#include "intro_page_test.moc"
