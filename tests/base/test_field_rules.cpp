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
                 QStringLiteral("Please enter no more than 32 characters."));
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
