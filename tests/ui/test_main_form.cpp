// The main form: start-up from settings.ini, menu commands, languages, closing, the
// field rules and limits, the port list, the security type's list, help and the
// certificate chooser.
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
    // The menu bar, "*" after a checked entry.
    QString menu() const {
        QStringList menus;
        for (QAction* top : dlg->currentMenuBar()->actions()) {
            QStringList entries;
            for (QAction* a : top->menu()->actions())
                entries << a->text() + (a->isChecked() ? "*" : "");
            menus << top->text() + ':' + entries.join(',');
        }
        return menus.join('|');
    }
    // Every text of the form that follows the language.
    QStringList texts() const {
        QStringList texts{dlg->windowTitle(), menu()};
        for (QWidget* w : dlg->findChildren<QWidget*>(QRegularExpression("^ctl")))
            texts << w->objectName() + '=' + w->toolTip() + '|' + w->property("text").toString() +
                         w->property("title").toString();
        for (int i = 0; i < 7; ++i)
            texts << security()->GetItemTip(i);
        return texts;
    }
};

const QString kTooLong =
    QString::fromUtf8("Bitte geben Sie nicht mehr als %1 Bytes ein (UTF-8; ä belegt zwei).");
const QString k20 = QStringLiteral("abcdefghij0123456789");
const QString k10 = QStringLiteral("0123456789");
const QString k26 = QStringLiteral("0123456789abcdef0123456789");
const QString kMenuDe = QStringLiteral(
    "Log:aktiviert%1,deaktiviert%2|Schnittstellen-Suche:automatisch%3,manuell%4|?:Hilfe,Über");
const QString kMenuEn =
    QStringLiteral("Log:activated%1,deactivated%2|Port-Search:automatic%3,manual%4|?:Help,About");
