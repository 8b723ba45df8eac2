#include "config/certificate.h"
#include "config/config_fakes.h"

#include <QTest>

#include <sys/stat.h>

using namespace velinor;
using namespace cfgtest;

namespace {

const QByteArray kBegin = "-----BEGIN CERTIFICATE-----";
const QByteArray kEnd = "-----END CERTIFICATE-----";
const QByteArray kPem = kBegin + "\nMIIBszCCAVmgAwIBAgIU\n" + kEnd + "\n";

struct CertBench {
    RecordingPrompts prompts;
    FakeForm form;
    ScriptedPicker picker;
    CertificateStore store{picker, prompts, form};
    QTemporaryDir dir;

    QString file(const QString& name, const QByteArray& bytes) const {
        QString path = dir.filePath(name);
        FakeSysfs::write(path, bytes);
        return path;
    }
};

} // namespace

class TestCertificate : public QObject {
    Q_OBJECT

private slots:
    void contents_data();
    void contents();
    void derIsRefusedAndChooserShownAgain();
    void cancelKeepsEarlierCertificate();
    void validThenInvalidLeavesNone();
    void unreadablePathsFailSilently_data();
    void unreadablePathsFailSilently();
    void oversizedFileIsRefused();
    void germanTexts();
    void checkWithoutText();
};

void TestCertificate::contents_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QByteArray>("held");

    QTest::newRow("PEM") << kPem << true << kPem;
    QTest::newRow("PEM with CRLF and text around")
        << QByteArray("Subject: x\r\n" + kBegin + "\r\nAA\r\n" + kEnd + "\r\ntrailer") << true
        << QByteArray("Subject: x\r\n" + kBegin + "\r\nAA\r\n" + kEnd + "\r\ntrailer");
    QTest::newRow("two certificates") << kPem + kPem << true << kPem + kPem;
    QTest::newRow("END before BEGIN") << kEnd + "\n" + kBegin + "\n"
                                      << true << kEnd + "\n" + kBegin + "\n";
    QTest::newRow("zero byte after the PEM lines ends the text")
        << kPem + QByteArray("\0junk", 5) << true << kPem;
    QTest::newRow("zero byte before the PEM lines")
        << QByteArray("x\0", 2) + kPem << false << QByteArray();
    QTest::newRow("DER bytes") << QByteArray::fromHex("3082030a30820272a003020102") << false
                               << QByteArray();
    QTest::newRow("begin line only") << kBegin + "\n" << false << QByteArray();
    QTest::newRow("end line only") << kEnd + "\n" << false << QByteArray();
    QTest::newRow("lower case lines") << kPem.toLower() << false << QByteArray();
    QTest::newRow("empty file") << QByteArray() << false << QByteArray();
}

void TestCertificate::contents() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, accepted);
    QFETCH(QByteArray, held);

    CertBench b;
    QCOMPARE(b.store.LoadCertificateFile(b.file(QStringLiteral("c.pem"), bytes)), accepted);
    QCOMPARE(b.store.certificate().has_value(), accepted);
    if (accepted) {
        QCOMPARE(*b.store.certificate(), held);
        QVERIFY(b.prompts.shown.isEmpty());
    } else {
        QCOMPARE(b.prompts.texts(), QStringList({"No valid certificate detected"}));
        QCOMPARE(b.prompts.shown[0].icon, PromptIcon::Warning);
    }
}

void TestCertificate::derIsRefusedAndChooserShownAgain() {
    CertBench b;
    const QString der = b.file(QStringLiteral("c.der"), QByteArray::fromHex("308203"));
    const QString pem = b.file(QStringLiteral("c.pem"), kPem);
    b.picker.answers = {der, pem};
    b.store.OnChooseCertificate();
    QCOMPARE(b.picker.shown, 2);
    QCOMPARE(b.prompts.texts(), QStringList({"No valid certificate detected"}));
    QCOMPARE(b.store.certificate().value_or("none"), kPem);
}

