#include "config/certificate.h"
#include "config/config_fakes.h"
#include "config/programmer.h"
#include "link/commands.h"

#include <QTest>

using namespace velinor;
using namespace cfgtest;

namespace {

const QByteArray kPem = "-----BEGIN CERTIFICATE-----\nMIIB\n-----END CERTIFICATE-----\n";

struct ProgBench : Bench {
    fakes::FakeFilePicker picker;
    CertificateStore certificate{picker, prompts, form};
    AdapterProgrammer programmer{form, link, certificate, prompts, log};

    // Opens the simulated port the way the opener leaves it.
    void open() {
        QCOMPARE(port.open(form.port).result, OpenResult::Ok);
        link.SetPortHandle(&port);
    }
    void loadCertificate(const QByteArray& pem = kPem) {
        const QString path = logDir.filePath(QStringLiteral("ca.pem"));
        FakeSysfs::write(path, pem);
        QVERIFY(certificate.LoadCertificateFile(path));
    }
};

} // namespace

class TestProgrammer : public QObject {
    Q_OBJECT

private slots:
    void keyWait_data();
    void keyWait();
    void keyWaitIgnoresStaleReply();
    void failedStep_data();
    void failedStep();
    void preparatoryFailures_data();
    void preparatoryFailures();
    void noPortHandle_data();
    void noPortHandle();
    void longCertificateAndUserAreSentWhole();
};

void TestProgrammer::keyWait_data() {
    QTest::addColumn<bool>("ap");
    QTest::addColumn<int>("fault"); // AdapterModel::Fault
    QTest::addColumn<int>("delayMs");
    QTest::addColumn<int>("message"); // 0: programmed
    QTest::addColumn<int>("reads");
    QTest::addColumn<qint64>("minMs");
    QTest::addColumn<qint64>("maxMs");

    using F = AdapterModel::Fault;
    // The write costs 200 ms; each read follows a 100 ms pause and waits up to 100 ms.
    QTest::newRow("access point, I/ERROR at the first read holding it")
        << true << int(F::Error) << 2000 << 10 << 9 << qint64(2000) << qint64(2200);
    QTest::newRow("access point, no answer: 300 reads")
        << true << int(F::Silent) << 0 << 21 << 300 << qint64(60000) << qint64(60300);
    QTest::newRow("access point, I/OK after 5 s")
        << true << int(F::None) << 5000 << 0 << 24 << qint64(5000) << qint64(5200);
    QTest::newRow("ad hoc, I/ERROR")
        << false << int(F::Error) << 3000 << 10 << 14 << qint64(3000) << qint64(3200);
}

void TestProgrammer::keyWait() {
    QFETCH(bool, ap);
    QFETCH(int, fault);
    QFETCH(int, delayMs);
    QFETCH(int, message);
    QFETCH(int, reads);
    QFETCH(qint64, minMs);
    QFETCH(qint64, maxMs);

    const QByteArray key = cmd::SetPassphrase("passphrase");
    for (const bool whole : {false, true}) {
        ProgBench b;
        b.form.set(security::kWpa2, QStringLiteral("passphrase"), ap, !ap);
        b.model.setFault("AT+IWPP0", AdapterModel::Fault(fault));
        b.model.setKeyDelayMs(delayMs);
        b.open();
        if (!whole) {
            using R = AdapterProgrammer::KeyReply;
            const qint64 start = b.clock.elapsedMs();
            const int readsBefore = b.port.readCount();
            QCOMPARE(b.programmer.AwaitKeyReply(&b.port, key), message == 0    ? R::Ok
                                                               : message == 10 ? R::Error
                                                                               : R::Timeout);
            const qint64 took = b.clock.elapsedMs() - start;
            QVERIFY2(took >= minMs && took <= maxMs, QByteArray::number(took));
            QCOMPARE(b.port.readCount() - readsBefore, reads);
            QCOMPARE(b.transcript(), QList<QByteArray>({key}));
            continue;
        }
        // The same inside the whole sequence.
        QCOMPARE(b.programmer.ProgramAdapter(&b.port), message == 0);
        QCOMPARE(b.prompts.texts(),
                 QStringList({RecordingPrompts::en(message == 0 ? 28 : message)}));
        QCOMPARE(b.transcript().contains("AT+IDOWN\r"), message == 0);
        QVERIFY(b.transcript().contains(key));
        if (message != 0) {
            QCOMPARE(b.transcript().last(), key);
            QCOMPARE(b.logEntries(), QStringList({RecordingPrompts::en(message)}));
            QVERIFY(b.port.isOpen()); // left for the caller to close
        }
    }
}

