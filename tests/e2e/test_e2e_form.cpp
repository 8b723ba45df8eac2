// The main form and the network dialog driven as a user would, against the adapter
// model on a pseudo-terminal through the production serial port, in real time.
// The three commands run in order on one adapter: Read out looks at what Configure
// programmed.
#include "e2e_bench.h"

#include "base/prompts.h"
#include "base/ui_text.h"
#include "ui/scan_dlg.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

using namespace velinor;
using namespace velinor::e2e;

namespace {

const QString kSsid = QStringLiteral("velinor-e2e");
const QString kChannel = QStringLiteral("11");
const QString kKey = QStringLiteral("correct horse battery");

QStringList column(const QTableWidget* list, int c) {
    QStringList out;
    for (int r = 0; r < list->rowCount(); ++r)
        out << (list->item(r, c) ? list->item(r, c)->text() : QString());
    return out;
}

void typeInto(QLineEdit* edit, const QString& text) {
    edit->clear();
    QTest::keyClicks(edit, text);
}

} // namespace

class TestE2eForm : public QObject {
    Q_OBJECT
    std::unique_ptr<E2eBench> b;

    void report(const char* what, const QElapsedTimer& took) {
        qInfo("%s took %.1f s", what, double(took.elapsed()) / 1000.0);
    }

private slots:
    void initTestCase() {
        b = std::make_unique<E2eBench>();
        QVERIFY(b->start("[settings]\nlanguage=10000\nlog=0\nsearch=1\n", [](AdapterModel& m) {
            m.setKeyDelayMs(2000);
            m.setScanDelayMs(3000);
            m.setNetworks({"office,AP,00:1A:2B:3C:4D:5E,WPA2,6,62",
                           "harbour,ADHOC,02:11:22:33:44:55,WEP128,3,48",
                           "Guest,AP,00:1A:2B:3C:4D:60,NONE,1,71",
                           "Corp,AP,00:1B:63:84:45:E6,WPA_ENT,13,39"});
        }));
        QCOMPARE(b->dlg->GetLanguage(), kEnglish);
    }

    void configureWpa2AccessPoint() {
        typeInto(b->edit(CSetupDlg::IDC_SSID), kSsid);
        b->chooseSecurity(4);
        typeInto(b->edit(CSetupDlg::IDC_KEY), kKey);
        typeInto(b->edit(CSetupDlg::IDC_CHANNEL), kChannel);
        QTest::mouseClick(b->radio(CSetupDlg::IDC_ACCESS_POINT), Qt::LeftButton);
        QVERIFY(b->dlg->isAccessPoint());
        b->clearTranscript();

        QElapsedTimer took;
        took.start();
        QTest::mouseClick(b->button(CSetupDlg::IDC_CONFIGURE), Qt::LeftButton);
        report("Configure", took);

        const QList<QByteArray> expected = {"AT+IBDRF?\r",
                                            "AT+IFD\r",
                                            "AT+IHIF=4\r",
                                            "AT+IBDRF=9\r",
                                            "AT+IWLSI=" + kSsid.toUtf8() + "\r",
                                            "AT+IWST0=4\r",
                                            "AT+IWLCH=" + kChannel.toUtf8() + "\r",
                                            "AT+IWPP0=" + kKey.toUtf8() + "\r",
                                            "AT+IBRM=2\r",
                                            "AT+IDOWN\r"};
        QCOMPARE(b->transcript(), expected);
        QCOMPARE(b->prompts.texts(), QStringList{"Settings saved on wireless product"});
        // The adapter runs with the new settings after its restart.
        QCOMPARE(b->running("WLSI"), kSsid.toUtf8());
        QCOMPARE(b->running("WPP0"), kKey.toUtf8());
        // The port was closed: it can be opened again at once.
        QVERIFY(!b->port.isOpen());
        QVERIFY(b->dlg->progressBar()->isHidden());
    }

