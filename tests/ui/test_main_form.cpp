#include "base/clock.h"
#include "base/services.h"
#include "base/settings.h"
#include "base/ui_text.h"
#include "form_bench.h"
#include "ui/qt_services.h"
#include "ui/qt_translations.h"
#include "ui/setup_app.h"
#include "ui/setup_dlg.h"
#include "ui/tip_combo_box.h"
#include "ui/tip_list_ctrl.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace velinor;
using namespace velinor::fakes;

namespace {

// The form bench with the helpers of these tests; no port is reported unless a test adds one.
struct Bench : FormBench {
    Bench() { ports.list.clear(); }
    void writeIni(const QByteArray& text) const { writeFile(iniPath(), text); }
    Settings settings() const { return Settings(workingDir); }
    CSetupDlg& start() { return FormBench::start(QByteArray()); }
    template <class T> T* ctl(int id) const { return qobject_cast<T*>(dlg->control(id)); }
    QLabel* label(int id) const { return ctl<QLabel>(id); }
    QPushButton* button(int id) const { return ctl<QPushButton>(id); }
    QComboBox* combo(int id) const { return ctl<QComboBox>(id); }
    CTipComboBox* security() const { return ctl<CTipComboBox>(CSetupDlg::IDC_SECURITY); }
    QStringList portItems() const {
        combo(1022)->showPopup();
        combo(1022)->hidePopup();
        QStringList items;
        for (int i = 0; i < combo(1022)->count(); ++i)
            items << combo(1022)->itemText(i);
        return items;
    }
    // Every text of the form that follows the language.
    QStringList texts() const {
        QStringList texts{dlg->windowTitle()};
        for (QWidget* w : dlg->findChildren<QWidget*>(QRegularExpression("^ctl"))) {
            QString text = w->toolTip();
            if (auto* l = qobject_cast<QLabel*>(w))
                text += '|' + l->text();
            else if (auto* btn = qobject_cast<QAbstractButton*>(w))
                text += '|' + btn->text();
            else if (auto* g = qobject_cast<QGroupBox*>(w))
                text += '|' + g->title();
            texts << w->objectName() + '=' + text;
        }
        for (int i = 0; i < 7; ++i)
            texts << security()->GetItemTip(i);
        for (QAction* top : dlg->currentMenuBar()->actions()) {
            texts << top->text();
            for (QAction* a : top->menu()->actions())
                texts << QStringLiteral("%1:%2:%3")
                             .arg(a->data().toInt())
                             .arg(a->text())
                             .arg(a->isChecked());
        }
        return texts;
    }
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
        QCOMPARE(d.windowTitle(), QStringLiteral("Velinor"));
        QVERIFY(!d.windowIcon().isNull());
        QCOMPARE(b.label(1016)->text(), QStringLiteral("Serielle Schnittstelle"));
        QCOMPARE(b.button(1)->text(), QStringLiteral("&Beenden"));
        QCOMPARE(d.menuAction(40004)->text(), QStringLiteral("aktiviert"));
        QCOMPARE(b.app->GetPortSearch(), 1);
        QVERIFY(b.checked(40008) && !b.checked(40009));
        QVERIFY(!b.app->IsLogActive());
        QVERIFY(b.checked(40005) && !b.checked(40004));
        // The adapter's port is listed, none is selected.
        QCOMPARE(b.combo(1022)->count(), 1);
        QCOMPARE(b.ports.calls, 1);
        QCOMPARE(d.selectedPort(), QString());
        QCOMPARE(d.securityIndex(), -1);
        QVERIFY(!d.isAccessPoint() && !d.isAdHoc());
        QVERIFY(b.edit(1009)->isEnabled());
        for (int id : {1031, 1032, 1033, 1035})
            QVERIFY2(!d.control(id)->isEnabled(), qPrintable(QString::number(id)));
        QVERIFY(b.label(1025)->isHidden());
        QCOMPARE(b.edit(1009)->echoMode(), QLineEdit::Password);
        QCOMPARE(b.ini().replace("\r\n", "\n"), QByteArray("[settings]\nlog=0\n"));
        QVERIFY(b.prompts.shown.isEmpty());
    }