// Regression: a late reply to an earlier command was taken for the key's reply.
void TestProgrammer::keyWaitIgnoresStaleReply() {
    ProgBench b;
    b.open();
    b.port.write("AT+IWLSI?\r", 100);
    b.clock.advance(50);
    QVERIFY(b.model.pendingOutput() > 0);
    b.model.setFault("AT+IWKY0", AdapterModel::Fault::Error);
    QCOMPARE(b.programmer.AwaitKeyReply(&b.port, cmd::SetWepKey("0123456789")),
             AdapterProgrammer::KeyReply::Error);
}

void TestProgrammer::failedStep_data() {
    QTest::addColumn<int>("security");
    QTest::addColumn<bool>("ap");
    QTest::addColumn<QByteArray>("failing");
    QTest::addColumn<int>("message");
    QTest::addColumn<QByteArray>("lastSent");

    const auto row = [](const char* tag, int security, bool ap, const char* failing, int message,
                        const QByteArray& lastSent) {
        QTest::newRow(tag) << security << ap << QByteArray(failing) << message << lastSent;
    };
    using namespace security;
    row("enterprise: security off", kWpa2Enterprise, true, "AT+IWST0", 9, "AT+IWST0=0\r");
    row("enterprise: certificate", kWpa2Enterprise, true, "AT+ICA", 36, "AT+ICA=" + kPem + "\r");
    row("enterprise: user", kWpaEnterprise, true, "AT+IEUSN", 36, "AT+IEUSN=CORP\\alice\r");
    row("access point: SSID", kWpa, true, "AT+IWLSI", 8, "AT+IWLSI=net\r");
    row("access point: channel", kNone, true, "AT+IWLCH", 11, "AT+IWLCH=6\r");
    row("bridge mode", kNone, true, "AT+IBRM", 20, "AT+IBRM=2\r");
    row("restart", kNone, false, "AT+IDOWN", 12, "AT+IDOWN\r");
    row("ad hoc: security", kWep, false, "AT+IWST0", 9, "AT+IWST0=1\r");
    row("ad hoc: key", kWep, false, "AT+IWKY0", 10, "AT+IWKY0=0123456789\r");
    row("ad hoc: SSID", kWep, false, "AT+IWLSI", 8, "AT+IWLSI=!net\r");
    row("silent adapter at the SSID", kNone, true, "AT+IWLSI", 8, "AT+IWLSI=net\r");
}

void TestProgrammer::failedStep() {
    QFETCH(int, security);
    QFETCH(bool, ap);
    QFETCH(QByteArray, failing);
    QFETCH(int, message);
    QFETCH(QByteArray, lastSent);

    ProgBench b;
    b.loadCertificate();
    const bool wep = security == security::kWep;
    b.form.set(security, wep ? QStringLiteral("0123456789") : QStringLiteral("passphrase"), ap,
               !ap);
    b.form.v.m_strUser = QStringLiteral("alice");
    b.form.v.m_strDomain = QStringLiteral("CORP");
    const bool silent = QByteArray(QTest::currentDataTag()).startsWith("silent");
    b.model.setFault(failing, silent ? AdapterModel::Fault::Silent : AdapterModel::Fault::Error);
    b.open();

    QVERIFY(!b.programmer.ProgramAdapter(&b.port));
    QCOMPARE(b.transcript().last(), lastSent); // nothing more after the failed step
    QCOMPARE(b.transcript().count(lastSent), 1);
    QCOMPARE(b.prompts.texts(), QStringList({RecordingPrompts::en(message)}));
    QCOMPARE(b.prompts.shown[0].icon, PromptIcon::None);
    QCOMPARE(b.logEntries(), QStringList({RecordingPrompts::en(message)}));
    QCOMPARE(b.link.GetPortHandle(), static_cast<SerialPort*>(&b.port)); // left to the caller
}

