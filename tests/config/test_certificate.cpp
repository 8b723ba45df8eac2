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
const QString kInvalid = QStringLiteral("No valid certificate detected");

struct CertBench {
    RecordingPrompts prompts;
    FakeForm form;
    fakes::FakeFilePicker picker;
    CertificateStore store{picker, prompts, form};
    QTemporaryDir dir;

    QString file(const QString& name, const QByteArray& bytes) const {
        const QString path = dir.filePath(name);
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
    void cancelKeepsEarlierCertificateAndInvalidPickLeavesNone();
    void unreadablePathsFailSilently();
    void oversizedFileIsRefused();
};

void TestCertificate::contents_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("held"); // empty: refused

    QTest::newRow("PEM") << kPem << kPem;
    QTest::newRow("END before BEGIN") << kEnd + "\n" + kBegin + "\n" << kEnd + "\n" + kBegin + "\n";
    QTest::newRow("zero byte after the PEM lines ends the text")
        << kPem + QByteArray("\0junk", 5) << kPem;
    QTest::newRow("zero byte before the PEM lines") << QByteArray("x\0", 2) + kPem << QByteArray();
    QTest::newRow("DER bytes") << QByteArray::fromHex("3082030a30820272a003020102") << QByteArray();
    QTest::newRow("begin line only") << kBegin + "\n" << QByteArray();
    QTest::newRow("lower case lines") << kPem.toLower() << QByteArray();
}

void TestCertificate::contents() {
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, held);

    CertBench b;
    const bool accepted = !held.isEmpty();
    QCOMPARE(b.store.LoadCertificateFile(b.file(QStringLiteral("c.pem"), bytes)), accepted);
    QCOMPARE(b.store.certificate().value_or(QByteArray()), held);
    QCOMPARE(b.store.certificate().has_value(), accepted);
    if (accepted) {
        QVERIFY(b.prompts.shown.isEmpty());
    } else {
        QCOMPARE(b.prompts.texts(), QStringList({kInvalid}));
        QCOMPARE(b.prompts.shown[0].icon, PromptIcon::Warning);
    }
}

void TestCertificate::derIsRefusedAndChooserShownAgain() {
    CertBench b;
    b.picker.answers << b.file(QStringLiteral("c.der"), QByteArray::fromHex("308203"))
                     << b.file(QStringLiteral("c.pem"), kPem);
    b.store.OnChooseCertificate();
    QCOMPARE(b.picker.picks, 2);
    QCOMPARE(b.prompts.texts(), QStringList({kInvalid}));
    QCOMPARE(b.store.certificate().value_or("none"), kPem);
}

void TestCertificate::cancelKeepsEarlierCertificateAndInvalidPickLeavesNone() {
    CertBench b;
    b.picker.answers << b.file(QStringLiteral("c.pem"), kPem);
    b.store.OnChooseCertificate();
    b.store.OnChooseCertificate(); // cancelled right away
    QCOMPARE(b.picker.picks, 2);
    QCOMPARE(b.prompts.texts(), QStringList({"No license selected"}));
    QCOMPARE(b.prompts.shown[0].icon, PromptIcon::None);
    QCOMPARE(b.store.certificate().value_or("none"), kPem);

    b.picker.answers << b.file(QStringLiteral("bad.pem"), "not a certificate");
    b.store.OnChooseCertificate(); // the bad one, then cancel
    QCOMPARE(b.picker.picks, 4);
    QCOMPARE(b.prompts.texts().mid(1), QStringList({kInvalid, "No license selected"}));
    QVERIFY(!b.store.certificate().has_value());
}

void TestCertificate::unreadablePathsFailSilently() {
    CertBench b;
    const QString good = b.file(QStringLiteral("good.pem"), kPem);
    const QString pipe = b.dir.filePath(QStringLiteral("pipe"));
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    QVERIFY(b.store.LoadCertificateFile(good));
    for (const QString& path : {QString(), b.dir.filePath(QStringLiteral("none.pem")), b.dir.path(),
                                pipe, good + QStringLiteral("/x.pem")}) {
        QVERIFY2(!b.store.LoadCertificateFile(path), qPrintable(path));
        QVERIFY(b.prompts.shown.isEmpty());
        QCOMPARE(b.store.certificate().value_or("none"), kPem); // nothing was read
    }
}

void TestCertificate::oversizedFileIsRefused() {
    CertBench b;
    QByteArray limit = kPem + QByteArray(CertificateStore::kMaxFileSize - kPem.size(), 'A');
    QVERIFY(b.store.LoadCertificateFile(b.file(QStringLiteral("limit.pem"), limit)));
    QCOMPARE(b.store.certificate()->size(), CertificateStore::kMaxFileSize);
    QVERIFY(!b.store.LoadCertificateFile(b.file(QStringLiteral("big.pem"), limit + "A")));
    QCOMPARE(b.prompts.texts(), QStringList({kInvalid}));
    QVERIFY(!b.store.certificate().has_value());
}

QTEST_GUILESS_MAIN(TestCertificate)
#include "test_certificate.moc"