// The menu with check marks: logging on or off, port search 1, 2 or another value.
QString menu(const QString& texts, int log, int search) {
    const auto mark = [](bool on) { return on ? QStringLiteral("*") : QString(); };
    return texts.arg(mark(log), mark(!log), mark(search == 1), mark(search == 2));
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
    // Start-up from settings.ini, then a language or a menu command; settings.ini
    // holds what the form shows, and typed text survives.
    void startAndMenu_data() {
        QTest::addColumn<QByteArray>("ini"); // section [settings]; null: no settings.ini
        QTest::addColumn<int>("language");   // the item chosen then; -1: none
        QTest::addColumn<int>("command");    // 0: none
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("menu");
        const QString on = QStringLiteral("Velinor (log aktiv)"), off = QStringLiteral("Velinor");
        QTest::newRow("no settings.ini") << QByteArray() << -1 << 0 << off << menu(kMenuDe, 0, 1);
        QTest::newRow("log 1") << QByteArray("log=1") << -1 << 0 << on << menu(kMenuDe, 1, 1);
        QTest::newRow("log 10") << QByteArray("log=10") << -1 << 0 << on << menu(kMenuDe, 1, 1);
        QTest::newRow("log 2") << QByteArray("log=2") << -1 << 0 << off << menu(kMenuDe, 0, 1);
        QTest::newRow("English, manual search")
            << QByteArray("log=1\nlanguage=10000\nsearch=2") << -1 << 0 << "Velinor (log active)"
            << menu(kMenuEn, 1, 2);
        QTest::newRow("odd values")
            << QByteArray("search=5\nlanguage=3") << -1 << 0 << off << menu(kMenuDe, 0, 5);
        // Regression: switching logging threw typed text away.
        QTest::newRow("log on") << QByteArray("log=0") << -1 << 40004 << on << menu(kMenuDe, 1, 1);
        QTest::newRow("log off, English")
            << QByteArray("log=1\nlanguage=10000") << -1 << 40005 << off << menu(kMenuEn, 0, 1);
        // Regression: an odd port-search value left the menu in the old language.
        QTest::newRow("odd search value, to English")
            << QByteArray("search=5") << 1 << 0 << off << menu(kMenuEn, 0, 5);
        QTest::newRow("manual") << QByteArray("search=5") << -1 << 40009 << off
                                << menu(kMenuDe, 0, 2);
        QTest::newRow("automatic")
            << QByteArray("search=2\nlanguage=10000") << -1 << 40008 << off << menu(kMenuEn, 0, 1);
    }
    void startAndMenu() {
        QFETCH(QByteArray, ini);
        QFETCH(int, language);
        QFETCH(int, command);
        Bench b;
        b.ports.addAdapter("/dev/ttyACM0");
        if (!ini.isNull())
            b.writeIni(ini);
        CSetupDlg& d = b.start();
        if (ini.isNull())
            QCOMPARE(b.ini().replace("\r\n", "\n"), QByteArray("[settings]\nlog=0\n"));
        QVERIFY(!d.windowIcon().isNull());
        // The adapter's port is listed, none is selected; the port search ran once.
        QCOMPARE(b.ports.calls, 1);
        QCOMPARE(b.combo(1022)->count(), 1);
        QCOMPARE(d.selectedPort(), QString());
        QCOMPARE(d.securityIndex(), -1);
        QVERIFY(!d.isAccessPoint() && !d.isAdHoc());
        QVERIFY(b.edit(1009)->isEnabled());
        QCOMPARE(b.edit(1009)->echoMode(), QLineEdit::Password);
        QCOMPARE(b.edit(1033)->echoMode(), QLineEdit::Password);
        for (int id : {1031, 1032, 1033, 1035})
            QVERIFY(!d.control(id)->isEnabled());
        QVERIFY(b.label(1025)->isHidden());
        // Each control has its own tooltip.
        QSet<QString> tips;
        for (int id : {1000, 1021, 1010, 1019, 1007, 1003, 1004, 1009, 1018, 1006, 1022})
            tips << d.control(id)->toolTip();
        QCOMPARE(tips.size(), 11);

        b.security()->setCurrentIndex(5); // WPA-ENTERPRISE
        QTest::keyClicks(b.edit(1006), "Office");
        QTest::keyClicks(b.edit(1031), "alice");
        if (language >= 0)
            b.choose(1019, language);
        if (command)
            d.menuAction(command)->trigger();
        QTEST(d.windowTitle(), "title");
        QTEST(b.menu(), "menu");
        QCOMPARE(b.settings().logText(), b.app->IsLogActive() ? "1" : "0");
        QCOMPARE(b.settings().search(), b.app->GetPortSearch());
        QCOMPARE(b.edit(1006)->text(), QStringLiteral("Office"));
        QCOMPARE(b.edit(1031)->text(), QStringLiteral("alice"));
        QCOMPARE(d.securityIndex(), 5);
        QVERIFY(b.prompts.shown.isEmpty());
    }

    // Escape and the close box throw typed values away, Quit takes them; nothing is
    // written. During an exchange a close request is carried out once the exchange
    // and its message have ended; other input, even Escape, is thrown away.
    void closing_data() {
        QTest::addColumn<int>("how"); // Escape, close box, Quit
        QTest::addColumn<bool>("duringReadOut");
        QTest::addColumn<bool>("open");
        QTest::newRow("Escape") << 0 << false << false;
        QTest::newRow("close box") << 1 << false << false;
        QTest::newRow("Quit") << 2 << false << false;
        QTest::newRow("Escape during Read out") << 0 << true << true;
        QTest::newRow("close box during Read out") << 1 << true << false;
    }
    void closing() {
        QFETCH(int, how);
        QFETCH(bool, duringReadOut);
        Bench b;
        b.writeIni("log=0\nsearch=2\nlanguage=10000\nport=/dev/ttyACM0");
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
            QTest::mouseClick(b.button(1), Qt::LeftButton);
            QVERIFY(b.prompts.shown.isEmpty());
        }
        QFETCH(bool, open);
        QCOMPARE(d.isVisible(), open);
        QCOMPARE(d.result(), open ? 0 : how == 2 ? QDialog::Accepted : QDialog::Rejected);
        QCOMPARE(d.values().m_strSsid, how == 2 ? QStringLiteral("Net") : QString());
        b.dlg.reset();
        QCOMPARE(b.ini(), before);
    }

    // "language" is written before the texts change; typed text survives the
    // switch; Qt's own dialogs follow it.
    void languageSwitch() {
        Bench b;
        b.writeIni("log=1");
        CSetupDlg& d = b.start();
        QTest::keyClicks(b.edit(1006), "HomeNet");
        QTest::keyClicks(b.edit(1009), "secret12");
        const QStringList german = b.texts();
        QList<QPair<QString, int>> seen;
        auto watch = connect(&d, &QWidget::windowTitleChanged, this, [&](const QString& title) {
            seen.append({title, b.settings().language()});
        });
        b.choose(1019, 1);
        disconnect(watch);
        QCOMPARE(seen.value(0), qMakePair(QStringLiteral("Velinor (log active)"), 10000));
        QCOMPARE(b.button(1021)->text(), QStringLiteral("Read&out"));
        QCOMPARE(b.label(1016)->text(), QStringLiteral("Serial Port"));
        QCOMPARE(b.label(1025)->text(), QStringLiteral("Damping"));
        QCOMPARE(b.security()->GetItemTip(3), QStringLiteral("WPA encryption with TKIP is used"));
        QCOMPARE(d.values().m_strSsid, QStringLiteral("HomeNet"));
        QCOMPARE(qtOpenText(), QStringLiteral("&Open"));
        b.choose(1019, 0);
        QCOMPARE(b.settings().language(), 0);
        QCOMPARE(b.texts(), german);
        // Without Qt's German translations (qt6-translations-l10n) its texts stay English.
        if (QFile::exists(QtTranslations::defaultDirectory() + QStringLiteral("/qtbase_de.qm")))
            QCOMPARE(qtOpenText(), QStringLiteral("&Öffnen"));
        QVERIFY(b.prompts.shown.isEmpty());
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
        // Regression: the key field lost its limit with a language change.
        b.choose(1019, 1);
        QTEST(d.keyTypingLimit(), "limit");
        // Disabling keeps the contents.
        QCOMPARE(b.edit(1031)->text(), QStringLiteral("alice"));
        QVERIFY(b.prompts.shown.isEmpty());
    }

    // The limits count the bytes of UTF-8 that the adapter's command carries.
    // Typing stops at the limit; pasting takes what fits, cut between two letters;
    // put in by the program, a text stays whole, and Quit refuses it over its
    // limit. No field takes control characters, the channel field digits only.
    void fields_data() {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("before"); // put in by the program; the cursor at '|' or the end
        QTest::addColumn<bool>("typed");     // else pasted
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("refused"); // the limit that Quit names; 0: Quit takes the values
        const QChar ae(0xe4);
        QTest::newRow("SSID typed")
            << 1006 << "" << true << QString(40, u'1') << QString(32, u'1') << 0;
        QTest::newRow("SSID typed, 2 bytes a letter")
            << 1006 << "" << true << QString(20, ae) << QString(16, ae) << 0;
        QTest::newRow("key typed, 2 bytes a letter")
            << 1009 << "" << true << QString(40, ae) << QString(31, ae) << 0;
        QTest::newRow("channel typed") << 1018 << "" << true << "a-4 b123"
                                       << "412" << 0;
        // Regression: pasted into a field never typed into, the text was refused whole.
        QTest::newRow("SSID pasted")
            << 1006 << "" << false << QString(37, ae) << QString(16, ae) << 0;
        QTest::newRow("SSID pasted inside")
            << 1006 << "1|1" << false << QString(32, ae) << '1' + QString(15, ae) + '1' << 0;
        QTest::newRow("SSID full, pasted")
            << 1006 << QString(32, u'1') << false << QString(ae) << QString(32, u'1') << 0;
        QTest::newRow("SSID over its limit, typed")
            << 1006 << QString(33, u'7') << true << "5" << QString(33, u'7') << 32;
        QTest::newRow("SSID of 17 letters of 2 bytes")
            << 1006 << QString(17, ae) << true << "" << QString(17, ae) << 32;
        QTest::newRow("key of 32 letters of 2 bytes")
            << 1009 << QString(32, ae) << true << "" << QString(32, ae) << 63;
        QTest::newRow("channel of 3 bytes")
            << 1018 << QString(ae) + '1' << true << "" << QString(ae) + '1' << 0;
        QTest::newRow("channel of 4 bytes")
            << 1018 << QString(2, ae) << true << "" << QString(2, ae) << 3;
        for (int id : {1006, 1009, 1018, 1031, 1032, 1033})
            QTest::addRow("%d, line break pasted", id) << id << "12" << false << "3\r\nAT"
                                                       << "12" << 0;
        QTest::newRow("tab pasted") << 1031 << "12" << false << "4\t"
                                    << "12" << 0;
        QTest::newRow("escape pasted") << 1033 << "12" << false << "\x1b"
                                       << "12" << 0;
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

    // The values after the first refused one are not taken.
    void exchangeStopsAtFirstRefusal() {
        Bench b;
        CSetupDlg& d = b.start();
        d.values().m_strKey = QString(64, u'k');
        d.values().m_strSsid = QString(49, u's');
        d.UpdateData(false);
        b.edit(1032)->setText("typed");
        QVERIFY(!d.UpdateData(true));
        QCOMPARE(b.prompts.texts(), QStringList{kTooLong.arg(63)});
        QCOMPARE(d.focusWidget(), d.control(1009));
        QCOMPARE(d.values().m_strDomain, QString());
    }

    void enterPressesConfigure() {
        Bench b;
        CSetupDlg& d = b.start();
        QApplication::setActiveWindow(&d);
        QVERIFY(QTest::qWaitForWindowActive(&d));
        QSignalSpy configure(b.button(1000), &QPushButton::clicked);
        b.button(1)->setFocus(); // even after the focus has been on Quit
        b.edit(1006)->setFocus();
        QTest::keyClick(b.edit(1006), Qt::Key_Return);
        b.combo(1022)->setFocus();
        QTest::keyClick(b.combo(1022), Qt::Key_Enter);
        QCOMPARE(configure.size(), 2);
        QVERIFY(d.isVisible());
    }

    // The form's size and its controls' places are dialog units of its font.
    void layoutInDialogUnits() {
        Bench b;
        CSetupDlg& d = b.start();
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

    // Regression: the stored port was found by substring, not by equality. A port
    // chosen by the user is stored when it is a device path.
    void portList_data() {
        QTest::addColumn<int>("search");
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QString>("storedAfterChoice"); // of the last item
        const QStringList all = {"/dev/ttyACM0", "/dev/ttyACM1", "/dev/ttyACM2", "/dev/ttyACM10",
                                 "/dev/ttyS0",   "/dev/ttyUSB0", "COM3"};
        QTest::newRow("automatic, ACM1 with ACM10")
            << 1 << QByteArray("/dev/ttyACM1") << "/dev/ttyACM1"
            << QStringList{"/dev/ttyACM1", "/dev/ttyACM2", "/dev/ttyACM10"} << "/dev/ttyACM10";
        QTest::newRow("manual, not a device path chosen")
            << 2 << QByteArray("/dev/ttyACM2") << "/dev/ttyACM2" << all << "/dev/ttyACM2";
        QTest::newRow("odd value, part of a name")
            << 0 << QByteArray("ACM1") << "" << all << "ACM1";
        QTest::newRow("empty value") << 2 << QByteArray() << "" << all << "";
    }
    void portList() {
        QFETCH(int, search);
        QFETCH(QByteArray, stored);
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
        // At start-up the automatic search fills the list, whatever the mode; dropping
        // it down fills it anew, and nothing is written.
        QCOMPARE(b.combo(1022)->count(), 3);
        QTEST(d.selectedPort(), "selected");
        QTEST(b.portItems(), "items");
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
        QStringList filters, listed;
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
            filters << types->itemText(0) << types->itemText(1);
            chooser->selectNameFilter(chooser->nameFilters().value(1));
            auto* view = chooser->findChild<QListView*>(QStringLiteral("listView"));
            QTRY_COMPARE(view->model()->rowCount(view->rootIndex()), 2);
            for (int row = 0; row < 2; ++row)
                listed << view->model()->index(row, 0, view->rootIndex()).data().toString();
            chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText("cacert");
            QMetaObject::invokeMethod(chooser, "accept");
        });
        QCOMPARE(picker.pick(), dir.filePath(QStringLiteral("cacert")));
        QCOMPARE(filters, (QStringList{"PEM Zertifikat (*.pem)", "Alle Dateien (*.*)"}));
        listed.sort();
        QCOMPARE(listed, (QStringList{"ca.pem", "cacert"}));
    }

    // F1 opens the help once per press (holding it does not repeat), as the menu does.
    void help() {
        Bench b;
        b.writeIni("language=10000");
        b.launcher.installed << "kchmviewer";
        QVERIFY(writeFile(b.dir.filePath("Velinor.chm"), ""));
        CSetupDlg& d = b.start();
        QTest::keyClick(b.edit(1006), Qt::Key_F1);
        QKeyEvent held(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(&d, &held);
        d.menuAction(40002)->trigger();
        QCOMPARE(b.launcher.starts.size(), 2);
        QVERIFY(b.launcher.starts.first().args.contains("Description.html"));
    }
};

QTEST_MAIN(TestMainForm)
#include "test_main_form.moc"