void TestProgrammer::preparatoryFailures_data() {
    QTest::addColumn<QByteArray>("failing");
    QTest::addColumn<int>("message");
    QTest::newRow("factory defaults") << QByteArray("AT+IFD") << 17;
    QTest::newRow("host interface") << QByteArray("AT+IHIF") << 18;
    QTest::newRow("baud rate") << QByteArray("AT+IBDRF") << 19;
}

void TestProgrammer::preparatoryFailures() {
    QFETCH(QByteArray, failing);
    QFETCH(int, message);
    ProgBench b;
    b.model.setFault(failing, AdapterModel::Fault::Error);
    b.open();
    b.programmer.ResetAdapterDefaults();
    QCOMPARE(b.transcript(),
             QList<QByteArray>({"AT+IFD\r", "AT+IHIF=4\r", "AT+IBDRF=9\r"})); // all three sent
    QCOMPARE(b.prompts.texts(), QStringList({RecordingPrompts::en(message)}));
    QCOMPARE(b.prompts.shown[0].icon, PromptIcon::None);
    QVERIFY(!b.logExists());
}

void TestProgrammer::noPortHandle_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<bool>("openFirst");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("log");
    QTest::newRow("no port, English") << kEnglish << false << "Error COM-Port-Handle"
                                      << "Can not open COM port";
    QTest::newRow("closed port, German") << kGerman << true << "Fehler COM-Port-Handle!"
                                         << QString::fromUtf8("Konnte COM Port nicht öffnen");
}

void TestProgrammer::noPortHandle() {
    QFETCH(int, language);
    QFETCH(bool, openFirst);
    QFETCH(QString, message);
    QFETCH(QString, log);
    ProgBench b;
    b.form.language = language;
    b.form.set(security::kNone, QString(), true, false);
    if (openFirst) {
        b.open();
        b.port.close();
    }
    QVERIFY(!b.programmer.ProgramAdapter(openFirst ? &b.port : nullptr));
    QCOMPARE(b.prompts.texts(), QStringList({message}));
    QCOMPARE(b.logEntries(), QStringList({log}));
    QVERIFY(b.transcript().isEmpty());
}

// Longer than any fixed command buffer would take: sent whole, stored whole.
void TestProgrammer::longCertificateAndUserAreSentWhole() {
    ProgBench b;
    QByteArray pem = kPem;
    for (int i = 0; i < 400; ++i)
        pem += "MIIBszCCAVmgAwIBAgIUQ1QHbm3d4pRJ2Rr8k6l+Zq9gI2AwCgYIKoZIzj0EAwIw\n";
    pem += kPem;
    b.loadCertificate(pem);
    b.form.set(security::kWpa2Enterprise, QString(), true, false);
    b.form.v.m_strUser = QStringLiteral("alice");
    b.open();
    b.programmer.ProgramAdapter(&b.port);
    QCOMPARE(b.transcript().value(1), "AT+ICA=" + pem + "\r");
    QCOMPARE(b.model.stored("CA"), pem);

    ProgBench c;
    c.loadCertificate();
    c.form.set(security::kWpaEnterprise, QString(), true, false);
    c.form.v.m_strUser = QString(6000, u'u');
    c.form.v.m_strDomain = QString(6000, u'd');
    c.open();
    c.programmer.ProgramAdapter(&c.port);
    const QByteArray user = QByteArray(6000, 'd') + "\\" + QByteArray(6000, 'u');
    QCOMPARE(c.transcript().value(2), "AT+IEUSN=" + user + "\r");
    QCOMPARE(c.model.stored("EUSN"), user);
}

QTEST_GUILESS_MAIN(TestProgrammer)
#include "test_programmer.moc"
