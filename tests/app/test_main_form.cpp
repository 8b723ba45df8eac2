#include "app/clock.h"
#include "app/services.h"
#include "app/settings.h"
#include "app/setup_app.h"
#include "app/setup_dlg.h"
#include "app/ui_text.h"
#include "controls/tip_combo_box.h"
#include "fakes.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace velinor;
using namespace velinor::fakes;

namespace {

// The tool wired to fakes in a temporary working directory.
struct Bench {
    QTemporaryDir dir;
    ManualClock clock;
    AbsentSerialPort port;
    RecordingPrompts prompts;
    FakeLauncher launcher;
    FakePortEnumerator ports;
    FakeFilePicker picker;
    Services services{clock,      port,       prompts,
                      launcher,   ports,      picker,
                      dir.path(), dir.path(), dir.path() + QStringLiteral("/sys")};
    std::unique_ptr<CSetupApp> app;
    std::unique_ptr<CSetupDlg> dlg;

    QString iniPath() const { return dir.path() + QStringLiteral("/settings.ini"); }
    void writeIni(const QByteArray& text) const {
        QFile f(iniPath());
        if (f.open(QIODevice::WriteOnly))
            f.write(text);
    }
    QByteArray ini() const {
        QFile f(iniPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    Settings settings() const { return Settings(dir.path()); }

    CSetupDlg& start() {
        app = std::make_unique<CSetupApp>(services);
        dlg = std::make_unique<CSetupDlg>(*app, services);
        dlg->OnInitDialog();
        dlg->show();
        return *dlg;
    }

    template <class T> T* ctl(int id) const { return qobject_cast<T*>(dlg->control(id)); }
    QLineEdit* edit(int id) const { return ctl<QLineEdit>(id); }
    QLabel* label(int id) const { return ctl<QLabel>(id); }
    QPushButton* button(int id) const { return ctl<QPushButton>(id); }
    QComboBox* combo(int id) const { return ctl<QComboBox>(id); }
    QRadioButton* radio(int id) const { return ctl<QRadioButton>(id); }
    CTipComboBox* security() const { return ctl<CTipComboBox>(CSetupDlg::IDC_SECURITY); }

    // The user chooses an item of a combo box.
    void choose(int id, int index) const {
        QComboBox* box = combo(id);
        box->setCurrentIndex(index);
        emit box->activated(index);
    }
    bool checked(int command) const {
        QAction* a = dlg->menuAction(command);
        return a && a->isChecked();
    }
};

// Every text of the form that follows the language.
QStringList snapshot(Bench& b) {
    QStringList texts;
    texts << b.dlg->windowTitle();
    const int ids[] = {1020, 1016, 1025, 1011, 1010, 1012, 1017, 1014, 1003, 1004,
                       1013, 1030, 1027, 1028, 1029, 1034, 1035, 1021, 1000, 1};
    for (int id : ids) {
        QWidget* w = b.dlg->control(id);
        QString text;
        if (auto* l = qobject_cast<QLabel*>(w))
            text = l->text();
        else if (auto* btn = qobject_cast<QAbstractButton*>(w))
            text = btn->text();
        else if (auto* g = qobject_cast<QGroupBox*>(w))
            text = g->title();
        texts << QStringLiteral("%1=%2").arg(id).arg(text);
    }
    const int tipIds[] = {1000, 1021, 1010, 1019, 1007, 1003, 1004, 1009, 1018, 1006, 1022};
    for (int id : tipIds)
        texts << QStringLiteral("tip%1=%2").arg(id).arg(b.dlg->control(id)->toolTip());
    for (int i = 0; i < 7; ++i)
        texts << QStringLiteral("item%1=%2").arg(i).arg(b.security()->GetItemTip(i));
    for (QAction* top : b.dlg->currentMenuBar()->actions()) {
        texts << top->text();
        for (QAction* a : top->menu()->actions())
            texts << QStringLiteral("%1:%2:%3")
                         .arg(a->data().toInt())
                         .arg(a->text())
                         .arg(a->isChecked());
    }
    return texts;
}

// Records the "language" of settings.ini each time the window title changes.
class TitleWatch : public QObject {
public:
    TitleWatch(const QString& dir) : m_dir(dir) {}
    QList<QPair<QString, int>> seen;

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::WindowTitleChange)
            seen.append({static_cast<QWidget*>(o)->windowTitle(), Settings(m_dir).language()});
        return false;
    }

private:
    QString m_dir;
};

const QString k20 = QStringLiteral("abcdefghij0123456789");
const QString k10 = QStringLiteral("0123456789");
const QString k26 = QStringLiteral("0123456789abcdef0123456789");

} // namespace

