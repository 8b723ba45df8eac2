#include "base/field_rules.h"
#include "base/ui_text.h"

#include <QTest>

using namespace velinor;

class TestFieldRules : public QObject {
    Q_OBJECT
private slots:
    void table_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("key");
        QTest::addColumn<bool>("enterprise");
        QTest::addColumn<int>("limit");
        QTest::addColumn<int>("clearLongerThan");
        QTest::newRow("none selected") << -1 << true << false << 63 << -1;
        QTest::newRow("NONE") << 0 << false << false << 63 << -1;
        QTest::newRow("WEP") << 1 << true << false << 10 << 10;
        QTest::newRow("WEP128") << 2 << true << false << 26 << 26;
        QTest::newRow("WPA2") << 4 << true << false << 63 << -1;
        QTest::newRow("WPA2-ENTERPRISE") << 6 << false << true << 63 << -1;
        QTest::newRow("outside the list") << 7 << true << false << 63 << -1;
    }
    void table() {
        QFETCH(int, index);
        const FieldRule rule = SecurityFieldRule(index);
        QTEST(rule.keyEnabled, "key");
        QTEST(rule.enterpriseEnabled, "enterprise");
        QTEST(rule.keyLimit, "limit");
        QTEST(rule.clearKeyLongerThan, "clearLongerThan");
    }

    void maxCharsMessage() {
        QCOMPARE(MaxCharsMessage(32, kEnglish),
                 QString::fromUtf8("Please enter no more than 32 bytes (UTF-8; ä takes two)."));
        QCOMPARE(MaxCharsMessage(3, kGerman),
                 QString::fromUtf8(
                     "Bitte geben Sie nicht mehr als 3 Bytes ein (UTF-8; ä belegt zwei)."));
    }

    // The limits count UTF-8 bytes; a cut falls between two characters.
    void utf8_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("bytes");
        QTest::addColumn<int>("cutAt");
        QTest::addColumn<QString>("cut");
        const QString e = QString::fromUtf8("e\u0301"); // e and a combining accent: one letter
        QTest::newRow("ASCII") << "abc" << 3 << 2 << "ab";
        QTest::newRow("fits whole") << "abc" << 3 << 3 << "abc";
        QTest::newRow("two-byte letters")
            << QString::fromUtf8("ääx") << 5 << 3 << QString::fromUtf8("ä");
        QTest::newRow("four bytes, outside the BMP")
            << QString::fromUtf8("a\U0001F600") << 5 << 4 << "a";
        QTest::newRow("accent stays with its letter") << "a" + e << 4 << 3 << "a";
        QTest::newRow("nothing fits") << QString::fromUtf8("ä") << 2 << 1 << "";
    }
    void utf8() {
        QFETCH(QString, text);
        QFETCH(int, cutAt);
        QTEST(int(Utf8Size(text)), "bytes");
        QTEST(Utf8Left(text, cutAt), "cut");
    }

    void fileFilter_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("qt");
        QTest::newRow("German catalogue")
            << UiText(515, kGerman) << "PEM Zertifikat (*.pem) (*.pem);;Alle Dateien (*.*) (*)";
        QTest::newRow("patterns not in the text")
            << QStringLiteral("Keys|*.pem;*.crt||") << "Keys (*.pem *.crt)";
        QTest::newRow("no end marks") << QStringLiteral("A (*.a)|*.a") << "A (*.a) (*.a)";
        QTest::newRow("no description") << QStringLiteral("|*.*||") << "* (*)";
        QTest::newRow("empty") << QString() << "";
    }
    void fileFilter() {
        QFETCH(QString, filter);
        QTEST(QtFileFilter(filter), "qt");
    }
};

QTEST_GUILESS_MAIN(TestFieldRules)
#include "test_field_rules.moc"
