// The main form: start-up, menu, languages, closing, field rules and limits, ports, keys, help.
#include "base/field_rules.h"
#include "base/settings.h"
#include "base/ui_text.h"
#include "form_bench.h"
#include "ui/qt_services.h"
#include "ui/qt_translations.h"
#include "ui/tip_combo_box.h"

#include <QDialogButtonBox>
#include <QFileDialog>
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

class TestMainForm : public QObject {
    Q_OBJECT
private slots:
    // Start-up from settings.ini, then a language or a menu command; settings.ini holds what the
    // form shows, and typed text survives. "language" is written before the texts change, and
    // Qt's own dialogs follow it.
    void startAndMenu_data() {
        QTest::addColumn<QString>("ini");   // section [settings]; null: no settings.ini
        QTest::addColumn<int>("language");  // the item chosen then; -1: none
        QTest::addColumn<int>("command");   // 0: none
        QTest::addColumn<QString>("shows"); // title and menu
        const bool de = false, en = true;
        QTest::newRow("no settings.ini") << QString() << -1 << 0 << shows(de, 0, 1);
        QTest::newRow("log 10") << "log=10" << -1 << 0 << shows(de, 1, 1);
        QTest::newRow("log 2") << "log=2" << -1 << 0 << shows(de, 0, 1);
        QTest::newRow("English, manual search")
            << "log=1\nlanguage=10000\nsearch=2" << -1 << 0 << shows(en, 1, 2);
        QTest::newRow("odd values") << "search=5\nlanguage=3" << -1 << 0 << shows(de, 0, 5);
        // Regression: switching logging threw typed text away.
        QTest::newRow("log on") << "log=0" << -1 << 40004 << shows(de, 1, 1);
        QTest::newRow("log off, English")
            << "log=1\nlanguage=10000" << -1 << 40005 << shows(en, 0, 1);
        // Regression: an odd port-search value left the menu in the old language.
        QTest::newRow("odd search value, to English")
            << "search=5\nlog=1" << 1 << 0 << shows(en, 1, 5);
        QTest::newRow("to German") << "log=1\nlanguage=10000" << 0 << 0 << shows(de, 1, 1);
        QTest::newRow("manual") << "search=5" << -1 << 40009 << shows(de, 0, 2);
        // The menu bar is kept and its marks set again: a checked entry stays checked.
        QTest::newRow("log on, again") << "log=1" << -1 << 40004 << shows(de, 1, 1);
        QTest::newRow("manual, again, English")
            << "search=2\nlanguage=10000" << -1 << 40009 << shows(en, 0, 2);
        QTest::newRow("automatic") << "search=2\nlanguage=10000" << -1 << 40008 << shows(en, 0, 1);
    }
    void startAndMenu() {
        QFETCH(QString, ini);
        QFETCH(int, language);
        QFETCH(int, command);
        Bench b;
        b.ports.addAdapter("/dev/ttyACM0");
        if (!ini.isNull())
            b.writeIni(ini.toUtf8());
        CSetupDlg& d = b.start();
        QVERIFY(!d.windowIcon().isNull());
        QCOMPARE(b.ports.calls, 1); // the port search ran once
        QCOMPARE(d.securityIndex(), -1);
        QCOMPARE(b.edit(1009)->echoMode(), QLineEdit::Password);
        QCOMPARE(b.edit(1033)->echoMode(), QLineEdit::Password);
        for (int id : {1031, 1032, 1033, 1035})
            QVERIFY(!d.control(id)->isEnabled());
        QVERIFY(b.ctl<QLabel>(1025)->isHidden());
        QSet<QString> tips; // each control has its own
        for (int id : {1000, 1021, 1010, 1019, 1007, 1003, 1004, 1009, 1018, 1006, 1022})
            tips << d.control(id)->toolTip();
        QCOMPARE(tips.size(), 11);

        b.security()->setCurrentIndex(5); // WPA-ENTERPRISE
        QTest::keyClicks(b.edit(1006), "Office");
        QTest::keyClicks(b.edit(1031), "alice");
        QList<int> written; // "language" in settings.ini when the title changes
        connect(&d, &QWidget::windowTitleChanged, &d, [&] { written << b.settings().language(); });
        if (language >= 0)
            b.choose(1019, language);
        if (command)
            d.menuAction(command)->trigger();
        QStringList menus; // "*" after a checked entry
        for (QAction* top : d.currentMenuBar()->actions()) {
            QStringList entries;
            for (QAction* a : top->menu()->actions())
                entries << a->text() + (a->isChecked() ? "*" : "");
            menus << top->text() + ':' + entries.join(',');
        }
        QTEST(d.windowTitle() + '|' + menus.join('|'), "shows");
        QCOMPARE(b.settings().logText(), b.app->IsLogActive() ? "1" : "0");
        QCOMPARE(b.settings().search(), b.app->GetPortSearch());
        QCOMPARE(b.edit(1006)->text(), QStringLiteral("Office"));
        QCOMPARE(b.edit(1031)->text(), QStringLiteral("alice"));
        QCOMPARE(d.securityIndex(), 5);
        QVERIFY(b.prompts.shown.isEmpty());
        if (language < 0)
            return;
        const int offset = language ? kEnglish : kGerman;
        QCOMPARE(written.value(0, -1), offset);
        QCOMPARE(b.button(1021)->text(), UiText(508, offset));
        QCOMPARE(b.ctl<QLabel>(1016)->text(), UiText(500, offset));
        QCOMPARE(b.ctl<QLabel>(1025)->text(), UiText(509, offset));
        QCOMPARE(b.security()->GetItemTip(3), UiText(614, offset));
        // Without Qt's German translations (qt6-translations-l10n) they stay English.
        if (language || QFile::exists(QtTranslations::defaultDirectory() + "/qtbase_de.qm"))
            QCOMPARE(qtOpenText(), language ? QStringLiteral("&Open") : QStringLiteral("&Öffnen"));
    }

