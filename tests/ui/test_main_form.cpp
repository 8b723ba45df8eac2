// The main form: start-up, menu, languages, closing, field rules and limits, ports, keys, help.
#include "base/settings.h"
#include "base/ui_text.h"
#include "form_bench.h"
#include "ui/qt_services.h"
#include "ui/qt_translations.h"
#include "ui/signal_quit.h"
#include "ui/tip_combo_box.h"
#include "ui/tip_list_ctrl.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>

#include <csignal>

using namespace velinor;
using namespace velinor::fakes;

namespace {

// The form bench with the helpers of these tests; no port is reported unless a test adds one.
struct Bench : FormBench {
    Bench() { ports.list.clear(); }
    // Writes settings.ini with these lines in its section [settings].
    void writeIni(const QByteArray& lines) const {
        writeFile(iniPath(), "[settings]\n" + lines + '\n');
    }
    Settings settings() const { return Settings(workingDir); }
    CSetupDlg& start() { return FormBench::start(QByteArray()); }
    template <class T> T* ctl(int id) const { return qobject_cast<T*>(dlg->control(id)); }
    QPushButton* button(int id) const { return ctl<QPushButton>(id); }
    QComboBox* combo(int id) const { return ctl<QComboBox>(id); }
    CTipComboBox* security() const { return ctl<CTipComboBox>(CSetupDlg::IDC_SECURITY); }
};

using D = CSetupDlg;
using App = CSetupApp;
enum class Close { Escape, CloseBox, Quit, QuitKeyTooLong, Sigterm };
constexpr int kNoChoice = -1; // no language chosen, no menu command
constexpr int kGermanItem = 0, kEnglishItem = 1;
constexpr int kEnterpriseControls[] = {D::IDC_USER, D::IDC_DOMAIN, D::IDC_PASSWORD,
                                       D::IDC_CERT_SELECT};

const QString kTooLong =
    QString::fromUtf8("Bitte geben Sie nicht mehr als %1 Bytes ein (UTF-8; ä belegt zwei).");
const QString k26 = QStringLiteral("0123456789abcdef0123456789");
QString ae(int n) {
    return QString(n, QChar(0xe4));
}
const QString kMenuDe = QStringLiteral(
    "Log:aktiviert%1,deaktiviert%2|Schnittstellen-Suche:automatisch%3,manuell%4|?:Hilfe,Über");
const QString kMenuEn =
    QStringLiteral("Log:activated%1,deactivated%2|Port-Search:automatic%3,manual%4|?:Help,About");
// The title and the menu with check marks: logging on or off, port search 1, 2 or another value.
QString shows(bool english, bool log, int search) {
    const auto mark = [](bool on) { return on ? QStringLiteral("*") : QString(); };
    const QString title =
        log ? english ? "Velinor (log active)" : "Velinor (log aktiv)" : "Velinor";
    return title + '|' +
           (english ? kMenuEn : kMenuDe)
               .arg(mark(log), mark(!log), mark(search == 1), mark(search == 2));
}

// The Open button's text in Qt's own file dialog.
QString qtOpenText() {
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    return dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Open)->text();
}

// Closes the modal window open after this time, and keeps its title.
struct NextModal : QObject {
    QString title;
    explicit NextModal(int afterMs = 0) {
        QTimer::singleShot(afterMs, this, [this] {
            if (QWidget* window = QApplication::activeModalWidget()) {
                title = window->windowTitle();
                window->close();
            }
        });
    }
};

struct Start {                                         // startAndMenu's row
    QString ini = {};                                  // section [settings]; null: no settings.ini
    int languageItem = kNoChoice, command = kNoChoice; // after the start
    bool english = false, log = false;
    int search = 1; // port search: 1 automatic, 2 manual, other values check neither
};
struct Rule { // rules' row: from one security type to another with a key in the field
    int from = security::kWpa;
    QString key = {};
    int to = 0;
    bool cleared = false, keyEnabled = true, enterprise = false; // enterprise: its fields enabled
    int keyLimit = 63;                                           // the bytes the key field takes
    QString ssid = {}; // put in by the program, over its limit: reported, the rest still taken
};
struct Typing { // fields' row
    int field = D::IDC_SSID;
    QString before = {};            // put in by the program
    int cursor = -1;                // where the input goes; -1: the end
    bool typed = false;             // else pasted
    QString input = {}, after = {}; // after: what the field then holds
    int refused = 0;                // the limit that Quit names; 0: Quit takes the values
};

} // namespace

