// The rules of the form's fields: key field per security type, UTF-8 limits, file filters.

#include "base/field_rules.h"

#include <QTest>

using namespace velinor;

class TestFieldRules : public QObject {
    Q_OBJECT
private slots:
    void security_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("rule"); // key on, enterprise on, key limit, longer keys cleared
        QTest::newRow("none selected") << -1 << "1 0 63 -1";
        QTest::newRow("NONE") << 0 << "0 0 63 -1";
        QTest::newRow("WEP") << 1 << "1 0 10 10";
        QTest::newRow("WEP128") << 2 << "1 0 26 26";
        QTest::newRow("WPA2") << 4 << "1 0 63 -1";
        QTest::newRow("WPA2-ENTERPRISE") << 6 << "0 1 63 -1";
        QTest::newRow("outside the list") << 7 << "1 0 63 -1";
    }
    void security() {
        QFETCH(int, index);
        const FieldRule r = SecurityFieldRule(index);
        QTEST(QStringLiteral("%1 %2 %3 %4")
                  .arg(int(r.keyEnabled))
                  .arg(int(r.enterpriseEnabled))
                  .arg(r.keyLimit)
                  .arg(r.clearKeyLongerThan),
              "rule");
    }

    // The limits count UTF-8 bytes; a cut falls between two letters.
    void utf8_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("bytes");
        QTest::addColumn<int>("cutAt");
        QTest::addColumn<QString>("cut");
        QTest::newRow("ASCII") << "abc" << 3 << 2 << "ab";
        QTest::newRow("fits whole") << "abc" << 3 << 3 << "abc";
        QTest::newRow("two-byte letters") << "ääx" << 5 << 3 << "ä";
        QTest::newRow("four bytes, outside the BMP") << "a\U0001F600" << 5 << 4 << "a";
        QTest::newRow("accent stays with its letter") << "ae\u0301" << 4 << 3 << "a";
        QTest::newRow("nothing fits") << "ä" << 2 << 1 << "";
    }
    void utf8() {
        QFETCH(QString, text);
        QFETCH(int, cutAt);
        QTEST(int(Utf8Size(text)), "bytes");
        QTEST(Utf8Left(text, cutAt), "cut");
    }

    // The catalogue's filter as the chooser shows it (see the certificate chooser's test).
    void fileFilter_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("qt");
        QTest::newRow("patterns not in the text") << "Keys|*.pem;*.crt||"
                                                  << "Keys (*.pem *.crt)";
        QTest::newRow("no end marks") << "A (*.a)|*.a"
                                      << "A (*.a) (*.a)";
        // Regression: "*.*" lists every file, also one without a dot in its name.
        QTest::newRow("no description") << "|*.*||"
                                        << "* (*)";
        QTest::newRow("empty") << ""
                               << "";
    }
    void fileFilter() {
        QFETCH(QString, filter);
        QTEST(QtFileFilter(filter), "qt");
    }
};

QTEST_GUILESS_MAIN(TestFieldRules)
#include "test_field_rules.moc"
