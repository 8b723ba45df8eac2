// The main form with its commands wired, on the simulated adapter in virtual time.

#include "app/clock.h"
#include "app/services.h"
#include "app/setup_app.h"
#include "app/setup_dlg.h"
#include "app/ui_text.h"
#include "controls/tip_combo_box.h"
#include "controls/tip_list_ctrl.h"
#include "fakes.h"
#include "sim/adapter_model.h"
#include "sim/sim_serial_port.h"

#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace velinor;
using namespace velinor::fakes;

namespace {

struct Tool {
    QTemporaryDir dir;
    ManualClock clock;
    AdapterModel model{clock};
    SimSerialPort port{model, clock};
    RecordingPrompts prompts;
    FakeLauncher launcher;
    FakePortEnumerator ports;
    FakeFilePicker picker;
    Services services{clock,      port,       prompts,
                      launcher,   ports,      picker,
                      dir.path(), dir.path(), dir.path() + QStringLiteral("/sys")};
    std::unique_ptr<CSetupApp> app;
    std::unique_ptr<CSetupDlg> dlg;

    explicit Tool(int language) {
        ports.addAdapter(port.deviceName());
        QFile ini(dir.path() + QStringLiteral("/settings.ini"));
        if (ini.open(QIODevice::WriteOnly))
            ini.write(QStringLiteral("[settings]\nlanguage=%1\nport=%2\n")
                          .arg(language)
                          .arg(port.deviceName())
                          .toUtf8());
        ini.close();
        app = std::make_unique<CSetupApp>(services);
        dlg = std::make_unique<CSetupDlg>(*app, services);
        dlg->OnInitDialog();
        dlg->show();
    }

    template <class T> T* ctl(int id) const { return qobject_cast<T*>(dlg->control(id)); }
    QLineEdit* edit(int id) const { return ctl<QLineEdit>(id); }
    CTipComboBox* security() const { return ctl<CTipComboBox>(CSetupDlg::IDC_SECURITY); }
    void click(int id) const { QTest::mouseClick(ctl<QPushButton>(id), Qt::LeftButton); }

    void enterAccessPoint(const QString& ssid, int type, const QString& channel,
                          const QString& key) const {
        edit(CSetupDlg::IDC_SSID)->setText(ssid);
        security()->setCurrentIndex(type);
        edit(CSetupDlg::IDC_CHANNEL)->setText(channel);
        edit(CSetupDlg::IDC_KEY)->setText(key);
        ctl<QRadioButton>(CSetupDlg::IDC_ACCESS_POINT)->setChecked(true);
    }
};

} // namespace

