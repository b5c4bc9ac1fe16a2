#include "config/dialog/configure_sheet.h"
#include "config/dialog/music_page.h"
#include "config/language_tables.h"
#include "settings/settings.h"
#include "tests/config/dialog/dialog_test_support.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

using namespace skyloom;
using namespace skyloom::testing;

namespace {

QLineEdit* Field(QWidget* page) { return page->findChild<QLineEdit*>(QStringLiteral("IDC_EDIT_MUSICFILE")); }
QPushButton* SelectButton(QWidget* page) { return page->findChild<QPushButton*>(QStringLiteral("IDC_BUTTON_SELECT")); }

std::string StoredName() { return StoredText("MusicFilename").value_or("<none>"); }

}  // namespace

class MusicPageTest : public QObject {
    Q_OBJECT

private slots:
    void init() { ResetDialogSettings(); }

    void checkBoxStoresAtEachClick() {
        MusicPage page;
        page.show();
        auto* box = page.findChild<QCheckBox*>(QStringLiteral("IDC_CHECK_PLAYMUSIC"));
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
        QCOMPARE(StoredText("PlayMusic").value_or(""), std::string("1"));
        QCOMPARE(StoredName(), std::string(""));
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
        QCOMPARE(StoredText("PlayMusic").value_or(""), std::string("0"));
    }

    void typedNameIsStoredWhenThePageIsLeft() {
        CurrentConfigureSheet.Set(MusicPage::kIndex);
        ConfigureSheet sheet;
        sheet.show();
        QTest::keyClicks(Field(sheet.Music()), QStringLiteral("/music/first.m3u"));
        QCOMPARE(StoredName(), std::string(""));
        sheet.Tabs()->setCurrentIndex(0);
        QCOMPARE(StoredName(), std::string("/music/first.m3u"));
    }

    void typedNameIsStoredOnOk() {
        CurrentConfigureSheet.Set(MusicPage::kIndex);
        ConfigureSheet sheet;
        sheet.show();
        QTest::keyClicks(Field(sheet.Music()), QStringLiteral("/music/ok.pls"));
        QTest::mouseClick(sheet.Buttons()->button(QDialogButtonBox::Ok), Qt::LeftButton);
        QVERIFY(!sheet.isVisible());
        QCOMPARE(StoredName(), std::string("/music/ok.pls"));
    }

    void typedNameIsStoredOnTheCloseBoxAndEscape() {
        CurrentConfigureSheet.Set(MusicPage::kIndex);
        {
            ConfigureSheet sheet;
            sheet.show();
            QTest::keyClicks(Field(sheet.Music()), QStringLiteral("/music/closed.m3u"));
            QVERIFY(sheet.close());
            QCOMPARE(StoredName(), std::string("/music/closed.m3u"));
        }
        ConfigureSheet sheet;
        sheet.show();
        QCOMPARE(Field(sheet.Music())->text(), QStringLiteral("/music/closed.m3u"));
        Field(sheet.Music())->clear();
        QTest::keyClicks(Field(sheet.Music()), QStringLiteral("/music/escaped.m3u"));
        QTest::keyClick(&sheet, Qt::Key_Escape);
        QVERIFY(!sheet.isVisible());
        QCOMPARE(StoredName(), std::string("/music/escaped.m3u"));
    }

    void chosenFileGoesToTheFieldAndIsStoredLater() {
        MusicPage page;
        page.show();
        QString startName;
        int startFilter = 0;
        page.SetFileChooser([&](QWidget*, const QString& name, int filter) -> std::optional<QString> {
            startName = name;
            startFilter = filter;
            return QStringLiteral("/music/chosen.ogg");
        });
        QTest::keyClicks(Field(&page), QStringLiteral("/music/old.mp3"));
        QTest::mouseClick(SelectButton(&page), Qt::LeftButton);
        QCOMPARE(startName, QStringLiteral("/music/old.mp3"));
        QCOMPARE(startFilter, 2);
        QCOMPARE(Field(&page)->text(), QStringLiteral("/music/chosen.ogg"));
        QCOMPARE(StoredName(), std::string(""));
        page.Deactivate();
        QCOMPARE(StoredName(), std::string("/music/chosen.ogg"));

        page.SetFileChooser([](QWidget*, const QString&, int) -> std::optional<QString> { return std::nullopt; });
        QTest::mouseClick(SelectButton(&page), Qt::LeftButton);
        QCOMPARE(Field(&page)->text(), QStringLiteral("/music/chosen.ogg"));
    }