    void readOutAfterConfiguration() {
        // Other values in the form, so that only the adapter can bring them back.
        typeInto(b->edit(CSetupDlg::IDC_SSID), QStringLiteral("something else"));
        b->chooseSecurity(0);
        b->edit(CSetupDlg::IDC_CHANNEL)->clear();
        QTest::mouseClick(b->radio(CSetupDlg::IDC_AD_HOC), Qt::LeftButton);
        QVERIFY(b->dlg->isAdHoc());
        b->clearTranscript();
        b->prompts.shown.clear();

        QElapsedTimer took;
        took.start();
        QTest::mouseClick(b->button(CSetupDlg::IDC_READ_OUT), Qt::LeftButton);
        report("Read out", took);

        QCOMPARE(b->edit(CSetupDlg::IDC_SSID)->text(), kSsid);
        QCOMPARE(b->combo(CSetupDlg::IDC_SECURITY)->currentText(), QStringLiteral("WPA2"));
        QCOMPARE(b->edit(CSetupDlg::IDC_CHANNEL)->text(), kChannel);
        QVERIFY(b->dlg->isAccessPoint());
        // Only questions reached the adapter; the key is never asked for.
        const QList<QByteArray> commands = b->transcript();
        QCOMPARE(commands.first(), QByteArray("AT+IBDRF?\r"));
        for (const QByteArray& command : commands) {
            QVERIFY2(command.endsWith("?\r"), command.constData());
            QVERIFY2(!command.startsWith("AT+IWPP0"), command.constData());
        }
        QVERIFY(b->prompts.shown.isEmpty());
        QVERIFY(!b->port.isOpen());
    }

    void netsearchListsByDampingAndFillsTheForm() {
        b->clearTranscript();
        b->prompts.shown.clear();
        QStringList ssids;
        QStringList dampings;
        bool dialogSeen = false;
        // Acts once the network dialog is up (it scans before it shows).
        std::function<void()> inDialog = [&] {
            auto* dlg = qobject_cast<CScanDlg*>(QApplication::activeModalWidget());
            if (!dlg) {
                QTimer::singleShot(20, inDialog);
                return;
            }
            dialogSeen = true;
            ssids = column(dlg->networkList(), CScanDlg::ColSsid);
            dampings = column(dlg->networkList(), CScanDlg::ColDamping);
            const int row = int(ssids.indexOf(QStringLiteral("harbour")));
            if (row >= 0) {
                dlg->networkList()->selectRow(row);
                QTest::mouseClick(dlg->okButton(), Qt::LeftButton);
            }
            if (dlg->isVisible())
                dlg->reject(); // never leave the test hanging
        };
        QTimer::singleShot(20, inDialog);

        QElapsedTimer took;
        took.start();
        QTest::mouseClick(b->button(CSetupDlg::IDC_NETSEARCH), Qt::LeftButton);
        report("Netsearch", took);

        QVERIFY(dialogSeen);
        QCOMPARE(ssids, (QStringList{"Corp", "harbour", "office", "Guest"}));
        QCOMPARE(dampings, (QStringList{"39", "48", "62", "71"}));
        QVERIFY(b->prompts.shown.isEmpty());
        // OK filled the form with the chosen network.
        QCOMPARE(b->edit(CSetupDlg::IDC_SSID)->text(), QStringLiteral("harbour"));
        QCOMPARE(b->combo(CSetupDlg::IDC_SECURITY)->currentText(), QStringLiteral("WEP128"));
        QCOMPARE(b->edit(CSetupDlg::IDC_CHANNEL)->text(), QStringLiteral("3"));
        QVERIFY(b->dlg->isAdHoc());
        QVERIFY(
            qobject_cast<QLabel*>(b->dlg->control(CSetupDlg::IDC_DAMPING))->text().contains("48"));
        QVERIFY(b->transcript().contains("AT+IRP20\r"));
        QVERIFY(!b->port.isOpen());
    }

    void cleanupTestCase() { b.reset(); }
};

QTEST_MAIN(TestE2eForm)
#include "test_e2e_form.moc"
