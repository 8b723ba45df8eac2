// The main form: start-up, menu, languages, closing, field rules and limits, ports, keys, help.
#include "base/settings.h"
#include "base/ui_text.h"
#include "form_bench.h"
#include "ui/qt_services.h"
#include "ui/qt_translations.h"
#include "ui/tip_combo_box.h"

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
enum class Close { Escape, CloseBox, Quit, QuitKeyTooLong };
constexpr int kNoChoice = -1; // no language chosen, no menu command
constexpr int kGermanItem = 0, kEnglishItem = 1;
constexpr int kEnterpriseControls[] = {D::IDC_USER, D::IDC_DOMAIN, D::IDC_PASSWORD,
                                       D::IDC_CERT_SELECT};

const QString kTooLong =
    QString::fromUtf8("Bitte geben Sie nicht mehr als %1 Bytes ein (UTF-8; ä belegt zwei).");
const QString k26 = QStringLiteral("0123456789abcdef0123456789");
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

} // namespace

Q_DECLARE_METATYPE(Close)

class TestMainForm : public QObject {
    Q_OBJECT
private slots:
    // Start-up from settings.ini, then a language or a menu command: the title, the menu with its
    // check marks and settings.ini follow, and typed text survives. "language" is written before
    // the texts change, and Qt's own dialogs follow it.
    void startAndMenu_data() {
        QTest::addColumn<QString>("ini");      // section [settings]; null: no settings.ini
        QTest::addColumn<int>("languageItem"); // chosen after the start
        QTest::addColumn<int>("command");      // a menu command after the start
        QTest::addColumn<bool>("english");
        QTest::addColumn<bool>("log");
        QTest::addColumn<int>("search"); // port search: 1 automatic, 2 manual
        const bool de = false, en = true, on = true, off = false;
        QTest::newRow("no settings.ini") << QString() << kNoChoice << kNoChoice << de << off << 1;
        QTest::newRow("log 10") << "log=10" << kNoChoice << kNoChoice << de << on << 1;
        QTest::newRow("log 2") << "log=2" << kNoChoice << kNoChoice << de << off << 1;
        QTest::newRow("English, manual search")
            << "log=1\nlanguage=10000\nsearch=2" << kNoChoice << kNoChoice << en << on << 2;
        QTest::newRow("odd values")
            << "search=5\nlanguage=3" << kNoChoice << kNoChoice << de << off << 5;
        // Regression: switching logging threw typed text away.
        QTest::newRow("log on") << "log=0" << kNoChoice << int(App::kCmdLogOn) << de << on << 1;
        QTest::newRow("log off, English")
            << "log=1\nlanguage=10000" << kNoChoice << int(App::kCmdLogOff) << en << off << 1;
        // Regression: an odd port-search value left the menu in the old language.
        QTest::newRow("odd search value, to English")
            << "search=5\nlog=1" << kEnglishItem << kNoChoice << en << on << 5;
        QTest::newRow("to German")
            << "log=1\nlanguage=10000" << kGermanItem << kNoChoice << de << on << 1;
        QTest::newRow("manual") << "search=5" << kNoChoice << int(App::kCmdPortSearchManual) << de
                                << off << 2;
        // The menu bar is kept and its marks set again: a checked entry stays checked.
        QTest::newRow("log on, again")
            << "log=1" << kNoChoice << int(App::kCmdLogOn) << de << on << 1;
        QTest::newRow("manual, again, English") << "search=2\nlanguage=10000" << kNoChoice
                                                << int(App::kCmdPortSearchManual) << en << off << 2;
        QTest::newRow("automatic") << "search=2\nlanguage=10000" << kNoChoice
                                   << int(App::kCmdPortSearchAuto) << en << off << 1;
    }
    void startAndMenu() {
        QFETCH(QString, ini);
        QFETCH(int, languageItem);
        QFETCH(int, command);
        QFETCH(bool, english);
        QFETCH(bool, log);
        QFETCH(int, search);
        Bench b;
        b.ports.addAdapter("/dev/ttyACM0");
        if (!ini.isNull())
            b.writeIni(ini.toUtf8());
        CSetupDlg& d = b.start();
        if (ini.isNull()) // the first start writes the logging switch
            QCOMPARE(b.ini(), QByteArray("[settings]\nlog=0\n"));
        QVERIFY(!d.windowIcon().isNull());
        QCOMPARE(b.ports.calls, 1); // the port search ran once
        QCOMPARE(d.securityIndex(), -1);
        QCOMPARE(b.edit(D::IDC_KEY)->echoMode(), QLineEdit::Password);
        QCOMPARE(b.edit(D::IDC_PASSWORD)->echoMode(), QLineEdit::Password);
        for (int id : kEnterpriseControls)
            QVERIFY(!d.control(id)->isEnabled());
        QVERIFY(b.ctl<QLabel>(D::IDC_DAMPING_LABEL)->isHidden());
        QSet<QString> tips; // each control has its own
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
        if (languageItem != kNoChoice)
            b.choose(D::IDC_LANGUAGE, languageItem);
        if (command != kNoChoice)
            d.menuAction(command)->trigger();
        QStringList menus; // "*" after a checked entry
        for (QAction* top : d.currentMenuBar()->actions()) {
            QStringList entries;
            for (QAction* a : top->menu()->actions())
                entries << a->text() + (a->isChecked() ? "*" : "");
            menus << top->text() + ':' + entries.join(',');
        }
        QCOMPARE(d.windowTitle() + '|' + menus.join('|'), shows(english, log, search));
        QCOMPARE(b.settings().logText(), log ? "1" : "0");
        QCOMPARE(b.settings().search(), search);
        QCOMPARE(b.edit(D::IDC_SSID)->text(), QStringLiteral("Office"));
        QCOMPARE(b.edit(D::IDC_USER)->text(), QStringLiteral("alice"));
        QCOMPARE(d.securityIndex(), security::kWpaEnterprise);
        QVERIFY(b.prompts.shown.isEmpty());
        if (languageItem == kNoChoice)
            return;
        QCOMPARE(written.value(0, -1), english ? kEnglish : kGerman);
        QCOMPARE(b.security()->GetItemTip(security::kWpa),
                 english ? QStringLiteral("WPA encryption with TKIP is used")
                         : QString::fromUtf8("Es wird WPA Verschlüsselung mit TKIP verwendet"));
        // Without Qt's German translations (qt6-translations-l10n) they stay English.
        if (english || QFile::exists(QtTranslations::defaultDirectory() + "/qtbase_de.qm"))
            QCOMPARE(qtOpenText(), english ? QStringLiteral("&Open") : QStringLiteral("&Öffnen"));
    }