    void namesLongerThanTheSettingHoldsAreRefused() {
        MusicPage page;
        page.show();
        // 600 bytes would be cut when stored: the field never takes them.
        QTest::keyClicks(Field(&page), QString(600, QLatin1Char('a')));
        QCOMPARE(Field(&page)->text().size(), 499);
        Field(&page)->clear();
        // Two bytes each in UTF-8.
        for (int typed = 0; typed < 300; ++typed) {
            QTest::sendKeyEvent(QTest::Click, Field(&page), Qt::Key_unknown, QString(QChar(0xE9)), Qt::NoModifier);
        }
        QCOMPARE(Field(&page)->text().toUtf8().size(), 498);
        page.Deactivate();
        QCOMPARE(StoredName(), Field(&page)->text().toStdString());

        Field(&page)->setText(QStringLiteral("/music/short.m3u"));
        const QString longPath = QStringLiteral("/") + QString(520, QLatin1Char('x')) + QStringLiteral(".mp3");
        page.SetFileChooser([&](QWidget*, const QString&, int) -> std::optional<QString> { return longPath; });
        QTest::mouseClick(SelectButton(&page), Qt::LeftButton);
        QCOMPARE(Field(&page)->text(), QStringLiteral("/music/short.m3u"));
    }

    void fileDialogOffersTheFiltersAndOnlyExistingFiles_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("shownFilter");
        QTest::addColumn<QStringList>("patterns");
        // ".RA" is part of ".RAM": a .ra file starts on the playlists.
        QTest::newRow("song.ra") << "song.ra" << "Music Playlists (*.m3u; *.pls; *.ram; *.m2a; *.kpl; *.b4s)"
                                 << QStringList{"*.m3u", "*.pls", "*.ram", "*.m2a", "*.kpl", "*.b4s"};
        QTest::newRow("song.mp3") << "song.mp3"
                                  << "Music Files (*.mp3; *.ogg; *.wav; *.wma; *.ra; *.mid; *.midi; *.rmi)"
                                  << QStringList{"*.mp3", "*.ogg", "*.wav", "*.wma", "*.ra", "*.mid", "*.midi", "*.rmi"};
        QTest::newRow("notes.txt") << "notes.txt" << "All Files (*.*)" << QStringList{"*"};
    }
    void fileDialogOffersTheFiltersAndOnlyExistingFiles() {
        QFETCH(QString, file);
        QFETCH(QString, shownFilter);
        QFETCH(QStringList, patterns);
        const QString path = ScratchFolder() + QLatin1Char('/') + file;
        QFile created(path);
        QVERIFY(created.open(QIODevice::WriteOnly));
        created.close();

        MusicPage page;
        page.show();
        Field(&page)->setText(path);
        QStringList filters;
        QString selectedFilter;
        QStringList usedPatterns;
        QString title;
        QFileDialog::FileMode mode = QFileDialog::AnyFile;
        OnNextModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            if (dialog == nullptr) {
                modal->close();
                return;
            }
            filters = dialog->nameFilters();
            // The description as the user reads it.
            selectedFilter = dialog->selectedNameFilter();
            title = dialog->windowTitle();
            mode = dialog->fileMode();
            if (auto* model = dialog->findChild<QFileSystemModel*>()) {
                usedPatterns = model->nameFilters();
            }
            dialog->selectFile(path);
            // Through QDialog: QFileDialog's own accept, with its existence
            // checks, is protected.
            static_cast<QDialog*>(dialog)->accept();
        });
        QTest::mouseClick(SelectButton(&page), Qt::LeftButton);
        QCOMPARE(filters.size(), 3);
        QVERIFY(filters[0].startsWith(QStringLiteral("Music Playlists (*.m3u; *.pls; *.ram; *.m2a; *.kpl; *.b4s)")));
        QVERIFY(filters[1].startsWith(
            QStringLiteral("Music Files (*.mp3; *.ogg; *.wav; *.wma; *.ra; *.mid; *.midi; *.rmi)")));
        QVERIFY(filters[2].startsWith(QStringLiteral("All Files (*.*)")));
        QCOMPARE(selectedFilter, shownFilter);
        QCOMPARE(usedPatterns, patterns);
        QCOMPARE(title, QStringLiteral("Select a music file or playlist"));
        QCOMPARE(mode, QFileDialog::ExistingFile);
        QCOMPARE(Field(&page)->text(), path);
    }

    void explanationJoinsTheTwoTexts() {
        MusicPage page;
        const QString expected = QString::fromUtf8(GetText(T_ABOUTPLAYLISTS1)) + QLatin1Char(' ') +
                                 QString::fromUtf8(GetText(T_ABOUTPLAYLISTS2));
        QCOMPARE(page.findChild<QLabel*>(QStringLiteral("IDCS_ABOUTM3U"))->text(), expected);
    }
};

SKYLOOM_DIALOG_TEST("music_page_test", MusicPageTest);
#include "music_page_test.moc"
