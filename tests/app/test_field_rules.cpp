#include "app/field_rules.h"
#include "app/ui_text.h"

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
        QTest::newRow("WPA") << 3 << true << false << 63 << -1;
        QTest::newRow("WPA2") << 4 << true << false << 63 << -1;
        QTest::newRow("WPA-ENTERPRISE") << 5 << false << true << 63 << -1;
        QTest::newRow("WPA2-ENTERPRISE") << 6 << false << true << 63 << -1;
        QTest::newRow("outside the list") << 7 << true << false << 63 << -1;
    }
    void table() {
        QFETCH(int, index);
        QFETCH(bool, key);
        QFETCH(bool, enterprise);
        QFETCH(int, limit);
        QFETCH(int, clearLongerThan);
        const FieldRule rule = SecurityFieldRule(index);
        QCOMPARE(rule.keyEnabled, key);
        QCOMPARE(rule.enterpriseEnabled, enterprise);
        QCOMPARE(rule.keyLimit, limit);
        QCOMPARE(rule.clearKeyLongerThan, clearLongerThan);
    }

    void maxCharsMessage() {
        QCOMPARE(MaxCharsMessage(32, kEnglish),
                 QStringLiteral("Please enter no more than 32 characters."));
        QCOMPARE(MaxCharsMessage(3, kGerman),
                 QStringLiteral("Bitte geben Sie nicht mehr als 3 Zeichen ein."));
    }

    void fileFilter_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("qt");
        QTest::newRow("German catalogue")
            << UiText(515, kGerman) << "PEM Zertifikat (*.pem);;Alle Dateien (*.*)";
        QTest::newRow("English catalogue")
            << UiText(515, kEnglish) << "PEM License (*.pem);;All Files (*.*)";
        QTest::newRow("patterns not in the text") << "Keys|*.pem;*.crt||"
                                                  << "Keys (*.pem *.crt)";
        QTest::newRow("no end marks") << "A (*.a)|*.a"
                                      << "A (*.a)";
        QTest::newRow("empty") << ""
                               << "";
    }
    void fileFilter() {
        QFETCH(QString, filter);
        QFETCH(QString, qt);
        QCOMPARE(QtFileFilter(filter), qt);
    }
};

QTEST_GUILESS_MAIN(TestFieldRules)
#include "test_field_rules.moc"