Q_DECLARE_METATYPE(Close)
Q_DECLARE_METATYPE(Typing)
Q_DECLARE_METATYPE(Rule)
Q_DECLARE_METATYPE(Start)

class TestMainForm : public QObject {
    Q_OBJECT
private slots:
    // Start-up from settings.ini, then a language or a menu command: the title, the menu with its
    // check marks and settings.ini follow, and typed text survives. "language" is written before
    // the texts change, and Qt's own dialogs follow it.
    void startAndMenu_data() {
        QTest::addColumn<Start>("row");
        QTest::newRow("no settings.ini") << Start{};
        QTest::newRow("log=10 is on: its first digit") << Start{.ini = "log=10", .log = true};
        QTest::newRow("log=2 is off") << Start{.ini = "log=2"};
        QTest::newRow("English, manual search") << Start{
            .ini = "log=1\nlanguage=10000\nsearch=2", .english = true, .log = true, .search = 2};
        QTest::newRow("odd values") << Start{.ini = "search=5\nlanguage=3", .search = 5};
        // Regression: switching logging threw typed text away.
        QTest::newRow("log on") << Start{.ini = "log=0", .command = App::kCmdLogOn, .log = true};
        QTest::newRow("log off, English")
            << Start{.ini = "log=1\nlanguage=10000", .command = App::kCmdLogOff, .english = true};
        // Regression: an odd port-search value left the menu in the old language.
        // (Logging on: the title then changes with the language, which the row watches.)
        QTest::newRow("odd search value, to English") << Start{.ini = "search=5\nlog=1",
                                                               .languageItem = kEnglishItem,
                                                               .english = true,
                                                               .log = true,
                                                               .search = 5};
        QTest::newRow("to German")
            << Start{.ini = "log=1\nlanguage=10000", .languageItem = kGermanItem, .log = true};
        QTest::newRow("manual") << Start{
            .ini = "search=5", .command = App::kCmdPortSearchManual, .search = 2};
        // The menu bar is kept and its marks set again: a checked entry stays checked.
        QTest::newRow("log on, again")
            << Start{.ini = "log=1", .command = App::kCmdLogOn, .log = true};
        QTest::newRow("automatic, English") << Start{
            .ini = "search=2\nlanguage=10000", .command = App::kCmdPortSearchAuto, .english = true};
    }
    void startAndMenu() {
        QFETCH(Start, row);
        Bench b;
        b.ports.addAdapter("/dev/ttyACM0");
        if (!row.ini.isNull())
            b.writeIni(row.ini.toUtf8());
        CSetupDlg& d = b.start();
        if (row.ini.isNull()) // the first start writes the logging switch
            QCOMPARE(b.ini(), QByteArray("[settings]\nlog=0\n"));
        QVERIFY(!d.windowIcon().isNull());
        QCOMPARE(b.ports.calls, 1); // the port search ran once
        QCOMPARE(d.securityIndex(), -1);
        QCOMPARE(b.edit(D::IDC_KEY)->echoMode(), QLineEdit::Password);
        QCOMPARE(b.edit(D::IDC_PASSWORD)->echoMode(), QLineEdit::Password);
        for (int id : kEnterpriseControls)
            QVERIFY(!d.control(id)->isEnabled());
        QVERIFY(b.ctl<QLabel>(D::IDC_DAMPING_LABEL)->isHidden());
        QVERIFY(d.progressBar()->isHidden()); // shown only while an exchange runs
        QSet<QString> tips;                   // each control has its own
        for (int id : {D::IDC_CONFIGURE, D::IDC_READ_OUT, D::IDC_NETSEARCH, D::IDC_LANGUAGE,
                       D::IDC_SECURITY, D::IDC_ACCESS_POINT, D::IDC_AD_HOC, D::IDC_KEY,
                       D::IDC_CHANNEL, D::IDC_SSID, D::IDC_PORT})
            tips << d.control(id)->toolTip();
        QCOMPARE(tips.size(), 11);

        b.security()->setCurrentIndex(security::kWpaEnterprise);
        QTest::keyClicks(b.edit(D::IDC_SSID), "Office");
        QTest::keyClicks(b.edit(D::IDC_USER), "alice");
        QList<int> written; // "language" in settings.ini when the title changes
        connect(&d, &QWidget::windowTitleChanged, &d, [&] { written << b.settings().language(); });
        if (row.languageItem != kNoChoice)
            b.choose(D::IDC_LANGUAGE, row.languageItem);
        if (row.command != kNoChoice)
            d.menuAction(row.command)->trigger();
        QStringList menus; // "*" after a checked entry
        for (QAction* top : d.currentMenuBar()->actions()) {
            QStringList entries;
            for (QAction* a : top->menu()->actions())
                entries << a->text() + (a->isChecked() ? "*" : "");
            menus << top->text() + ':' + entries.join(',');
        }
        QCOMPARE(d.windowTitle() + '|' + menus.join('|'), shows(row.english, row.log, row.search));
        QCOMPARE(b.settings().logText(), row.log ? "1" : "0");
        QCOMPARE(b.combo(D::IDC_LANGUAGE)->currentText(), row.english ? "English" : "Deutsch");
        QCOMPARE(b.settings().search(), row.search);
        QCOMPARE(b.edit(D::IDC_SSID)->text(), QStringLiteral("Office"));
        QCOMPARE(b.edit(D::IDC_USER)->text(), QStringLiteral("alice"));
        QCOMPARE(d.securityIndex(), security::kWpaEnterprise);
        QVERIFY(b.prompts.shown.isEmpty());
        d.hide(); // as minimised and restored: nothing is read again, nothing typed lost
        d.show();
        QCOMPARE(b.ports.calls, 1);
        QCOMPARE(b.edit(D::IDC_SSID)->text(), QStringLiteral("Office"));
        if (row.languageItem == kNoChoice)
            return;
        QCOMPARE(written.value(0, -1), row.english ? kEnglish : kGerman);
        QCOMPARE(b.security()->GetItemTip(security::kWpa),
                 row.english ? QStringLiteral("WPA encryption with TKIP is used")
                             : QString::fromUtf8("Es wird WPA Verschlüsselung mit TKIP verwendet"));
        // Without Qt's German translations (qt6-translations-l10n) they stay English.
        if (row.english || QFile::exists(QtTranslations::defaultDirectory() + "/qtbase_de.qm"))
            QCOMPARE(qtOpenText(),
                     row.english ? QStringLiteral("&Open") : QStringLiteral("&Öffnen"));
    }