    // Escape and the close box drop typed values, Quit takes them; nothing is written. During an
    // exchange a close request waits for its end; other input, even Escape, is dropped.
    void closing_data() {
        QTest::addColumn<Close>("how");
        QTest::addColumn<bool>("duringReadOut");
        QTest::addColumn<bool>("open");
        QTest::newRow("Escape") << Close::Escape << false << false;
        QTest::newRow("close box") << Close::CloseBox << false << false;
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
        } else if (how == Close::CloseBox) {
            d.values().m_strKey = QString(70, u'k'); // over its limit: no check runs
            d.UpdateData(false);
            QVERIFY(d.close());
        } else {
            if (how == Close::QuitKeyTooLong)
                b.put(D::IDC_KEY, QString(32, QChar(0xe4))); // 64 bytes
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
        QTest::addColumn<int>("from");
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("to");
        QTest::addColumn<bool>("cleared");
        QTest::addColumn<bool>("keyEnabled");
        QTest::addColumn<bool>("enterpriseEnabled");
        QTest::addColumn<int>("keyLimit");
        using namespace security;
        const QString k20 = QStringLiteral("abcdefghij0123456789");
        QTest::newRow("WPA 12 bytes to WEP: cleared, WEP takes 10")
            << kWpa << QString(6, QChar(0xe4)) << kWep << true << true << false << 10;
        QTest::newRow("WEP 10 to WEP128, which takes 26")
            << kWep << "0123456789" << kWep128 << false << true << false << 26;
        QTest::newRow("WPA 26 to WEP128") << kWpa << k26 << kWep128 << false << true << false << 26;
        QTest::newRow("WPA 27 to WEP128: cleared")
            << kWpa << (k26 + "x") << kWep128 << true << true << false << 26;
        QTest::newRow("WPA2 20 to NONE: no key, kept")
            << kWpa2 << k20 << security::kNone << false << false << false << 63;
        QTest::newRow("WPA to WPA-ENTERPRISE: the enterprise fields instead of the key")
            << kWpa << k20 << kWpaEnterprise << false << false << true << 63;
        QTest::newRow("WPA-ENTERPRISE to WPA2, which takes 63")
            << kWpaEnterprise << k20 << kWpa2 << false << true << false << 63;
    }
    void rules() {
        QFETCH(int, from);
        QFETCH(QString, key);
        QFETCH(int, to);
        QFETCH(bool, cleared);
        QFETCH(bool, keyEnabled);
        QFETCH(bool, enterpriseEnabled);
        QFETCH(int, keyLimit);
        Bench b;
        CSetupDlg& d = b.start();
        b.security()->setCurrentIndex(from);
        b.edit(D::IDC_KEY)->setText(key);
        b.edit(D::IDC_USER)->setText("alice");
        b.security()->setCurrentIndex(to);
        QCOMPARE(b.edit(D::IDC_KEY)->text(), cleared ? QString() : key);
        QCOMPARE(b.edit(D::IDC_KEY)->isEnabled(), keyEnabled);
        for (int id : kEnterpriseControls)
            QCOMPARE(d.control(id)->isEnabled(), enterpriseEnabled);
        QCOMPARE(d.keyTypingLimit(), keyLimit);
        // Regression: the key field lost its limit with a language change.
        b.choose(D::IDC_LANGUAGE, kEnglishItem);
        QCOMPARE(d.keyTypingLimit(), keyLimit);
        QCOMPARE(b.edit(D::IDC_USER)->text(), QStringLiteral("alice")); // kept while disabled
        QVERIFY(b.prompts.shown.isEmpty());
    }