void TestCertificate::cancelKeepsEarlierCertificate() {
    CertBench b;
    b.picker.answers = {b.file(QStringLiteral("c.pem"), kPem)};
    b.store.OnChooseCertificate();
    QVERIFY(b.prompts.shown.isEmpty());

    b.store.OnChooseCertificate(); // cancelled right away
    QCOMPARE(b.picker.shown, 2);
    QCOMPARE(b.prompts.texts(), QStringList({"No license selected"}));
    QCOMPARE(b.prompts.shown[0].icon, PromptIcon::None);
    QCOMPARE(b.store.certificate().value_or("none"), kPem);
}

void TestCertificate::validThenInvalidLeavesNone() {
    CertBench b;
    b.picker.answers = {b.file(QStringLiteral("good.pem"), kPem),
                        b.file(QStringLiteral("bad.pem"), "not a certificate")};
    b.store.OnChooseCertificate();
    QVERIFY(b.store.certificate().has_value());
    b.store.OnChooseCertificate(); // the bad one, then cancel
    QCOMPARE(b.picker.shown, 3);
    QCOMPARE(b.prompts.texts(),
             QStringList({"No valid certificate detected", "No license selected"}));
    QVERIFY(!b.store.certificate().has_value());
}

void TestCertificate::unreadablePathsFailSilently_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("empty path") << "empty";
    QTest::newRow("missing file") << "missing";
    QTest::newRow("directory") << "directory";
    QTest::newRow("named pipe") << "fifo";
    QTest::newRow("path through a file") << "through";
}

void TestCertificate::unreadablePathsFailSilently() {
    QFETCH(QString, kind);
    CertBench b;
    const QString good = b.file(QStringLiteral("good.pem"), kPem);
    QVERIFY(b.store.LoadCertificateFile(good));

    QString path;
    if (kind == QLatin1String("missing"))
        path = b.dir.filePath(QStringLiteral("nothing.pem"));
    else if (kind == QLatin1String("directory"))
        path = b.dir.path();
    else if (kind == QLatin1String("fifo")) {
        path = b.dir.filePath(QStringLiteral("pipe"));
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (kind == QLatin1String("through"))
        path = good + QStringLiteral("/x.pem");

    QVERIFY(!b.store.LoadCertificateFile(path));
    QVERIFY(b.prompts.shown.isEmpty());
    // Nothing was read: the earlier certificate stays.
    QCOMPARE(b.store.certificate().value_or("none"), kPem);
}

void TestCertificate::oversizedFileIsRefused() {
    CertBench b;
    QVERIFY(b.store.LoadCertificateFile(b.file(QStringLiteral("good.pem"), kPem)));
    QByteArray big = kPem;
    big += QByteArray(CertificateStore::kMaxFileSize, 'A');
    QVERIFY(!b.store.LoadCertificateFile(b.file(QStringLiteral("big.pem"), big)));
    QCOMPARE(b.prompts.texts(), QStringList({"No valid certificate detected"}));
    QVERIFY(!b.store.certificate().has_value());

    // Exactly at the limit is still read.
    QByteArray limit = kPem;
    limit += QByteArray(CertificateStore::kMaxFileSize - kPem.size(), 'A');
    QVERIFY(b.store.LoadCertificateFile(b.file(QStringLiteral("limit.pem"), limit)));
    QCOMPARE(b.store.certificate()->size(), CertificateStore::kMaxFileSize);
}

void TestCertificate::germanTexts() {
    CertBench b;
    b.form.language = kGerman;
    b.picker.answers = {b.file(QStringLiteral("x.pem"), "x")};
    b.store.OnChooseCertificate();
    QCOMPARE(b.prompts.texts(),
             QStringList({QString::fromUtf8("Es wurde kein gültiges Zertifikat ausgewählt"),
                          QString::fromUtf8("Es wurde kein Zertifikat ausgewählt")}));
}

void TestCertificate::checkWithoutText() {
    CertBench b;
    QVERIFY(!b.store.CheckCertificate(std::nullopt));
    QVERIFY(b.store.CheckCertificate(kPem));
    QCOMPARE(b.prompts.texts(), QStringList({"No valid certificate detected"}));
}

QTEST_GUILESS_MAIN(TestCertificate)
#include "test_certificate.moc"