class TestMainForm : public QObject {
    Q_OBJECT
private slots:
    void firstStartWithoutSettings() {
        Bench b;
        b.ports.addAdapter("/dev/ttyACM0");
        CSetupDlg& d = b.start();

        QCOMPARE(d.GetLanguage(), kGerman);
        QCOMPARE(b.combo(1019)->currentText(), QStringLiteral("Deutsch"));
        QCOMPARE(b.combo(1019)->count(), 2);
        QCOMPARE(b.combo(1019)->itemText(1), QStringLiteral("English"));
        QCOMPARE(d.windowTitle(), QStringLiteral("Velinor"));
        QCOMPARE(b.label(1016)->text(), QStringLiteral("Serielle Schnittstelle"));
        QCOMPARE(b.button(1000)->text(), QStringLiteral("&Konfigurieren"));
        QCOMPARE(b.button(1)->text(), QStringLiteral("&Beenden"));
        QCOMPARE(b.label(1034)->text(), QStringLiteral("Zertifikat"));
        QCOMPARE(d.menuAction(40004)->text(), QStringLiteral("aktiviert"));

        QCOMPARE(b.app->GetPortSearch(), 1);
        QVERIFY(b.checked(40008));
        QVERIFY(!b.checked(40009));
        QVERIFY(!b.app->IsLogActive());
        QVERIFY(b.checked(40005));
        QVERIFY(!b.checked(40004));

        // The adapter's port is listed, none is selected.
        QCOMPARE(b.combo(1022)->count(), 1);
        QCOMPARE(b.combo(1022)->currentIndex(), -1);
        QCOMPARE(d.selectedPort(), QString());

        QCOMPARE(b.security()->count(), 7);
        QCOMPARE(b.security()->itemText(6), QStringLiteral("WPA2-ENTERPRISE"));
        QCOMPARE(d.securityIndex(), -1);
        QVERIFY(!d.isAccessPoint());
        QVERIFY(!d.isAdHoc());
        QVERIFY(b.edit(1009)->isEnabled());
        for (int id : {1031, 1032, 1033, 1035})
            QVERIFY2(!d.control(id)->isEnabled(), qPrintable(QString::number(id)));
        for (int id : {1027, 1028, 1029, 1034, 1030})
            QVERIFY(d.control(id)->isEnabled());
        QVERIFY(b.label(1025)->isHidden());
        QCOMPARE(b.label(1026)->text(), QString());
        QCOMPARE(b.edit(1009)->echoMode(), QLineEdit::Password);
        QCOMPARE(b.edit(1033)->echoMode(), QLineEdit::Password);
        QCOMPARE(d.focusWidget(), d.control(1019));

        QCOMPARE(b.ini().replace("\r\n", "\n"), QByteArray("[settings]\nlog=0\n"));
        QVERIFY(b.prompts.shown.isEmpty());
        QCOMPARE(b.app->m_pMainDlg, &d);
    }

    void closingWritesNothing() {
        Bench b;
        b.writeIni("[settings]\nlog=0\nsearch=2\nlanguage=10000\nport=/dev/ttyACM0\n");
        b.start();
        const QByteArray before = b.ini();
        QTest::keyClick(b.dlg.get(), Qt::Key_Escape);
        QVERIFY(!b.dlg->isVisible());
        b.dlg.reset();
        QCOMPARE(b.ini(), before);
    }

