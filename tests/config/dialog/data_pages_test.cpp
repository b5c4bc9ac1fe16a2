#include "config/language_tables.h"
#include "tests/config/dialog/dialog_test_support.h"

#include <QFile>
#include <QRegularExpression>
#include <QTest>

using namespace skyloom;

namespace {

QString Page(const char* name) {
    QFile file(QStringLiteral(SKYLOOM_TEST_DATA_DIR "/") + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(file.readAll());
}

}  // namespace

// The pages the Help button and the "?" link open, as installed.
class DataPagesTest : public QObject {
    Q_OBJECT

private slots:
    void translationsPageListsEveryKey() {
        const QString page = Page("sk_translations.htm");
        QVERIFY(!page.isEmpty());
        for (int key = 0; key < kTextKeyCount; ++key) {
            const QString name = QLatin1String(TextKeyName(static_cast<TextKey>(key)));
            QVERIFY2(page.contains(QRegularExpression(QStringLiteral("\\b%1\\b").arg(name))), qPrintable(name));
        }
    }

    void pagesStandAlone_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("help") << "help.htm";
        QTest::newRow("translations") << "sk_translations.htm";
    }
    void pagesStandAlone() {
        QFETCH(QString, name);
        const QString page = Page(name.toLatin1().constData());
        QVERIFY(page.startsWith(QStringLiteral("<!DOCTYPE html>")));
        QVERIFY(page.contains(QStringLiteral("<meta charset=\"utf-8\">")));
        // Nothing fetched from elsewhere: no scripts, style sheets or pictures.
        QVERIFY(!page.contains(QRegularExpression(QStringLiteral("<(script|link|img|iframe|object)\\b"))));
        QVERIFY(!page.contains(QRegularExpression(QStringLiteral("url\\("))));
        QVERIFY(page.trimmed().endsWith(QStringLiteral("</html>")));
        // Every link leads somewhere: an anchor of the page or a page beside it.
        QRegularExpressionMatchIterator links = QRegularExpression(QStringLiteral("href=\"([^\"]*)\"")).globalMatch(page);
        while (links.hasNext()) {
            const QString target = links.next().captured(1);
            if (target.startsWith(QLatin1Char('#'))) {
                QVERIFY2(page.contains(QStringLiteral("id=\"%1\"").arg(target.mid(1))), qPrintable(target));
            } else {
                QVERIFY2(!Page(target.toLatin1().constData()).isEmpty(), qPrintable(target));
            }
        }
    }
};

SKYLOOM_DIALOG_TEST("data_pages_test", DataPagesTest);
#include "data_pages_test.moc"