class TestFormWorkflows : public QObject {
    Q_OBJECT
private slots:
    void configureThenReadOut_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("saved");
        QTest::newRow("English") << kEnglish << "Settings saved on wireless product";
        QTest::newRow("German") << kGerman
                                << "Einstellungen wurden auf dem WLAN-Produkt gespeichert";
    }
    void configureThenReadOut() {
        QFETCH(int, language);
        QFETCH(QString, saved);
        Tool tool(language);
        QCOMPARE(tool.dlg->selectedPort(), tool.port.deviceName());
        tool.enterAccessPoint(QStringLiteral("office"), 4, QStringLiteral("6"),
                              QStringLiteral("correct horse"));
        tool.click(CSetupDlg::IDC_CONFIGURE);

        QCOMPARE(tool.prompts.lastText(), saved);
        QCOMPARE(tool.prompts.shown.size(), 1);
        const QList<QByteArray> expected = {
            "AT+IBDRF?\r",       "AT+IFD\r",     "AT+IHIF=4\r",  "AT+IBDRF=9\r",
            "AT+IWLSI=office\r", "AT+IWST0=4\r", "AT+IWLCH=6\r", "AT+IWPP0=correct horse\r",
            "AT+IBRM=2\r",       "AT+IDOWN\r"};
        QCOMPARE(tool.model.transcript(), expected);
        QCOMPARE(tool.model.running("WLSI"), QByteArray("office"));
        QCOMPARE(tool.model.running("WPP0"), QByteArray("correct horse"));
        QVERIFY(!tool.port.isOpen());
        QVERIFY(!tool.dlg->progressBar()->isVisible());

        // A read-out fills the form again from what the adapter holds.
        tool.edit(CSetupDlg::IDC_SSID)->clear();
        tool.edit(CSetupDlg::IDC_CHANNEL)->clear();
        tool.security()->setCurrentIndex(-1);
        tool.ctl<QRadioButton>(CSetupDlg::IDC_ACCESS_POINT)->setAutoExclusive(false);
        tool.ctl<QRadioButton>(CSetupDlg::IDC_ACCESS_POINT)->setChecked(false);
        tool.ctl<QRadioButton>(CSetupDlg::IDC_ACCESS_POINT)->setAutoExclusive(true);
        tool.model.clearTranscript();
        tool.click(CSetupDlg::IDC_READ_OUT);
        QCOMPARE(tool.model.transcript(),
                 (QList<QByteArray>{"AT+IBDRF?\r", "AT+IWLSI?\r", "AT+IWST0?\r", "AT+IWLCH?\r",
                                    "AT+IWLSI?\r"}));
        QCOMPARE(tool.edit(CSetupDlg::IDC_SSID)->text(), QStringLiteral("office"));
        QCOMPARE(tool.security()->currentIndex(), 4);
        QCOMPARE(tool.edit(CSetupDlg::IDC_CHANNEL)->text(), QStringLiteral("6"));
        QVERIFY(tool.ctl<QRadioButton>(CSetupDlg::IDC_ACCESS_POINT)->isChecked());
        // The key is never read; what the user typed stays.
        QCOMPARE(tool.edit(CSetupDlg::IDC_KEY)->text(), QStringLiteral("correct horse"));
        QVERIFY(!tool.port.isOpen());
        QCOMPARE(tool.prompts.shown.size(), 1);
    }

    void progressFollowsTheSteps() {
        Tool tool(kEnglish);
        tool.enterAccessPoint(QStringLiteral("office"), 0, QStringLiteral("6"), QString());
        QList<QPair<int, int>> seen;
        QProgressBar* bar = tool.dlg->progressBar();
        connect(bar, &QProgressBar::valueChanged, bar, [&](int value) {
            QVERIFY(bar->isVisible());
            seen.append({value, bar->maximum()});
        });
        tool.click(CSetupDlg::IDC_CONFIGURE);
        QCOMPARE(tool.prompts.lastText(), QStringLiteral("Settings saved on wireless product"));
        // The probe, three preparatory commands, SSID, type, channel, bridge mode, restart.
        QVERIFY(!seen.isEmpty());
        QCOMPARE(seen.last(), qMakePair(9, 9));
        for (qsizetype i = 1; i < seen.size(); ++i)
            QVERIFY(seen.at(i).first >= seen.at(i - 1).first);
        QVERIFY(!bar->isVisible());
    }

    void enterpriseChosenInTheListAppliesTheFieldRulesAtOnce() {
        Tool tool(kEnglish);
        QVERIFY(QTest::qWaitForWindowExposed(tool.dlg.get()));
        QVERIFY(!tool.edit(CSetupDlg::IDC_USER)->isEnabled());
        tool.security()->setCurrentIndex(4);
        QVERIFY(tool.edit(CSetupDlg::IDC_KEY)->isEnabled());
        tool.security()->ShowTipList(true);
        QWindow* popup = tool.security()->tipList()->window()->windowHandle();
        QTest::keyClick(popup, Qt::Key_Down); // WPA-ENTERPRISE
        QTest::keyClick(popup, Qt::Key_Return);
        QCOMPARE(tool.security()->currentIndex(), 5);
        QVERIFY(tool.edit(CSetupDlg::IDC_USER)->isEnabled());
        QVERIFY(tool.edit(CSetupDlg::IDC_DOMAIN)->isEnabled());
        QVERIFY(tool.edit(CSetupDlg::IDC_PASSWORD)->isEnabled());
        QVERIFY(tool.ctl<QPushButton>(CSetupDlg::IDC_CERT_SELECT)->isEnabled());
        QVERIFY(!tool.edit(CSetupDlg::IDC_KEY)->isEnabled());
    }

    void itemTipsFollowTheLanguage() {
        Tool tool(kGerman);
        auto* language = tool.ctl<QComboBox>(CSetupDlg::IDC_LANGUAGE);
        for (int i = 0; i < 7; ++i)
            QCOMPARE(tool.security()->GetItemTip(i), UiText(611 + i, kGerman));
        language->setCurrentIndex(1);
        emit language->activated(1);
        QCOMPARE(tool.security()->GetItemTip(3),
                 QStringLiteral("WPA encryption with TKIP is used"));
        language->setCurrentIndex(0);
        emit language->activated(0);
        for (int i = 0; i < 7; ++i)
            QCOMPARE(tool.security()->GetItemTip(i), UiText(611 + i, kGerman));
    }
};

QTEST_MAIN(TestFormWorkflows)
#include "test_form_workflows.moc"