    void logSetting_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<int>("language");
        QTest::addColumn<bool>("on");
        QTest::addColumn<QString>("title");
        QTest::newRow("1") << QByteArray("1") << 0 << true << "Velinor (log aktiv)";
        QTest::newRow("10") << QByteArray("10") << 0 << true << "Velinor (log aktiv)";
        QTest::newRow("2") << QByteArray("2") << 0 << false << "Velinor";
        QTest::newRow("0") << QByteArray("0") << 0 << false << "Velinor";
        QTest::newRow("text") << QByteArray("on") << 0 << false << "Velinor";
        QTest::newRow("1 English") << QByteArray("1") << 10000 << true << "Velinor (log active)";
        QTest::newRow("0 English") << QByteArray("0") << 10000 << false << "Velinor";
    }
    void logSetting() {
        QFETCH(QByteArray, stored);
        QFETCH(int, language);
        QFETCH(bool, on);
        QFETCH(QString, title);
        Bench b;
        b.writeIni("[settings]\nlog=" + stored + "\nlanguage=" + QByteArray::number(language) +
                   "\n");
        CSetupDlg& d = b.start();
        QCOMPARE(b.app->IsLogActive(), on);
        QCOMPARE(d.windowTitle(), title);
        QCOMPARE(b.checked(40004), on);
        QCOMPARE(b.checked(40005), !on);
        // Every start writes the switch back.
        QCOMPARE(b.settings().logText(), on ? QStringLiteral("1") : QStringLiteral("0"));
        QCOMPARE(b.settings().logInt(), on ? 1 : 0);
    }

    void languageSwitchTwice() {
        Bench b;
        b.writeIni("[settings]\nlog=1\n");
        CSetupDlg& d = b.start();
        const QStringList german = snapshot(b);

        QTest::keyClicks(b.edit(1006), "HomeNet");
        QTest::keyClicks(b.edit(1009), "secret12");
        QTest::keyClicks(b.edit(1018), "11");

        TitleWatch watch(b.dir.path());
        d.installEventFilter(&watch);
        b.choose(1019, 1);
        d.removeEventFilter(&watch);

        // "language" was written before the title changed.
        QVERIFY(!watch.seen.isEmpty());
        QCOMPARE(watch.seen.first().first, QStringLiteral("Velinor (log active)"));
        QCOMPARE(watch.seen.first().second, 10000);

        QCOMPARE(d.GetLanguage(), kEnglish);
        QCOMPARE(b.settings().language(), 10000);
        const QStringList english = snapshot(b);
        QCOMPARE(b.label(1016)->text(), QStringLiteral("Serial Port"));
        QCOMPARE(b.label(1034)->text(), QStringLiteral("License"));
        QCOMPARE(b.button(1021)->text(), QStringLiteral("Read&out"));
        QCOMPARE(b.label(1025)->text(), QStringLiteral("Damping"));
        QCOMPARE(d.control(1019)->toolTip(), QStringLiteral("Sprache wählen"));
        QCOMPARE(d.control(1000)->toolTip(),
                 QStringLiteral("Save the current settings on the wireless product"));
        QCOMPARE(b.security()->GetItemTip(3), QStringLiteral("WPA encryption with TKIP is used"));
        QCOMPARE(d.menuAction(40004)->text(), QStringLiteral("activated"));
        QCOMPARE(d.menuAction(40001)->text(), QStringLiteral("About"));
        QVERIFY(b.checked(40004));
        QVERIFY(b.checked(40008));
        // Texts that are not in the catalogue stay.
        QCOMPARE(b.radio(1003)->text(), QStringLiteral("Access Point"));
        QCOMPARE(b.label(1011)->text(), QStringLiteral("SSID"));

        // Typed text survives the switch and has been taken.
        QCOMPARE(b.edit(1006)->text(), QStringLiteral("HomeNet"));
        QCOMPARE(b.edit(1009)->text(), QStringLiteral("secret12"));
        QCOMPARE(b.edit(1018)->text(), QStringLiteral("11"));
        QCOMPARE(d.values().m_strSsid, QStringLiteral("HomeNet"));

        b.choose(1019, 0);
        QCOMPARE(d.GetLanguage(), kGerman);
        QCOMPARE(b.settings().language(), 0);
        QCOMPARE(snapshot(b), german);
        QVERIFY(english != german);
        QCOMPARE(d.control(1019)->toolTip(), QStringLiteral("Choose a language"));
        QCOMPARE(b.edit(1006)->text(), QStringLiteral("HomeNet"));
        QVERIFY(b.prompts.shown.isEmpty());
    }

    void logSwitchKeepsTypedText() {
        Bench b;
        CSetupDlg& d = b.start();
        b.security()->setCurrentIndex(5); // WPA-ENTERPRISE
        QTest::keyClicks(b.edit(1006), "Office");
        QTest::keyClicks(b.edit(1031), "alice");
        d.menuAction(40004)->trigger();
        QVERIFY(b.app->IsLogActive());
        QCOMPARE(d.windowTitle(), QStringLiteral("Velinor (log aktiv)"));
        QCOMPARE(b.settings().logText(), QStringLiteral("1"));
        QVERIFY(b.checked(40004));
        QCOMPARE(b.edit(1006)->text(), QStringLiteral("Office"));
        QCOMPARE(b.edit(1031)->text(), QStringLiteral("alice"));
        QCOMPARE(d.securityIndex(), 5);
        d.menuAction(40005)->trigger();
        QVERIFY(!b.app->IsLogActive());
        QCOMPARE(d.windowTitle(), QStringLiteral("Velinor"));
        QCOMPARE(b.settings().logText(), QStringLiteral("0"));
    }

    void logFailureSwitchesLoggingOff() {
        Bench b;
        // The program's directory cannot hold a log file.
        QFile blocker(b.dir.path() + "/bin");
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        b.services.programDir = b.dir.path() + "/bin/velinor";
        b.writeIni("[settings]\nlog=1\n");
        CSetupDlg& d = b.start();
        QVERIFY(b.app->IsLogActive());
        // A workflow has changed a value and shows it later.
        QTest::keyClicks(b.edit(1006), "typed");
        d.UpdateData(true);
        d.values().m_strSsid = "FromScan";
        b.app->eventLog().entry("Configuration successful\n");
        QVERIFY(!b.app->IsLogActive());
        QCOMPARE(b.prompts.shown.size(), 1);
        QCOMPARE(d.windowTitle(), QStringLiteral("Velinor"));
        QVERIFY(b.checked(40005));
        QCOMPARE(b.settings().logText(), QStringLiteral("0"));
        QCOMPARE(b.edit(1006)->text(), QStringLiteral("FromScan"));
        // Later entries are not written and not reported again.
        b.app->eventLog().entry("again\n");
        QCOMPARE(b.prompts.shown.size(), 1);
    }

    void portSearchCommands() {
        Bench b;
        CSetupDlg& d = b.start();
        d.menuAction(40009)->trigger();
        QCOMPARE(b.app->GetPortSearch(), 2);
        QCOMPARE(b.settings().search(), 2);
        QVERIFY(b.checked(40009));
        QVERIFY(!b.checked(40008));
        d.menuAction(40008)->trigger();
        QCOMPARE(b.app->GetPortSearch(), 1);
        QCOMPARE(b.settings().search(), 1);
        QVERIFY(b.checked(40008));
        QVERIFY(!b.checked(40009));
    }

    void oddSearchValueStillFollowsLanguage() {
        Bench b;
        b.writeIni("[settings]\nsearch=5\n");
        CSetupDlg& d = b.start();
        QCOMPARE(b.app->GetPortSearch(), 5);
        QVERIFY(!b.checked(40008));
        QVERIFY(!b.checked(40009));
        b.choose(1019, 1);
        QCOMPARE(d.menuAction(40008)->text(), QStringLiteral("automatic"));
        QCOMPARE(d.currentMenuBar()->actions().at(1)->text(), QStringLiteral("Port-Search"));
        QVERIFY(!b.checked(40008));
        QVERIFY(!b.checked(40009));
        // The value stays as read until a menu command repairs it.
        QCOMPARE(b.settings().search(), 5);
    }

    void rules_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("to");
        QTest::addColumn<QString>("keyAfter");
        QTest::addColumn<bool>("keyEnabled");
        QTest::addColumn<bool>("enterprise");
        QTest::addColumn<int>("limit");
        QTest::newRow("WPA 20 to WEP") << 3 << k20 << 1 << "" << true << false << 10;
        QTest::newRow("WEP 10 to WEP128") << 1 << k10 << 2 << k10 << true << false << 26;
        QTest::newRow("WEP128 26 to WEP") << 2 << k26 << 1 << "" << true << false << 10;
        QTest::newRow("WPA 26 to WEP128") << 3 << k26 << 2 << k26 << true << false << 26;
        QTest::newRow("WPA 27 to WEP128") << 3 << (k26 + "x") << 2 << "" << true << false << 26;
        QTest::newRow("WPA2 20 to NONE") << 4 << k20 << 0 << k20 << false << false << 63;
        QTest::newRow("WEP 10 to WPA") << 1 << k10 << 3 << k10 << true << false << 63;
        QTest::newRow("WPA to WPA-ENTERPRISE") << 3 << k20 << 5 << k20 << false << true << 63;
        QTest::newRow("NONE to WPA2-ENTERPRISE") << 0 << k20 << 6 << k20 << false << true << 63;
        QTest::newRow("WPA-ENTERPRISE to WPA2") << 5 << k20 << 4 << k20 << true << false << 63;
    }
    void rules() {
        QFETCH(int, from);
        QFETCH(QString, key);
        QFETCH(int, to);
        QFETCH(QString, keyAfter);
        QFETCH(bool, keyEnabled);
        QFETCH(bool, enterprise);
        QFETCH(int, limit);
        Bench b;
        CSetupDlg& d = b.start();
        b.security()->setCurrentIndex(from);
        b.edit(1009)->setText(key);
        b.edit(1031)->setText("alice");
        b.edit(1032)->setText("corp");
        b.edit(1033)->setText("pw");
        b.security()->setCurrentIndex(to);

        QCOMPARE(d.securityIndex(), to);
        QCOMPARE(b.edit(1009)->text(), keyAfter);
        QCOMPARE(b.edit(1009)->isEnabled(), keyEnabled);
        for (int id : {1031, 1032, 1033, 1035})
            QCOMPARE(d.control(id)->isEnabled(), enterprise);
        QCOMPARE(d.keyTypingLimit(), limit);
        // Disabling keeps the contents.
        QCOMPARE(b.edit(1031)->text(), QStringLiteral("alice"));
        QCOMPARE(b.edit(1032)->text(), QStringLiteral("corp"));
        QCOMPARE(b.edit(1033)->text(), QStringLiteral("pw"));
        QVERIFY(b.prompts.shown.isEmpty());
    }

    void wepTakesTypedValuesAndLimitsTyping() {
        Bench b;
        CSetupDlg& d = b.start();
        QTest::keyClicks(b.edit(1006), "Cafe");
        b.security()->setCurrentIndex(1);
        QCOMPARE(d.values().m_strSsid, QStringLiteral("Cafe"));
        QCOMPARE(d.values().m_strSecurityType, QStringLiteral("WEP"));
        QTest::keyClicks(b.edit(1009), "0123456789ABCD");
        QCOMPARE(b.edit(1009)->text(), QStringLiteral("0123456789"));
        b.security()->setCurrentIndex(3);
        QTest::keyClicks(b.edit(1009), "EF");
        QCOMPARE(b.edit(1009)->text(), QStringLiteral("0123456789EF"));
        // A language change keeps the limit of the type.
        b.security()->setCurrentIndex(1);
        QCOMPARE(b.edit(1009)->text(), QString());
        b.choose(1019, 1);
        QCOMPARE(d.keyTypingLimit(), 10);
    }

    void listChoiceAppliesRules() {
        Bench b;
        CSetupDlg& d = b.start();
        // The type chosen in the selector's list.
        b.security()->setCurrentIndex(5);
        emit b.security()->entryChosen(5);
        QVERIFY(b.edit(1031)->isEnabled());
        QVERIFY(!b.edit(1009)->isEnabled());
        // The program's own selection leaves the rules to its caller.
        d.setSecurityIndex(3);
        QVERIFY(!b.edit(1009)->isEnabled());
        d.UpdateSecurityFields();
        QVERIFY(b.edit(1009)->isEnabled());
        QVERIFY(!b.edit(1031)->isEnabled());
    }

    void limits_data() {
        QTest::addColumn<int>("field");
        QTest::addColumn<int>("limit");
        QTest::newRow("SSID") << 1006 << 32;
        QTest::newRow("key") << 1009 << 63;
        QTest::newRow("channel") << 1018 << 3;
    }
    void limits() {
        QFETCH(int, field);
        QFETCH(int, limit);
        Bench b;
        CSetupDlg& d = b.start();
        QApplication::setActiveWindow(&d);
        const QString digits = QString(limit + 1, u'7');
        FormValues& v = d.values();
        if (field == 1006)
            v.m_strSsid = digits;
        else if (field == 1009)
            v.m_strKey = digits;
        else
            v.m_strChannel = digits;
        d.UpdateData(false);
        // Put in by the program, the text stays whole ...
        QCOMPARE(b.edit(field)->text(), digits);
        // ... and the exchange refuses it.
        QVERIFY(!d.UpdateData(true));
        QCOMPARE(b.prompts.shown.size(), 1);
        QCOMPARE(b.prompts.shown.first().first,
                 QStringLiteral("Bitte geben Sie nicht mehr als %1 Zeichen ein.").arg(limit));
        QCOMPARE(b.prompts.shown.first().second, PromptIcon::Warning);
        QCOMPARE(d.focusWidget(), d.control(field));

        // Quit does not close.
        QTest::mouseClick(b.button(1), Qt::LeftButton);
        QVERIFY(d.isVisible());
        QCOMPARE(d.result(), int(QDialog::Rejected));
        QCOMPARE(b.prompts.shown.size(), 2);

        // The over-long text can be shortened, not lengthened, by typing.
        b.edit(field)->end(false);
        QTest::keyClick(b.edit(field), Qt::Key_5);
        QCOMPARE(b.edit(field)->text(), digits);
        QTest::keyClick(b.edit(field), Qt::Key_Backspace);
        QCOMPARE(b.edit(field)->text(), QString(limit, u'7'));
        QTest::keyClick(b.edit(field), Qt::Key_5);
        QCOMPARE(b.edit(field)->text(), QString(limit, u'7'));
        QVERIFY(d.UpdateData(true));

        // Typing stops at the limit.
        b.edit(field)->clear();
        QTest::keyClicks(b.edit(field), QString(limit + 5, u'1'));
        QCOMPARE(b.edit(field)->text(), QString(limit, u'1'));

        // Quit now takes the values and closes.
        QTest::mouseClick(b.button(1), Qt::LeftButton);
        QVERIFY(!d.isVisible());
        QCOMPARE(d.result(), int(QDialog::Accepted));
    }

    void exchangeStopsAtFirstRefusal() {
        Bench b;
        CSetupDlg& d = b.start();
        d.values().m_strKey = QString(64, u'k');
        d.values().m_strSsid = QString(49, u's');
        d.UpdateData(false);
        b.edit(1032)->setText("typed");
        QVERIFY(!d.UpdateData(true));
        QCOMPARE(b.prompts.shown.size(), 1);
        QCOMPARE(b.prompts.lastText(),
                 QStringLiteral("Bitte geben Sie nicht mehr als 63 Zeichen ein."));
        QCOMPARE(d.focusWidget(), d.control(1009));
        // The values after the refused one were not taken.
        QCOMPARE(d.values().m_strDomain, QString());
    }

    void editsRefuseControlCharacters_data() {
        QTest::addColumn<int>("field");
        for (int id : {1006, 1009, 1018, 1031, 1032, 1033})
            QTest::newRow(qPrintable(QString::number(id))) << id;
    }
    void editsRefuseControlCharacters() {
        QFETCH(int, field);
        Bench b;
        CSetupDlg& d = b.start();
        b.security()->setCurrentIndex(6); // enables the enterprise fields
        d.setKeyEnabled(true);
        QLineEdit* e = b.edit(field);
        e->insert("12");
        QCOMPARE(e->text(), QStringLiteral("12"));
        e->insert("3\r\nAT+IFD");
        e->insert("4\t");
        e->insert(QString(QChar(0x1b)));
        QCOMPARE(e->text(), QStringLiteral("12"));
    }

    void channelTakesDigitsOnly() {
        Bench b;
        b.start();
        QTest::keyClicks(b.edit(1018), "1a-2 b3");
        QCOMPARE(b.edit(1018)->text(), QStringLiteral("123"));
    }

    void enterPressesConfigure() {
        Bench b;
        CSetupDlg& d = b.start();
        QApplication::setActiveWindow(&d);
        QVERIFY(QTest::qWaitForWindowActive(&d));
        QSignalSpy configure(b.button(1000), &QPushButton::clicked);
        QSignalSpy quit(b.button(1), &QPushButton::clicked);
        QVERIFY(b.button(1000)->isDefault());

        // Even after the focus has been on Quit.
        b.button(1)->setFocus();
        b.edit(1006)->setFocus();
        QTest::keyClicks(b.edit(1006), "Net");
        QTest::keyClick(b.edit(1006), Qt::Key_Return);
        QCOMPARE(configure.size(), 1);
        QCOMPARE(quit.size(), 0);
        QVERIFY(d.isVisible());

        b.combo(1022)->setFocus();
        QTest::keyClick(b.combo(1022), Qt::Key_Enter);
        QCOMPARE(configure.size(), 2);
        QCOMPARE(quit.size(), 0);
        QVERIFY(d.isVisible());
    }

    void escapeClosesWithoutTaking() {
        Bench b;
        CSetupDlg& d = b.start();
        QTest::keyClicks(b.edit(1006), "Net");
        QTest::keyClick(&d, Qt::Key_Escape);
        QVERIFY(!d.isVisible());
        QCOMPARE(d.result(), int(QDialog::Rejected));
        QCOMPARE(d.values().m_strSsid, QString());
    }

    void closeBoxClosesWithoutTaking() {
        Bench b;
        CSetupDlg& d = b.start();
        d.values().m_strKey = QString(70, u'k'); // over its limit: no check runs
        d.UpdateData(false);
        QTest::keyClicks(b.edit(1006), "Net");
        QVERIFY(d.close());
        QVERIFY(!d.isVisible());
        QCOMPARE(d.result(), int(QDialog::Rejected));
        QCOMPARE(d.values().m_strSsid, QString());
        QVERIFY(b.prompts.shown.isEmpty());
    }

    void quitTakesValues() {
        Bench b;
        CSetupDlg& d = b.start();
        QTest::keyClicks(b.edit(1006), "Net");
        QTest::mouseClick(b.button(1), Qt::LeftButton);
        QVERIFY(!d.isVisible());
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QCOMPARE(d.values().m_strSsid, QStringLiteral("Net"));
    }

    void radiosExcludeEachOther() {
        Bench b;
        CSetupDlg& d = b.start();
        QTest::mouseClick(b.radio(1003), Qt::LeftButton);
        QVERIFY(d.isAccessPoint());
        QTest::mouseClick(b.radio(1004), Qt::LeftButton);
        QVERIFY(d.isAdHoc());
        QVERIFY(!d.isAccessPoint());
        d.setAccessType(true, false);
        QVERIFY(d.isAccessPoint() && !d.isAdHoc());
        d.setAccessType(false, false);
        QVERIFY(!d.isAccessPoint() && !d.isAdHoc());
        QTest::mouseClick(b.radio(1004), Qt::LeftButton);
        QTest::mouseClick(b.radio(1003), Qt::LeftButton);
        QVERIFY(d.isAccessPoint() && !d.isAdHoc());
    }

    void layoutInDialogUnits() {
        Bench b;
        CSetupDlg& d = b.start();
        const QFontMetrics fm(d.font());
        const int baseX =
            (fm.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 26 +
             1) /
            2;
        const int baseY = fm.height();
        struct Row {
            int id, x, y, w, h;
        };
        const Row rows[] = {{1006, 87, 33, 83, 14},  {1010, 183, 33, 50, 12},
                            {1018, 87, 61, 84, 14},  {1003, 191, 61, 57, 10},
                            {1030, 6, 95, 245, 72},  {1035, 81, 147, 84, 14},
                            {1021, 44, 172, 50, 14}, {1000, 101, 172, 50, 14},
                            {1, 158, 172, 50, 14},   {1020, 12, 9, 51, 8}};
        for (const Row& r : rows) {
            const QRect g = d.control(r.id)->geometry();
            QCOMPARE(g.x(), (r.x * baseX + 2) / 4);
            QCOMPARE(g.y(), (r.y * baseY + 4) / 8);
            QCOMPARE(g.width(), (r.w * baseX + 2) / 4);
            QCOMPARE(g.height(), (r.h * baseY + 4) / 8);
            QCOMPARE(d.control(r.id)->objectName(), QStringLiteral("ctl%1").arg(r.id));
        }
        // The combo boxes keep their place and width; their height is that of one line.
        const QRect port = d.control(1022)->geometry();
        QCOMPARE(port.topLeft(), QPoint((87 * baseX + 2) / 4, (20 * baseY + 4) / 8));
        QVERIFY(port.bottom() < d.control(1006)->geometry().top());
        QVERIFY(d.control(9999) == nullptr);
        // Labels keep their place and end before the fields to their right.
        for (int id : {1020, 1016, 1011, 1012, 1017, 1013}) {
            QCOMPARE(d.control(id)->x(), (12 * baseX + 2) / 4);
            QVERIFY(d.control(id)->geometry().right() < d.control(1006)->x());
        }
        for (int id : {1027, 1028, 1029, 1034})
            QVERIFY(d.control(id)->geometry().right() < d.control(1031)->x());

        // A larger font gives the same proportions.
        QFont big = d.font();
        big.setPointSize(big.pointSize() * 2);
        d.setFont(big);
        const QRect r2 = d.dialogUnitsToPixels(87, 33, 83, 14);
        QVERIFY(r2.width() > d.control(1006)->width() * 3 / 2);
    }

    void tabOrder() {
        Bench b;
        CSetupDlg& d = b.start();
        b.security()->setCurrentIndex(5); // every control enabled
        d.setKeyEnabled(true);
        QList<int> order;
        QWidget* w = d.control(1019);
        for (int i = 0; i < 40 && order.size() < 16; ++i) {
            const int id = w->objectName().mid(3).toInt();
            if (w->objectName().startsWith("ctl") && (w->focusPolicy() & Qt::TabFocus) &&
                !order.contains(id))
                order.append(id);
            w = w->nextInFocusChain();
        }
        QCOMPARE(order, QList<int>({1019, 1022, 1010, 1006, 1007, 1018, 1003, 1004, 1009, 1031,
                                    1032, 1033, 1035, 1021, 1000, 1}));
    }

    void dampingShown() {
        Bench b;
        CSetupDlg& d = b.start();
        d.values().m_strDamping = "-61 db";
        d.UpdateData(false);
        d.showDamping();
        QVERIFY(!b.label(1025)->isHidden());
        QCOMPARE(b.label(1026)->text(), QStringLiteral("-61 db"));
        QCOMPARE(b.label(1025)->text(), QStringLiteral("Dämpfung"));
    }

    void portListFromEnumerator_data() {
        QTest::addColumn<int>("search");
        QTest::addColumn<QStringList>("items");
        const QStringList all = {"/dev/ttyACM0", "/dev/ttyACM2", "/dev/ttyACM10", "/dev/ttyS0",
                                 "/dev/ttyUSB0"};
        QTest::newRow("automatic") << 1 << QStringList({"/dev/ttyACM2", "/dev/ttyACM10"});
        QTest::newRow("manual") << 2 << all;
        QTest::newRow("odd value fills by hand") << 0 << all;
    }
    void portListFromEnumerator() {
        QFETCH(int, search);
        QFETCH(QStringList, items);
        Bench b;
        b.writeIni("[settings]\nsearch=" + QByteArray::number(search) + "\nport=/dev/ttyACM10\n");
        b.ports.addPlain("/dev/ttyS0");
        b.ports.addAdapter("/dev/ttyACM10");
        b.ports.addUsb("/dev/ttyUSB0", 0x0403, 0x6001);
        b.ports.addUsb("/dev/ttyACM0", 0x2341, 0x0043);
        b.ports.addAdapter("/dev/ttyACM2");
        CSetupDlg& d = b.start();
        // At start-up the automatic search fills the list, whatever the mode.
        QCOMPARE(b.combo(1022)->count(), 2);
        QCOMPARE(d.selectedPort(), QStringLiteral("/dev/ttyACM10"));

        b.combo(1022)->showPopup();
        b.combo(1022)->hidePopup();
        QStringList shown;
        for (int i = 0; i < b.combo(1022)->count(); ++i)
            shown << b.combo(1022)->itemText(i);
        QCOMPARE(shown, items);
        QCOMPARE(d.selectedPort(), QString());
        // Nothing is written by filling the list.
        QCOMPARE(b.settings().port(), QStringLiteral("/dev/ttyACM10"));
    }

    void portRestoredExactly_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("selected");
        QTest::newRow("ACM1 with ACM10 present")
            << QByteArray("port=/dev/ttyACM1\n") << "/dev/ttyACM1";
        QTest::newRow("ACM10") << QByteArray("port=/dev/ttyACM10\n") << "/dev/ttyACM10";
        QTest::newRow("empty value") << QByteArray("port=\n") << "";
        QTest::newRow("missing key") << QByteArray() << "";
        QTest::newRow("part of a name") << QByteArray("port=ACM1\n") << "";
        QTest::newRow("gone") << QByteArray("port=/dev/ttyACM7\n") << "";
    }
    void portRestoredExactly() {
        QFETCH(QByteArray, stored);
        QFETCH(QString, selected);
        Bench b;
        b.writeIni("[settings]\n" + stored);
        b.ports.addAdapter("/dev/ttyACM10");
        b.ports.addAdapter("/dev/ttyACM1");
        CSetupDlg& d = b.start();
        QCOMPARE(d.selectedPort(), selected);
    }

    void portChoiceSaved_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("stored");
        QTest::newRow("device path") << "/dev/ttyACM3"
                                     << "/dev/ttyACM3";
        QTest::newRow("pseudo terminal") << "/dev/pts/7"
                                         << "/dev/pts/7";
        QTest::newRow("not a device path") << "COM3"
                                           << "/dev/ttyACM0";
        QTest::newRow("relative") << "ttyACM3"
                                  << "/dev/ttyACM0";
    }
    void portChoiceSaved() {
        QFETCH(QString, name);
        QFETCH(QString, stored);
        Bench b;
        b.writeIni("[settings]\nsearch=2\nport=/dev/ttyACM0\n");
        b.ports.addPlain(name);
        CSetupDlg& d = b.start();
        b.combo(1022)->showPopup();
        b.combo(1022)->hidePopup();
        QCOMPARE(b.combo(1022)->count(), 1);
        b.choose(1022, 0);
        QCOMPARE(d.selectedPort(), name);
        QCOMPARE(b.settings().port(), stored);
    }

    void f1OpensHelpOncePerPress() {
        Bench b;
        b.writeIni("[settings]\nlanguage=10000\n");
        b.launcher.installed << "kchmviewer";
        CSetupDlg& d = b.start();
        QTest::keyClick(b.edit(1006), Qt::Key_F1);
        QCOMPARE(b.launcher.starts.size() + b.launcher.opened.size(), 1);
        QVERIFY(b.launcher.starts.first().args.contains("Description.html"));
        QTest::keyClick(&d, Qt::Key_F1);
        QCOMPARE(b.launcher.starts.size() + b.launcher.opened.size(), 2);
        d.menuAction(40002)->trigger();
        QCOMPARE(b.launcher.starts.size() + b.launcher.opened.size(), 3);
    }
};

QTEST_MAIN(TestMainForm)
#include "test_main_form.moc"