    // Escape and the close box throw typed values away, Quit takes them; nothing is written.
    void closing_data() {
        QTest::addColumn<int>("how");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("ssid");
        QTest::newRow("Escape") << 0 << int(QDialog::Rejected) << "";
        QTest::newRow("close box") << 1 << int(QDialog::Rejected) << "";
        QTest::newRow("Quit") << 2 << int(QDialog::Accepted) << "Net";
    }
    void closing() {
        QFETCH(int, how);
        Bench b;
        b.writeIni("[settings]\nlog=0\nsearch=2\nlanguage=10000\nport=/dev/ttyACM0\n");
        CSetupDlg& d = b.start();
        const QByteArray before = b.ini();
        if (how == 1) {
            d.values().m_strKey = QString(70, u'k'); // over its limit: no check runs
            d.UpdateData(false);
        }
        QTest::keyClicks(b.edit(1006), "Net");
        if (how == 0)
            QTest::keyClick(&d, Qt::Key_Escape);
        else if (how == 1)
            QVERIFY(d.close());
        else
            QTest::mouseClick(b.button(1), Qt::LeftButton);
        QVERIFY(!d.isVisible());
        QTEST(d.result(), "result");
        QTEST(d.values().m_strSsid, "ssid");
        QVERIFY(b.prompts.shown.isEmpty());
        b.dlg.reset();
        QCOMPARE(b.ini(), before);
    }