    // The menu's About opens the About box over the form; SIGTERM closes both. The program's
    // start shows the form modal, initialised, and returns once it is closed.
    void modalWindows() {
        Bench b;
        b.start();
        const NextModal about;
        b.dlg->menuAction(App::kCmdAbout)->trigger();
        QCOMPARE(about.title, QStringLiteral("Info"));
        // SIGTERM closes the About box and then the form.
        const SignalQuit quit(b.dlg.get());
        const NextModal leftOpen(2000);
        QTimer::singleShot(0, &leftOpen, [] { std::raise(SIGTERM); });
        b.dlg->menuAction(App::kCmdAbout)->trigger();
        QVERIFY(leftOpen.title.isNull() && !b.dlg->isVisible());
        b.dlg.reset();
        QCOMPARE(b.app->mainWindow(), nullptr); // message boxes no longer go over it
        const NextModal form;
        QCOMPARE(b.app->InitInstance(), 0);
        QCOMPARE(form.title, QStringLiteral("Velinor"));
    }

    // Escape and the close box drop typed values, Quit takes them; nothing is written. During an
    // exchange a close request waits for its end; other input, even Escape, is dropped.
    void closing_data() {
        QTest::addColumn<Close>("how");
        QTest::addColumn<bool>("duringReadOut");
        QTest::addColumn<bool>("open");
        QTest::newRow("Escape") << Close::Escape << false << false;
        QTest::newRow("close box") << Close::CloseBox << false << false;
        QTest::newRow("SIGTERM, as the close box") << Close::Sigterm << false << false;
        QTest::newRow("Quit") << Close::Quit << false << false;
        QTest::newRow("Quit refused: the rest is not taken")
            << Close::QuitKeyTooLong << false << true;
        QTest::newRow("Escape during Read out") << Close::Escape << true << true;
        QTest::newRow("close box during Read out") << Close::CloseBox << true << false;
    }
    void closing() {
        QFETCH(Close, how);
        QFETCH(bool, duringReadOut);
        Bench b;
        b.writeIni("log=0\nsearch=2\nport=/dev/ttyACM0");
        CSetupDlg& d = b.start();
        const QByteArray before = b.ini();
        QTest::keyClicks(b.edit(D::IDC_SSID), "Net");
        if (duringReadOut) {
            QCoreApplication::postEvent(
                &d, how == Close::CloseBox ? static_cast<QEvent*>(new QCloseEvent)
                                           : new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, {}));
            d.OnReadOut();
            QCOMPARE(b.prompts.shown.size(), 1);
            QVERIFY(d.isVisible());
            QCoreApplication::processEvents();
        } else if (how == Close::Escape) {
            QTest::keyClick(&d, Qt::Key_Escape);
        } else if (how == Close::Sigterm) {
            const SignalQuit quit(&d);
            std::raise(SIGTERM);
            QTRY_VERIFY(!d.isVisible());
        } else if (how == Close::CloseBox) {
            d.values().m_strKey = QString(70, u'k'); // over its limit: no check runs
            d.UpdateData(false);
            QVERIFY(d.close());
        } else {
            if (how == Close::QuitKeyTooLong)
                b.put(D::IDC_KEY, ae(32)); // 64 bytes
            QTest::mouseClick(b.button(D::IDOK), Qt::LeftButton);
            QCOMPARE(b.prompts.texts(),
                     how == Close::QuitKeyTooLong ? QStringList{kTooLong.arg(63)} : QStringList());
        }
        QFETCH(bool, open);
        QCOMPARE(d.isVisible(), open);
        QCOMPARE(d.result(), open ? 0 : how == Close::Quit ? QDialog::Accepted : QDialog::Rejected);
        QCOMPARE(d.values().m_strSsid, how == Close::Quit ? QStringLiteral("Net") : QString());
        b.dlg.reset();
        QCOMPARE(b.ini(), before);
    }

    // The security type's rules on the form: a key too long for the new type is cleared; the key
    // field and the enterprise fields enabled or not; the bytes the key field takes.
    void rules_data() {
        QTest::addColumn<Rule>("row");
        using namespace security;
        const QString k20 = QStringLiteral("abcdefghij0123456789");
        QTest::newRow("WPA 12 bytes to WEP: cleared, WEP takes 10")
            << Rule{.key = ae(6), .to = kWep, .cleared = true, .keyLimit = 10};
        QTest::newRow("WPA 26 to WEP128, which takes 26")
            << Rule{.key = k26, .to = kWep128, .keyLimit = 26};
        QTest::newRow("WPA 27 to WEP128: cleared")
            << Rule{.key = k26 + "x", .to = kWep128, .cleared = true, .keyLimit = 26};
        QTest::newRow("WPA2 20 to NONE: no key, kept")
            << Rule{.from = kWpa2, .key = k20, .to = kNone, .keyEnabled = false};
        QTest::newRow("WPA to WPA-ENTERPRISE: the enterprise fields instead of the key")
            << Rule{.key = k20, .to = kWpaEnterprise, .keyEnabled = false, .enterprise = true};
        QTest::newRow("WPA-ENTERPRISE to WPA2, which takes 63")
            << Rule{.from = kWpaEnterprise, .key = k20, .to = kWpa2};
        QTest::newRow("SSID over its limit, WPA 20 to WEP: reported, the key still cleared")
            << Rule{.key = k20, .to = kWep, .cleared = true, .keyLimit = 10, .ssid = ae(17)};
    }
    void rules() {
        QFETCH(Rule, row);
        Bench b;
        CSetupDlg& d = b.start();
        b.security()->setCurrentIndex(row.from);
        b.edit(D::IDC_KEY)->setText(row.key);
        b.edit(D::IDC_USER)->setText("alice");
        if (!row.ssid.isEmpty())
            b.put(D::IDC_SSID, row.ssid);
        b.security()->setCurrentIndex(row.to);
        QCOMPARE(b.prompts.texts(),
                 row.ssid.isEmpty() ? QStringList() : QStringList{kTooLong.arg(32)});
        QCOMPARE(b.edit(D::IDC_SSID)->text(), row.ssid);
        b.prompts.shown.clear();
        QCOMPARE(b.edit(D::IDC_KEY)->text(), row.cleared ? QString() : row.key);
        QCOMPARE(b.edit(D::IDC_KEY)->isEnabled(), row.keyEnabled);
        for (int id : kEnterpriseControls)
            QCOMPARE(d.control(id)->isEnabled(), row.enterprise);
        QCOMPARE(d.keyTypingLimit(), row.keyLimit);
        // Regression: the key field lost its limit with a language change.
        b.choose(D::IDC_LANGUAGE, kEnglishItem);
        QCOMPARE(d.keyTypingLimit(), row.keyLimit);
        QCOMPARE(b.edit(D::IDC_USER)->text(), QStringLiteral("alice")); // kept while disabled
        QVERIFY(b.prompts.shown.isEmpty());
    }

    // A type set by the program (as Read out sets it) gets its rules once the user chooses it in
    // the list, also when it is already the current type; choosing it again changes nothing.
    void rulesOfAChosenType() {
        Bench b;
        CSetupDlg& d = b.start();
        d.setSecurityIndex(security::kWep);
        QCOMPARE(d.keyTypingLimit(), 63);
        b.security()->ShowTipList(true);
        QTest::keyClick(b.security()->tipList(), Qt::Key_Return);
        QCOMPARE(d.keyTypingLimit(), 10);
        b.put(D::IDC_KEY, k26); // too long for WEP: the rules would empty it
        b.security()->ShowTipList(true);
        QTest::keyClick(b.security()->tipList(), Qt::Key_Return);
        QCOMPARE(b.edit(D::IDC_KEY)->text(), k26);
        // The values shown again (a language change), a type chosen then gets its rules.
        b.choose(D::IDC_LANGUAGE, kEnglishItem);
        b.security()->setCurrentIndex(security::kWpa);
        QCOMPARE(d.keyTypingLimit(), 63);
        // Values shown again select the first type that begins with the stored one.
        d.values().m_strSecurityType = QStringLiteral("WPA2");
        d.UpdateData(false);
        QCOMPARE(d.securityIndex(), security::kWpa2);
    }

    // Limits in UTF-8 bytes: typing stops at one, pasting takes what fits, cut between letters;
    // put in by the program a text stays whole and Quit refuses it. No control characters; the
    // channel takes digits only.
    void fields_data() {
        QTest::addColumn<Typing>("row");
        QTest::newRow("SSID typed") << Typing{.typed = true, .input = ae(20), .after = ae(16)};
        QTest::newRow("channel typed")
            << Typing{.field = D::IDC_CHANNEL, .typed = true, .input = "a-4 b123", .after = "412"};
        // Regression: pasted into a field never typed into, the text was refused whole.
        QTest::newRow("SSID pasted") << Typing{.input = ae(37), .after = ae(16)};
        QTest::newRow("pasted inside")
            << Typing{.before = "11", .cursor = 1, .input = ae(32), .after = '1' + ae(15) + '1'};
        QTest::newRow("SSID too long, typed") << Typing{
            .before = ae(17), .typed = true, .input = "5", .after = ae(17), .refused = 32};
        QTest::newRow("channel of 3 bytes is taken")
            << Typing{.field = D::IDC_CHANNEL, .before = ae(1) + '1', .after = ae(1) + '1'};
        QTest::newRow("channel of 4 bytes is refused")
            << Typing{.field = D::IDC_CHANNEL, .before = ae(2), .after = ae(2), .refused = 3};
        const std::pair<int, const char*> edits[] = {
            {D::IDC_SSID, "SSID"}, {D::IDC_KEY, "key"},       {D::IDC_CHANNEL, "channel"},
            {D::IDC_USER, "user"}, {D::IDC_DOMAIN, "domain"}, {D::IDC_PASSWORD, "password"}};
        for (const auto& [id, field] : edits)
            QTest::addRow("line break pasted into %s", field)
                << Typing{.field = id, .before = "12", .input = "3\r\nAT", .after = "12"};
    }
    void fields() {
        QFETCH(Typing, row);
        Bench b;
        CSetupDlg& d = b.start();
        QApplication::setActiveWindow(&d);
        b.security()->setCurrentIndex(security::kWpa2Enterprise); // enables the enterprise fields
        d.setKeyEnabled(true);
        QLineEdit* e = b.edit(row.field);
        if (!row.before.isEmpty())
            b.put(row.field, row.before);
        e->setCursorPosition(row.cursor < 0 ? int(row.before.size()) : row.cursor);
        if (row.typed)
            for (QChar c : row.input)
                QTest::sendKeyEvent(QTest::Click, e, Qt::Key_unknown, QString(c), Qt::NoModifier);
        else
            e->insert(row.input);
        QCOMPARE(e->text(), row.after);
        QTest::mouseClick(b.button(D::IDOK), Qt::LeftButton);
        const int refused = row.refused;
        QCOMPARE(d.isVisible(), refused != 0);
        QCOMPARE(b.prompts.texts(), refused ? QStringList{kTooLong.arg(refused)} : QStringList());
        QCOMPARE(b.prompts.icons(), refused ? QList{PromptIcon::Warning} : QList<PromptIcon>());
        if (refused) // the whole text marked, to be typed over
            QVERIFY(d.focusWidget() == e && e->selectedText() == e->text());
    }

    // Regression: the stored port was found by substring. A chosen device path is stored.
    void portList_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<int>("search");
        QTest::addColumn<QString>("storedAfterChoice"); // of the last item
        QTest::newRow("automatic, ACM1 with ACM10")
            << QByteArray("/dev/ttyACM1") << "/dev/ttyACM1" << 1 << "/dev/ttyACM10";
        QTest::newRow("manual, not a device path chosen")
            << QByteArray("/dev/ttyACM2") << "/dev/ttyACM2" << 2 << "/dev/ttyACM2";
        QTest::newRow("odd value, part of a name") << QByteArray("ACM1") << "" << 0 << "ACM1";
        QTest::newRow("empty value") << QByteArray() << "" << 2 << "";
    }
    void portList() {
        QFETCH(QByteArray, stored);
        QFETCH(int, search);
        Bench b;
        b.writeIni("search=" + QByteArray::number(search) + "\nport=" + stored);
        b.ports.addPlain("/dev/ttyS0");
        b.ports.addAdapter("/dev/ttyACM10");
        b.ports.addUsb("/dev/ttyUSB0", 0x0403, 0x6001);
        b.ports.addUsb("/dev/ttyACM0", 0x2341, 0x0043);
        b.ports.addAdapter("/dev/ttyACM2");
        b.ports.addAdapter("/dev/ttyACM1");
        b.ports.addPlain("ttyUSB9"); // no device path
        CSetupDlg& d = b.start();
        // At start-up the automatic search fills the list; dropping it down fills it anew.
        QCOMPARE(b.combo(D::IDC_PORT)->count(), 3);
        QTEST(d.selectedPort(), "selected");
        const QStringList manual = {"/dev/ttyACM0", "/dev/ttyACM1", "/dev/ttyACM2", "/dev/ttyACM10",
                                    "/dev/ttyS0",   "/dev/ttyUSB0", "ttyUSB9"};
        b.combo(D::IDC_PORT)->showPopup();
        b.combo(D::IDC_PORT)->hidePopup();
        QStringList items;
        for (int i = 0; i < b.combo(D::IDC_PORT)->count(); ++i)
            items << b.combo(D::IDC_PORT)->itemText(i);
        QCOMPARE(items, search == 1 ? manual.mid(1, 3) : manual);
        QCOMPARE(d.selectedPort(), QString());
        QCOMPARE(b.settings().port(), QString::fromLatin1(stored));
        b.choose(D::IDC_PORT, b.combo(D::IDC_PORT)->count() - 1);
        QTEST(b.settings().port(), "storedAfterChoice");
    }

    // Regression: "Alle Dateien (*.*)" left out a file without a dot.
    void certificateChooserListsAllFiles() {
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath("cacert"), "") && writeFile(dir.filePath("ca.pem"), ""));
        QtFilePicker picker(UiText(515, kGerman));
        QStringList filters;
        QTimer::singleShot(0, [&] {
            auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(chooser);
            const auto close = qScopeGuard([chooser] {
                if (chooser->isVisible())
                    chooser->reject();
            });
            chooser->setDirectory(dir.path());
            auto* types = chooser->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            filters << types->itemText(0) << types->itemText(1);
            chooser->selectNameFilter(chooser->nameFilters().value(1));
            auto* view = chooser->findChild<QListView*>(QStringLiteral("listView"));
            QTRY_COMPARE(view->model()->rowCount(view->rootIndex()), 2); // both files
            chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText("cacert");
            QMetaObject::invokeMethod(chooser, "accept");
        });
        QCOMPARE(picker.pick(), dir.filePath(QStringLiteral("cacert")));
        QCOMPARE(filters, (QStringList{"PEM Zertifikat (*.pem)", "Alle Dateien (*.*)"}));
    }

    // Enter presses Configure, also after the focus was on Quit; F1 opens the help once per press
    // (holding it does not repeat), as the menu does. Sizes and places are dialog units.
    void keysAndLayout() {
        Bench b;
        b.writeIni("language=10000");
        b.launcher.installed << "kchmviewer";
        QVERIFY(writeFile(b.dir.filePath("Velinor.chm"), ""));
        CSetupDlg& d = b.start();
        QApplication::setActiveWindow(&d);
        QVERIFY(QTest::qWaitForWindowActive(&d));
        QSignalSpy configure(b.button(D::IDC_CONFIGURE), &QPushButton::clicked);
        b.button(D::IDOK)->setFocus();
        b.edit(D::IDC_SSID)->setFocus();
        QTest::keyClick(b.edit(D::IDC_SSID), Qt::Key_Return);
        b.combo(D::IDC_PORT)->setFocus();
        QTest::keyClick(b.combo(D::IDC_PORT), Qt::Key_Enter);
        QCOMPARE(configure.size(), 2);
        QVERIFY(d.isVisible());
        QTest::keyClick(b.edit(D::IDC_SSID), Qt::Key_F1);
        QKeyEvent held(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(&d, &held);
        d.menuAction(App::kCmdHelp)->trigger();
        QCOMPARE(b.launcher.starts.size(), 2);
        QVERIFY(b.launcher.starts.first().args.contains("Description.html"));

        const QFontMetrics fm(d.font());
        const QString letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
        const int baseX = (fm.horizontalAdvance(letters) / 26 + 1) / 2;
        const int baseY = fm.height();
        const auto place = [&](int x, int y, int width, int height) {
            return QRect((x * baseX + 2) / 4, (y * baseY + 4) / 8, (width * baseX + 2) / 4,
                         (height * baseY + 4) / 8);
        };
        QCOMPARE(d.control(D::IDC_SSID)->geometry(), place(87, 33, 83, 14));
        QCOMPARE(d.control(D::IDOK)->geometry(), place(158, 172, 50, 14));
        QCOMPARE(d.width(), (258 * baseX + 2) / 4);
        QVERIFY(d.currentMenuBar()->geometry().bottom() <
                d.control(D::IDC_SSID)->parentWidget()->y());
        // The two frames keep their titles in both languages.
        QCOMPARE(b.ctl<QGroupBox>(D::IDC_WLAN_GROUP)->title(), QStringLiteral("WLAN"));
        QCOMPARE(b.ctl<QGroupBox>(D::IDC_ENTERPRISE_GROUP)->title(),
                 QStringLiteral("WPA Enterprise"));
        // Without the form (as while the program ends), the help's language is settings.ini's.
        b.dlg.reset();
        b.app->OnCommand(App::kCmdHelp);
        QVERIFY(b.launcher.starts.size() == 3 &&
                b.launcher.starts.last().args.contains("Description.html"));
    }
};

QTEST_MAIN(TestMainForm)
#include "test_main_form.moc"