    // Limits in UTF-8 bytes: typing stops at one, pasting takes what fits, cut between letters;
    // put in by the program a text stays whole and Quit refuses it. No control characters; the
    // channel takes digits only.
    void fields_data() {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("before"); // put in by the program; the cursor at '|' or the end
        QTest::addColumn<bool>("typed");     // else pasted
        QTest::addColumn<QString>("input");
        QTest::addColumn<int>("refused"); // the limit that Quit names; 0: Quit takes the values
        QTest::addColumn<QString>("after");
        const auto ae = [](int n) { return QString(n, QChar(0xe4)); };
        QTest::newRow("SSID typed") << int(D::IDC_SSID) << "" << true << ae(20) << 0 << ae(16);
        QTest::newRow("channel typed")
            << int(D::IDC_CHANNEL) << "" << true << "a-4 b123" << 0 << "412";
        // Regression: pasted into a field never typed into, the text was refused whole.
        QTest::newRow("SSID pasted") << int(D::IDC_SSID) << "" << false << ae(37) << 0 << ae(16);
        QTest::newRow("pasted inside")
            << int(D::IDC_SSID) << "1|1" << false << ae(32) << 0 << '1' + ae(15) + '1';
        QTest::newRow("SSID too long, typed")
            << int(D::IDC_SSID) << ae(17) << true << "5" << 32 << ae(17);
        QTest::newRow("channel, 3 bytes")
            << int(D::IDC_CHANNEL) << ae(1) + '1' << true << "" << 0 << ae(1) + '1';
        QTest::newRow("channel, 4 bytes")
            << int(D::IDC_CHANNEL) << ae(2) << true << "" << 3 << ae(2);
        const std::pair<int, const char*> edits[] = {
            {D::IDC_SSID, "SSID"}, {D::IDC_KEY, "key"},       {D::IDC_CHANNEL, "channel"},
            {D::IDC_USER, "user"}, {D::IDC_DOMAIN, "domain"}, {D::IDC_PASSWORD, "password"}};
        for (const auto& [id, field] : edits)
            QTest::addRow("line break pasted into %s", field)
                << id << "12" << false << "3\r\nAT" << 0 << "12";
        QTest::newRow("tab pasted") << int(D::IDC_USER) << "12" << false << "4\t" << 0 << "12";
        QTest::newRow("escape pasted")
            << int(D::IDC_PASSWORD) << "12" << false << "\x1b" << 0 << "12";
    }
    void fields() {
        QFETCH(int, field);
        QFETCH(QString, before);
        QFETCH(bool, typed);
        QFETCH(QString, input);
        QFETCH(int, refused);
        Bench b;
        CSetupDlg& d = b.start();
        QApplication::setActiveWindow(&d);
        b.security()->setCurrentIndex(security::kWpa2Enterprise); // enables the enterprise fields
        d.setKeyEnabled(true);
        QLineEdit* e = b.edit(field);
        const qsizetype cursor = before.contains('|') ? before.indexOf('|') : before.size();
        if (!before.remove('|').isEmpty())
            b.put(field, before);
        e->setCursorPosition(int(cursor));
        if (typed)
            for (QChar c : input)
                QTest::sendKeyEvent(QTest::Click, e, Qt::Key_unknown, QString(c), Qt::NoModifier);
        else
            e->insert(input);
        QTEST(e->text(), "after");
        QTest::mouseClick(b.button(D::IDOK), Qt::LeftButton);
        QCOMPARE(d.isVisible(), refused != 0);
        QCOMPARE(b.prompts.texts(), refused ? QStringList{kTooLong.arg(refused)} : QStringList());
        QCOMPARE(b.prompts.icons(), refused ? QStringLiteral("w") : QString());
        if (refused)
            QCOMPARE(d.focusWidget(), d.control(field));
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
        b.ports.addPlain("COM3");
        CSetupDlg& d = b.start();
        // At start-up the automatic search fills the list; dropping it down fills it anew.
        QCOMPARE(b.combo(D::IDC_PORT)->count(), 3);
        QTEST(d.selectedPort(), "selected");
        const QStringList manual = {"/dev/ttyACM0", "/dev/ttyACM1", "/dev/ttyACM2", "/dev/ttyACM10",
                                    "/dev/ttyS0",   "/dev/ttyUSB0", "COM3"};
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
        const QString letters =
            QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
        const int baseX = (fm.horizontalAdvance(letters) / 26 + 1) / 2;
        const int baseY = fm.height();
        struct Place {
            int control, x, y, width, height;
        };
        for (const Place& p :
             {Place{D::IDC_SSID, 87, 33, 83, 14}, Place{D::IDC_ENTERPRISE_GROUP, 6, 95, 245, 72},
              Place{D::IDOK, 158, 172, 50, 14}})
            QCOMPARE(d.control(p.control)->geometry(),
                     QRect((p.x * baseX + 2) / 4, (p.y * baseY + 4) / 8, (p.width * baseX + 2) / 4,
                           (p.height * baseY + 4) / 8));
        QCOMPARE(d.width(), (258 * baseX + 2) / 4);
        // The two frames keep their titles in both languages.
        QCOMPARE(b.ctl<QGroupBox>(D::IDC_WLAN_GROUP)->title(), QStringLiteral("WLAN"));
        QCOMPARE(b.ctl<QGroupBox>(D::IDC_ENTERPRISE_GROUP)->title(),
                 QStringLiteral("WPA Enterprise"));
    }
};

QTEST_MAIN(TestMainForm)
#include "test_main_form.moc"