    // A close request during an exchange is carried out once the exchange and its
    // message have ended; other input, even Escape, is thrown away.
    void closeRequestDuringExchange_data() {
        QTest::addColumn<bool>("closeBox");
        QTest::newRow("close box") << true;
        QTest::newRow("Escape") << false;
    }
    void closeRequestDuringExchange() {
        QFETCH(bool, closeBox);
        Bench b;
        CSetupDlg& d = b.start();
        if (closeBox)
            QCoreApplication::postEvent(&d, new QCloseEvent);
        else
            QCoreApplication::postEvent(&d, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, {}));
        d.OnReadOut();
        QCOMPARE(b.prompts.shown.size(), 1);
        QVERIFY(d.isVisible());
        QCoreApplication::processEvents();
        QCOMPARE(d.isVisible(), !closeBox);
        if (closeBox)
            QCOMPARE(d.result(), int(QDialog::Rejected));
    }

    void logSetting_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<int>("language");
        QTest::addColumn<bool>("on");
        QTest::addColumn<QString>("title");
        QTest::newRow("1") << QByteArray("1") << 0 << true << "Velinor (log aktiv)";
        QTest::newRow("10") << QByteArray("10") << 0 << true << "Velinor (log aktiv)";
        QTest::newRow("2") << QByteArray("2") << 0 << false << "Velinor";
        QTest::newRow("text") << QByteArray("on") << 0 << false << "Velinor";
        QTest::newRow("1 English") << QByteArray("1") << 10000 << true << "Velinor (log active)";
    }
    void logSetting() {
        QFETCH(QByteArray, stored);
        QFETCH(int, language);
        QFETCH(bool, on);
        Bench b;
        b.writeIni("[settings]\nlog=" + stored + "\nlanguage=" + QByteArray::number(language));
        CSetupDlg& d = b.start();
        QCOMPARE(b.app->IsLogActive(), on);
        QTEST(d.windowTitle(), "title");
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
        const QStringList german = b.texts();
        QTest::keyClicks(b.edit(1006), "HomeNet");
        QTest::keyClicks(b.edit(1009), "secret12");

        // "language" is written before the texts change.
        QList<QPair<QString, int>> seen;
        auto watch = connect(&d, &QWidget::windowTitleChanged, this, [&](const QString& title) {
            seen.append({title, b.settings().language()});
        });
        b.choose(1019, 1);
        disconnect(watch);
        QVERIFY(!seen.isEmpty());
        QCOMPARE(seen.first(), qMakePair(QStringLiteral("Velinor (log active)"), 10000));

        QCOMPARE(d.GetLanguage(), kEnglish);
        QCOMPARE(b.label(1016)->text(), QStringLiteral("Serial Port"));
        QCOMPARE(b.button(1021)->text(), QStringLiteral("Read&out"));
        QCOMPARE(d.control(1019)->toolTip(), QStringLiteral("Sprache wählen"));
        QCOMPARE(b.security()->GetItemTip(3), QStringLiteral("WPA encryption with TKIP is used"));
        QCOMPARE(d.menuAction(40004)->text(), QStringLiteral("activated"));
        QVERIFY(b.checked(40004) && b.checked(40008));
        // Typed text survives the switch and has been taken.
        QCOMPARE(b.edit(1006)->text(), QStringLiteral("HomeNet"));
        QCOMPARE(b.edit(1009)->text(), QStringLiteral("secret12"));
        QCOMPARE(d.values().m_strSsid, QStringLiteral("HomeNet"));

        const QStringList english = b.texts();
        b.choose(1019, 0);
        QCOMPARE(b.settings().language(), 0);
        QCOMPARE(b.texts(), german);
        QVERIFY(english != german);
        for (int i = 0; i < 7; ++i)
            QCOMPARE(b.security()->GetItemTip(i), UiText(611 + i, kGerman));
        QCOMPARE(b.edit(1006)->text(), QStringLiteral("HomeNet"));
        QVERIFY(b.prompts.shown.isEmpty());
    }

    // Qt's own dialogs follow the language combo.
    void qtDialogsFollowLanguage_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<int>("item");
        QTest::addColumn<QString>("open");
        QTest::addColumn<QString>("cancel");
        QTest::newRow("to German") << QByteArray("10000") << 0 << "&Öffnen"
                                   << "Abbrechen";
        QTest::newRow("to English") << QByteArray("0") << 1 << "&Open"
                                    << "Cancel";
    }
    void qtDialogsFollowLanguage() {
        if (!QFile::exists(QtTranslations::defaultDirectory() + QStringLiteral("/qtbase_de.qm")))
            QSKIP("Qt's German translation qtbase_de.qm is not installed "
                  "(Debian package qt6-translations-l10n)");
        QFETCH(QByteArray, stored);
        QFETCH(int, item);
        Bench b;
        b.writeIni("[settings]\nlanguage=" + stored + "\n");
        b.start();
        b.choose(1019, item);
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        auto* box = dialog.findChild<QDialogButtonBox*>();
        QVERIFY(box);
        QTEST(box->button(QDialogButtonBox::Open)->text(), "open");
        QTEST(box->button(QDialogButtonBox::Cancel)->text(), "cancel");
    }

    // Regression: switching logging threw typed text away.
    void logSwitchKeepsTypedText() {
        Bench b;
        CSetupDlg& d = b.start();
        b.security()->setCurrentIndex(5); // WPA-ENTERPRISE
        QTest::keyClicks(b.edit(1006), "Office");
        QTest::keyClicks(b.edit(1031), "alice");
        d.menuAction(40004)->trigger();
        QVERIFY(b.app->IsLogActive() && b.checked(40004));
        QCOMPARE(d.windowTitle(), QStringLiteral("Velinor (log aktiv)"));
        QCOMPARE(b.settings().logText(), QStringLiteral("1"));
        QCOMPARE(b.edit(1006)->text(), QStringLiteral("Office"));
        QCOMPARE(b.edit(1031)->text(), QStringLiteral("alice"));
        QCOMPARE(d.securityIndex(), 5);
        d.menuAction(40005)->trigger();
        QVERIFY(!b.app->IsLogActive());
        QCOMPARE(b.settings().logText(), QStringLiteral("0"));
    }

    void logFailureSwitchesLoggingOff() {
        Bench b;
        // The program's directory cannot hold a log file.
        QFile blocker(b.dir.path() + "/bin");
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        b.programDir = b.dir.path() + "/bin/velinor";
        b.writeIni("[settings]\nlog=1\n");
        CSetupDlg& d = b.start();
        QVERIFY(b.app->IsLogActive());
        // A workflow has changed a value and shows it later.
        QTest::keyClicks(b.edit(1006), "typed");
        d.UpdateData(true);
        d.values().m_strSsid = "FromScan";
        b.app->eventLog().entry("Configuration successful\n");
        QVERIFY(!b.app->IsLogActive() && b.checked(40005));
        QCOMPARE(d.windowTitle(), QStringLiteral("Velinor"));
        QCOMPARE(b.settings().logText(), QStringLiteral("0"));
        QCOMPARE(b.edit(1006)->text(), QStringLiteral("FromScan"));
        b.app->eventLog().entry("again\n");
        QCOMPARE(b.prompts.shown.size(), 1);
    }

    // Regression: an odd port-search value left the menu in the old language.
    void portSearchCommands() {
        Bench b;
        b.writeIni("[settings]\nsearch=5\n");
        CSetupDlg& d = b.start();
        QCOMPARE(b.app->GetPortSearch(), 5);
        QVERIFY(!b.checked(40008) && !b.checked(40009));
        b.choose(1019, 1);
        QCOMPARE(d.menuAction(40008)->text(), QStringLiteral("automatic"));
        QCOMPARE(d.currentMenuBar()->actions().at(1)->text(), QStringLiteral("Port-Search"));
        QVERIFY(!b.checked(40008) && !b.checked(40009));
        QCOMPARE(b.settings().search(), 5);
        d.menuAction(40009)->trigger();
        QCOMPARE(b.app->GetPortSearch(), 2);
        QCOMPARE(b.settings().search(), 2);
        QVERIFY(b.checked(40009) && !b.checked(40008));
        d.menuAction(40008)->trigger();
        QCOMPARE(b.settings().search(), 1);
        QVERIFY(b.checked(40008) && !b.checked(40009));
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
        QTest::newRow("WPA 6 letters, 12 bytes, to WEP")
            << 3 << QString(6, QChar(0xe4)) << 1 << "" << true << false << 10;
        QTest::newRow("WEP 10 to WEP128") << 1 << k10 << 2 << k10 << true << false << 26;
        QTest::newRow("WEP128 26 to WEP") << 2 << k26 << 1 << "" << true << false << 10;
        QTest::newRow("WPA 26 to WEP128") << 3 << k26 << 2 << k26 << true << false << 26;
        QTest::newRow("WPA 27 to WEP128") << 3 << (k26 + "x") << 2 << "" << true << false << 26;
        QTest::newRow("WPA2 20 to NONE") << 4 << k20 << 0 << k20 << false << false << 63;
        QTest::newRow("WPA to WPA-ENTERPRISE") << 3 << k20 << 5 << k20 << false << true << 63;
        QTest::newRow("WPA-ENTERPRISE to WPA2") << 5 << k20 << 4 << k20 << true << false << 63;
    }
    void rules() {
        QFETCH(int, from);
        QFETCH(QString, key);
        QFETCH(int, to);
        QFETCH(bool, enterprise);
        Bench b;
        CSetupDlg& d = b.start();
        b.security()->setCurrentIndex(from);
        b.edit(1009)->setText(key);
        b.edit(1031)->setText("alice");
        b.security()->setCurrentIndex(to);
        QCOMPARE(d.securityIndex(), to);
        QTEST(b.edit(1009)->text(), "keyAfter");
        QTEST(b.edit(1009)->isEnabled(), "keyEnabled");
        for (int id : {1031, 1032, 1033, 1035})
            QCOMPARE(d.control(id)->isEnabled(), enterprise);
        QTEST(d.keyTypingLimit(), "limit");
        // Disabling keeps the contents.
        QCOMPARE(b.edit(1031)->text(), QStringLiteral("alice"));
        QVERIFY(b.prompts.shown.isEmpty());
    }

    // The limits count the bytes of UTF-8 that the adapter's command carries.
    void limits_data() {
        QTest::addColumn<int>("field");
        QTest::addColumn<int>("limit");
        QTest::addColumn<QString>("unit");  // what the program puts in
        QTest::addColumn<QString>("typed"); // what the user types and pastes
        const QString ae = QString::fromUtf8("ä");
        QTest::newRow("SSID") << 1006 << 32 << "7"
                              << "1";
        QTest::newRow("SSID, two bytes a letter") << 1006 << 32 << ae << ae;
        QTest::newRow("key, two bytes a letter") << 1009 << 63 << ae << ae;
        QTest::newRow("channel") << 1018 << 3 << "7"
                                 << "1";
        QTest::newRow("channel, two bytes a letter") << 1018 << 3 << ae << "1";
    }
    void limits() {
        QFETCH(int, field);
        QFETCH(int, limit);
        QFETCH(QString, unit);
        QFETCH(QString, typed);
        Bench b;
        CSetupDlg& d = b.start();
        QApplication::setActiveWindow(&d);
        const int unitBytes = unit.toUtf8().size();
        const int typedBytes = typed.toUtf8().size();
        const QString over = QString(limit / unitBytes + 1, unit.at(0));
        const QString atLimit =
            QString(limit / unitBytes, unit.at(0)) + QString(limit % unitBytes, u'1');
        FormValues& v = d.values();
        QString& value = field == 1006 ? v.m_strSsid : field == 1009 ? v.m_strKey : v.m_strChannel;
        // Put in by the program, the text stays whole; the exchange takes it at the limit.
        value = atLimit;
        d.UpdateData(false);
        QVERIFY(d.UpdateData(true));
        QCOMPARE(value, atLimit);
        // Over it, the exchange refuses it.
        value = over;
        d.UpdateData(false);
        QCOMPARE(b.edit(field)->text(), over);
        QVERIFY(!d.UpdateData(true));
        QCOMPARE(b.prompts.shown.size(), 1);
        QCOMPARE(
            b.prompts.shown.first().first,
            QString::fromUtf8("Bitte geben Sie nicht mehr als %1 Bytes ein (UTF-8; ä belegt zwei).")
                .arg(limit));
        QCOMPARE(b.prompts.shown.first().second, PromptIcon::Warning);
        QCOMPARE(d.focusWidget(), d.control(field));
        // Quit does not close.
        QTest::mouseClick(b.button(1), Qt::LeftButton);
        QVERIFY(d.isVisible());
        QCOMPARE(b.prompts.shown.size(), 2);
        // The over-long text cannot be lengthened by typing (the channel field
        // takes digits only, and so only digits come into it).
        if (field != 1018 || unit.at(0).isDigit()) {
            b.edit(field)->end(false);
            QTest::keyClick(b.edit(field), Qt::Key_5);
            QCOMPARE(b.edit(field)->text(), over);
        }
        // Typing stops at the limit.
        const QString full(limit / typedBytes, typed.at(0));
        b.edit(field)->clear();
        for (int i = 0; i < limit + 5; ++i)
            QTest::sendKeyEvent(QTest::Click, b.edit(field), Qt::Key_unknown, typed,
                                Qt::NoModifier);
        QCOMPARE(b.edit(field)->text(), full);
        // Pasting takes what fits, cut between two letters; nothing when nothing fits.
        b.edit(field)->clear();
        b.edit(field)->insert(QString(limit + 5, typed.at(0)));
        QCOMPARE(b.edit(field)->text(), full);
        b.edit(field)->insert(typed);
        QCOMPARE(b.edit(field)->text(), full);
        b.edit(field)->setText(QStringLiteral("11"));
        b.edit(field)->setCursorPosition(1);
        b.edit(field)->insert(QString(limit, typed.at(0)));
        QCOMPARE(b.edit(field)->text(),
                 u'1' + QString((limit - 2) / typedBytes, typed.at(0)) + u'1');
        QCOMPARE(b.edit(field)->cursorPosition(), 1 + (limit - 2) / typedBytes);
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
                 QString::fromUtf8(
                     "Bitte geben Sie nicht mehr als 63 Bytes ein (UTF-8; ä belegt zwei)."));
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
        e->insert("3\r\nAT+IFD");
        e->insert("4\t");
        e->insert(QString(QChar(0x1b)));
        QCOMPARE(e->text(), QStringLiteral("12"));
        if (field == 1018) {
            QTest::keyClicks(e, "a-4 b");
            QCOMPARE(e->text(), QStringLiteral("124"));
        }
    }

    void enterPressesConfigure() {
        Bench b;
        CSetupDlg& d = b.start();
        QApplication::setActiveWindow(&d);
        QVERIFY(QTest::qWaitForWindowActive(&d));
        QSignalSpy configure(b.button(1000), &QPushButton::clicked);
        QSignalSpy quit(b.button(1), &QPushButton::clicked);
        // Even after the focus has been on Quit.
        b.button(1)->setFocus();
        b.edit(1006)->setFocus();
        QTest::keyClick(b.edit(1006), Qt::Key_Return);
        b.combo(1022)->setFocus();
        QTest::keyClick(b.combo(1022), Qt::Key_Enter);
        QCOMPARE(configure.size(), 2);
        QCOMPARE(quit.size(), 0);
        QVERIFY(d.isVisible());
    }

    void radiosExcludeEachOther() {
        Bench b;
        CSetupDlg& d = b.start();
        QTest::mouseClick(b.ctl<QRadioButton>(1003), Qt::LeftButton);
        QVERIFY(d.isAccessPoint());
        QTest::mouseClick(b.ctl<QRadioButton>(1004), Qt::LeftButton);
        QVERIFY(d.isAdHoc() && !d.isAccessPoint());
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
        const int rows[][5] = {{1006, 87, 33, 83, 14},
                               {1003, 191, 61, 57, 10},
                               {1030, 6, 95, 245, 72},
                               {1, 158, 172, 50, 14}};
        for (const auto& r : rows) {
            QCOMPARE(d.control(r[0])->geometry(),
                     QRect((r[1] * baseX + 2) / 4, (r[2] * baseY + 4) / 8, (r[3] * baseX + 2) / 4,
                           (r[4] * baseY + 4) / 8));
        }
    }

    // Regression: the stored port was found by substring, not by equality.
    void portListFromEnumerator_data() {
        QTest::addColumn<int>("search");
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QStringList>("items");
        const QStringList all = {"/dev/ttyACM0",  "/dev/ttyACM1", "/dev/ttyACM2",
                                 "/dev/ttyACM10", "/dev/ttyS0",   "/dev/ttyUSB0"};
        QTest::newRow("automatic, ACM1 with ACM10")
            << 1 << QByteArray("/dev/ttyACM1") << QStringLiteral("/dev/ttyACM1")
            << QStringList({"/dev/ttyACM1", "/dev/ttyACM2", "/dev/ttyACM10"});
        QTest::newRow("manual") << 2 << QByteArray("/dev/ttyACM10")
                                << QStringLiteral("/dev/ttyACM10") << all;
        QTest::newRow("odd value, part of a name") << 0 << QByteArray("ACM1") << QString() << all;
        QTest::newRow("empty value") << 2 << QByteArray() << QString() << all;
    }
    void portListFromEnumerator() {
        QFETCH(int, search);
        QFETCH(QByteArray, stored);
        Bench b;
        b.writeIni("[settings]\nsearch=" + QByteArray::number(search) + "\nport=" + stored + "\n");
        b.ports.addPlain("/dev/ttyS0");
        b.ports.addAdapter("/dev/ttyACM10");
        b.ports.addUsb("/dev/ttyUSB0", 0x0403, 0x6001);
        b.ports.addUsb("/dev/ttyACM0", 0x2341, 0x0043);
        b.ports.addAdapter("/dev/ttyACM2");
        b.ports.addAdapter("/dev/ttyACM1");
        CSetupDlg& d = b.start();
        // At start-up the automatic search fills the list, whatever the mode.
        QCOMPARE(b.combo(1022)->count(), 3);
        QTEST(d.selectedPort(), "selected");
        QTEST(b.portItems(), "items");
        QCOMPARE(d.selectedPort(), QString());
        // Nothing is written by filling the list.
        QCOMPARE(b.settings().port(), QString::fromLatin1(stored));
    }

    void portChoiceSaved_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("stored");
        QTest::newRow("device path") << QStringLiteral("/dev/pts/7") << "/dev/pts/7";
        QTest::newRow("not a device path") << QStringLiteral("COM3") << "/dev/ttyACM0";
    }
    void portChoiceSaved() {
        QFETCH(QString, name);
        Bench b;
        b.writeIni("[settings]\nsearch=2\nport=/dev/ttyACM0\n");
        b.ports.addPlain(name);
        CSetupDlg& d = b.start();
        QCOMPARE(b.portItems(), QStringList{name});
        b.choose(1022, 0);
        QCOMPARE(d.selectedPort(), name);
        QTEST(b.settings().port(), "stored");
    }

    void enterpriseChosenInTheListAppliesTheRulesAtOnce() {
        Bench b;
        CSetupDlg& d = b.start();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        b.security()->setCurrentIndex(4);
        QVERIFY(b.edit(1009)->isEnabled() && !b.edit(1031)->isEnabled());
        b.security()->ShowTipList(true);
        QWindow* popup = b.security()->tipList()->window()->windowHandle();
        QTest::keyClick(popup, Qt::Key_Down); // WPA-ENTERPRISE
        QTest::keyClick(popup, Qt::Key_Return);
        QCOMPARE(d.securityIndex(), 5);
        for (int id : {1031, 1032, 1033, 1035})
            QVERIFY(d.control(id)->isEnabled());
        QVERIFY(!b.edit(1009)->isEnabled());
    }

    // The tip list's room is the template's dropped-down height below the closed
    // box: whole rows only, and a scroll bar when not all entries fit.
    void tipListHasTemplateHeight_data() {
        QTest::addColumn<int>("entries");
        QTest::addColumn<bool>("scrolls");
        QTest::newRow("seven entries do not fit") << 7 << true;
        QTest::newRow("three entries fit") << 3 << false;
    }
    void tipListHasTemplateHeight() {
        QFETCH(int, entries);
        Bench b;
        CSetupDlg& d = b.start();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        CTipComboBox* combo = b.security();
        while (combo->count() > entries)
            combo->removeItem(combo->count() - 1);
        combo->ShowTipList(true);
        CTipListCtrl* list = combo->tipList();
        const int room = d.dialogUnitsToPixels(0, 0, 0, 67).height() - combo->height();
        QCOMPARE(combo->listHeight(), room);
        const int row = list->rowHeight();
        const int rows = std::min(entries, room / row);
        QCOMPARE(list->height(), rows * row + 4);
        QTEST(rows < entries, "scrolls");
        QTEST(list->verticalScrollBar()->isVisible(), "scrolls");
    }

    // "Alle Dateien (*.*)" lists every file, also one without a dot.
    void certificateChooserListsAllFiles() {
        QTemporaryDir dir;
        for (const char* name : {"cacert", "ca.pem"}) {
            QFile f(dir.filePath(QString::fromLatin1(name)));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        QtFilePicker picker(UiText(515, kGerman));
        QStringList filters;
        QStringList listed[2];
        QTimer::singleShot(0, [&] {
            auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(chooser);
            // Never leave the test hanging in the chooser.
            const auto close = qScopeGuard([chooser] {
                if (chooser->isVisible())
                    chooser->reject();
            });
            chooser->setDirectory(dir.path());
            auto* types = chooser->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            auto* view = chooser->findChild<QListView*>(QStringLiteral("listView"));
            QVERIFY(types && view);
            for (int filter = 0; filter < 2; ++filter) {
                filters << types->itemText(filter);
                chooser->selectNameFilter(chooser->nameFilters().at(filter));
                const qsizetype expected = filter == 0 ? 1 : 2;
                QTRY_COMPARE(view->model()->rowCount(view->rootIndex()), expected);
                for (int row = 0; row < expected; ++row)
                    listed[filter]
                        << view->model()->index(row, 0, view->rootIndex()).data().toString();
            }
            auto* name = chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            QVERIFY(name);
            name->setText(QStringLiteral("cacert"));
            QMetaObject::invokeMethod(chooser, "accept");
        });
        QCOMPARE(picker.pick(), dir.filePath(QStringLiteral("cacert")));
        QCOMPARE(filters, (QStringList{"PEM Zertifikat (*.pem)", "Alle Dateien (*.*)"}));
        QCOMPARE(listed[0], QStringList{"ca.pem"});
        listed[1].sort();
        QCOMPARE(listed[1], (QStringList{"ca.pem", "cacert"}));
    }

    void f1OpensHelpOncePerPress() {
        Bench b;
        b.writeIni("[settings]\nlanguage=10000\n");
        b.launcher.installed << "kchmviewer";
        QFile help(b.dir.filePath("Velinor.chm"));
        QVERIFY(help.open(QIODevice::WriteOnly));
        CSetupDlg& d = b.start();
        QTest::keyClick(b.edit(1006), Qt::Key_F1);
        QCOMPARE(b.launcher.starts.size() + b.launcher.opened.size(), 1);
        QVERIFY(b.launcher.starts.first().args.contains("Description.html"));
        QTest::keyClick(&d, Qt::Key_F1);
        QCOMPARE(b.launcher.starts.size() + b.launcher.opened.size(), 2);
        d.menuAction(40002)->trigger();
        QCOMPARE(b.launcher.starts.size() + b.launcher.opened.size(), 3);
        QVERIFY(b.prompts.shown.isEmpty());
    }
};

QTEST_MAIN(TestMainForm)
#include "test_main_form.moc"