    // Escape and the close box drop typed values, Quit takes them; nothing is written. During an
    // exchange a close request waits for its end; other input, even Escape, is dropped.
    void closing_data() {
        QTest::addColumn<int>("how"); // Escape, close box, Quit, Quit with a key of 64 bytes
        QTest::addColumn<bool>("duringReadOut");
        QTest::addColumn<bool>("open");
        QTest::newRow("Escape") << 0 << false << false;
        QTest::newRow("close box") << 1 << false << false;
        QTest::newRow("Quit") << 2 << false << false;
        QTest::newRow("Quit refused: the rest is not taken") << 3 << false << true;
        QTest::newRow("Escape during Read out") << 0 << true << true;
        QTest::newRow("close box during Read out") << 1 << true << false;
    }
    void closing() {
        QFETCH(int, how);
        QFETCH(bool, duringReadOut);
        Bench b;
        b.writeIni("log=0\nsearch=2\nport=/dev/ttyACM0");
        CSetupDlg& d = b.start();
        const QByteArray before = b.ini();
        QTest::keyClicks(b.edit(1006), "Net");
        if (duringReadOut) {
            QCoreApplication::postEvent(&d,
                                        how ? static_cast<QEvent*>(new QCloseEvent)
                                            : new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, {}));
            d.OnReadOut();
            QCOMPARE(b.prompts.shown.size(), 1);
            QVERIFY(d.isVisible());
            QCoreApplication::processEvents();
        } else if (how == 0) {
            QTest::keyClick(&d, Qt::Key_Escape);
        } else if (how == 1) {
            d.values().m_strKey = QString(70, u'k'); // over its limit: no check runs
            d.UpdateData(false);
            QVERIFY(d.close());
        } else {
            if (how == 3)
                b.put(1009, QString(32, QChar(0xe4)));
            QTest::mouseClick(b.button(1), Qt::LeftButton);
            QCOMPARE(b.prompts.texts(), how == 3 ? QStringList{kTooLong.arg(63)} : QStringList());
        }
        QFETCH(bool, open);
        QCOMPARE(d.isVisible(), open);
        QCOMPARE(d.result(), open ? 0 : how == 2 ? QDialog::Accepted : QDialog::Rejected);
        QCOMPARE(d.values().m_strSsid, how == 2 ? QStringLiteral("Net") : QString());
        b.dlg.reset();
        QCOMPARE(b.ini(), before);
    }

    // The security type's rules on the form: a key too long is cleared, fields enabled, the limit.
    void rules_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("to");
        QTest::addColumn<bool>("cleared");
        QTest::newRow("WPA 12 bytes to WEP") << 3 << QString(6, QChar(0xe4)) << 1 << true;
        QTest::newRow("WEP 10 to WEP128") << 1 << "0123456789" << 2 << false;
        QTest::newRow("WPA 26 to WEP128") << 3 << k26 << 2 << false;
        QTest::newRow("WPA 27 to WEP128") << 3 << (k26 + "x") << 2 << true;
        QTest::newRow("WPA2 20 to NONE") << 4 << "abcdefghij0123456789" << 0 << false;
        QTest::newRow("WPA to WPA-ENTERPRISE") << 3 << "abcdefghij0123456789" << 5 << false;
        QTest::newRow("WPA-ENTERPRISE to WPA2") << 5 << "abcdefghij0123456789" << 4 << false;
    }
    void rules() {
        QFETCH(int, from);
        QFETCH(QString, key);
        QFETCH(int, to);
        QFETCH(bool, cleared);
        Bench b;
        CSetupDlg& d = b.start();
        b.security()->setCurrentIndex(from);
        b.edit(1009)->setText(key);
        b.edit(1031)->setText("alice");
        b.security()->setCurrentIndex(to);
        const FieldRule rule = SecurityFieldRule(to);
        QCOMPARE(b.edit(1009)->text(), cleared ? QString() : key);
        QCOMPARE(b.edit(1009)->isEnabled(), rule.keyEnabled);
        for (int id : {1031, 1032, 1033, 1035})
            QCOMPARE(d.control(id)->isEnabled(), rule.enterpriseEnabled);
        QCOMPARE(d.keyTypingLimit(), rule.keyLimit);
        // Regression: the key field lost its limit with a language change.
        b.choose(1019, 1);
        QCOMPARE(d.keyTypingLimit(), rule.keyLimit);
        QCOMPARE(b.edit(1031)->text(), QStringLiteral("alice")); // kept while disabled
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
        QTest::newRow("SSID typed") << 1006 << "" << true << ae(20) << 0 << ae(16);
        QTest::newRow("channel typed") << 1018 << "" << true << "a-4 b123" << 0 << "412";
        // Regression: pasted into a field never typed into, the text was refused whole.
        QTest::newRow("SSID pasted") << 1006 << "" << false << ae(37) << 0 << ae(16);
        QTest::newRow("pasted inside")
            << 1006 << "1|1" << false << ae(32) << 0 << '1' + ae(15) + '1';
        QTest::newRow("SSID too long, typed") << 1006 << ae(17) << true << "5" << 32 << ae(17);
        QTest::newRow("channel, 3 bytes") << 1018 << ae(1) + '1' << true << "" << 0 << ae(1) + '1';
        QTest::newRow("channel, 4 bytes") << 1018 << ae(2) << true << "" << 3 << ae(2);
        for (int id : {1006, 1009, 1018, 1031, 1032, 1033})
            QTest::addRow("%d, line break", id) << id << "12" << false << "3\r\nAT" << 0 << "12";
        QTest::newRow("tab pasted") << 1031 << "12" << false << "4\t" << 0 << "12";
        QTest::newRow("escape pasted") << 1033 << "12" << false << "\x1b" << 0 << "12";
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
        b.security()->setCurrentIndex(6); // enables the enterprise fields
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
        QTest::mouseClick(b.button(1), Qt::LeftButton);
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
        QCOMPARE(b.combo(1022)->count(), 3);
        QTEST(d.selectedPort(), "selected");
        const QStringList manual = {"/dev/ttyACM0", "/dev/ttyACM1", "/dev/ttyACM2", "/dev/ttyACM10",
                                    "/dev/ttyS0",   "/dev/ttyUSB0", "COM3"};
        b.combo(1022)->showPopup();
        b.combo(1022)->hidePopup();
        QStringList items;
        for (int i = 0; i < b.combo(1022)->count(); ++i)
            items << b.combo(1022)->itemText(i);
        QCOMPARE(items, search == 1 ? manual.mid(1, 3) : manual);
        QCOMPARE(d.selectedPort(), QString());
        QCOMPARE(b.settings().port(), QString::fromLatin1(stored));
        b.choose(1022, b.combo(1022)->count() - 1);
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
        QSignalSpy configure(b.button(1000), &QPushButton::clicked);
        b.button(1)->setFocus();
        b.edit(1006)->setFocus();
        QTest::keyClick(b.edit(1006), Qt::Key_Return);
        b.combo(1022)->setFocus();
        QTest::keyClick(b.combo(1022), Qt::Key_Enter);
        QCOMPARE(configure.size(), 2);
        QVERIFY(d.isVisible());
        QTest::keyClick(b.edit(1006), Qt::Key_F1);
        QKeyEvent held(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(&d, &held);
        d.menuAction(40002)->trigger();
        QCOMPARE(b.launcher.starts.size(), 2);
        QVERIFY(b.launcher.starts.first().args.contains("Description.html"));

        const QFontMetrics fm(d.font());
        const QString letters =
            QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
        const int baseX = (fm.horizontalAdvance(letters) / 26 + 1) / 2;
        const int baseY = fm.height();
        const int rows[][5] = {
            {1006, 87, 33, 83, 14}, {1030, 6, 95, 245, 72}, {1, 158, 172, 50, 14}};
        for (const auto& r : rows)
            QCOMPARE(d.control(r[0])->geometry(),
                     QRect((r[1] * baseX + 2) / 4, (r[2] * baseY + 4) / 8, (r[3] * baseX + 2) / 4,
                           (r[4] * baseY + 4) / 8));
        QCOMPARE(d.width(), (258 * baseX + 2) / 4);
    }
};

QTEST_MAIN(TestMainForm)
#include "test_main_form.moc"
