// What a screen reader finds: the form's controls named in both languages, the security types read
// by entry, the damping with its caption, an exchange's progress, a message box's text. (The
// network dialog's cells: test_scan_dlg.)
#include "form_bench.h"

#include "ui/qt_services.h"
#include "ui/tip_combo_box.h"
#include "ui/tip_list_ctrl.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QLabel>
#include <QMessageBox>
#include <QTableWidget>
#include <QTest>

using namespace velinor;
using namespace velinor::fakes;
using D = CSetupDlg;

namespace {
const auto iface = [](QObject* object) { return QAccessible::queryAccessibleInterface(object); };
const auto name = [](QObject* object) { return iface(object)->text(QAccessible::Name); };
} // namespace

class TestAccessibility : public QObject {
    Q_OBJECT
private slots:
    // Each focusable control: the text the user reads on it, or on its label for a field or a
    // list ('&' before the underlined letter); its name for a screen reader, and its tooltip as
    // description. In German, in English after a switch, in German again.
    void formControls_data() {
        QTest::addColumn<int>("control");
        QTest::addColumn<QString>("textDe");
        QTest::addColumn<QString>("textEn");
        QTest::addColumn<QString>("nameDe");
        QTest::addColumn<QString>("nameEn");
        const auto row = [](const char* what, int id, const char* textDe, const char* textEn,
                            const char* nameDe, const char* nameEn) {
            QTest::newRow(what) << id << QString::fromUtf8(textDe) << QString::fromUtf8(textEn)
                                << QString::fromUtf8(nameDe) << QString::fromUtf8(nameEn);
        };
        // clang-format off
        //  what                 control              text de / en                           name de / en
        row("language list",  D::IDC_LANGUAGE,      "Sprache", "Language",                 "Sprache", "Language");
        row("port list",      D::IDC_PORT,          "Serielle Schnittstelle", "Serial Port", "Serielle Schnittstelle", "Serial Port");
        row("Netsearch",      D::IDC_NETSEARCH,     "&Netzsuche", "&Netsearch",            "Netzsuche", "Netsearch");
        row("SSID",           D::IDC_SSID,          "SSID", "SSID",                        "SSID", "SSID");
        row("security type",  D::IDC_SECURITY,      "Verschlüsselung", "Encryption",       "Verschlüsselung", "Encryption");
        row("channel",        D::IDC_CHANNEL,       "Kanal", "Channel",                    "Kanal", "Channel");
        row("access point",   D::IDC_ACCESS_POINT,  "Access Point", "Access Point",        "Access Point", "Access Point");
        row("ad hoc",         D::IDC_AD_HOC,        "Ad Hoc", "Ad Hoc",                    "Ad Hoc", "Ad Hoc");
        row("key",            D::IDC_KEY,           "Schlüssel", "Key",                    "Schlüssel", "Key");
        row("user",           D::IDC_USER,          "Benutzername", "Username",            "Benutzername", "Username");
        row("domain",         D::IDC_DOMAIN,        "Domäne", "Domain",                    "Domäne", "Domain");
        row("password",       D::IDC_PASSWORD,      "Passwort", "Password",                "Passwort", "Password");
        row("certificate",    D::IDC_CERT_SELECT,   "auswählen", "select",                 "Zertifikat auswählen", "License select");
        row("Read out",       D::IDC_READ_OUT,      "Aus&lesen", "Read&out",               "Auslesen", "Readout");
        row("Configure",      D::IDC_CONFIGURE,     "&Konfigurieren", "&Configure",        "Konfigurieren", "Configure");
        row("Quit",           D::IDOK,              "&Beenden", "&Quit",                   "Beenden", "Quit");
        // clang-format on
    }
    void formControls() {
        QFETCH(int, control);
        FormBench b;
        b.start("[settings]\nlanguage=0\nport=/dev/ttyACM0\n");
        b.choose(D::IDC_SECURITY, security::kWpa2);
        QWidget* widget = b.dlg->control(control);
        QVERIFY(iface(widget)->state().focusable);
        const auto shownText = [&] {
            if (auto* button = qobject_cast<QAbstractButton*>(widget))
                return button->text();
            for (QLabel* label : b.dlg->findChildren<QLabel*>())
                if (label->buddy() == widget)
                    return label->text();
            return QString();
        };
        QFETCH(QString, textDe);
        QFETCH(QString, textEn);
        QFETCH(QString, nameDe);
        QFETCH(QString, nameEn);
        for (bool english : {false, true, false}) {
            b.choose(D::IDC_LANGUAGE, english ? 1 : 0); // the list's items: German, English
            QCOMPARE(shownText(), english ? textEn : textDe);
            QCOMPARE(name(widget), english ? nameEn : nameDe);
            QCOMPARE(iface(widget)->text(QAccessible::Description), widget->toolTip());
        }
    }

    // Tab walks the controls in the order of the table above, as the form reads.
    void tabOrder() {
        FormBench b;
        b.start();
        const QList<int> order = {
            D::IDC_LANGUAGE,    D::IDC_PORT,     D::IDC_NETSEARCH,    D::IDC_SSID,
            D::IDC_SECURITY,    D::IDC_CHANNEL,  D::IDC_ACCESS_POINT, D::IDC_AD_HOC,
            D::IDC_KEY,         D::IDC_USER,     D::IDC_DOMAIN,       D::IDC_PASSWORD,
            D::IDC_CERT_SELECT, D::IDC_READ_OUT, D::IDC_CONFIGURE,    D::IDOK};
        QList<int> walked;
        QWidget* w = b.dlg->control(order.first());
        do {
            for (int id : order)
                if (b.dlg->control(id) == w)
                    walked << id;
            w = w->nextInFocusChain();
        } while (w != b.dlg->control(order.first()));
        QCOMPARE(walked, order);
    }

    // A list's entry is its value; the security types' list reads each entry with its tip. A
    // list has its open list as one child, and opens it when pressed.
    void listEntries() {
        FormBench b;
        b.start();
        b.choose(D::IDC_SECURITY, security::kWpa);
        auto* box = qobject_cast<CTipComboBox*>(b.dlg->control(D::IDC_SECURITY));
        QCOMPARE(iface(box)->text(QAccessible::Value), QStringLiteral("WPA"));
        QCOMPARE(iface(b.dlg->control(D::IDC_KEY))->text(QAccessible::Description),
                 QStringLiteral("Enter encryption key, if you have no encryption leave this "
                                "field blank"));
        auto* ports = qobject_cast<QComboBox*>(b.dlg->control(D::IDC_PORT));
        QVERIFY(iface(ports)->childCount() == 1 && iface(ports)->child(0) &&
                !iface(ports)->child(1));
        iface(ports)->actionInterface()->doAction(QAccessibleActionInterface::setFocusAction());
        QVERIFY(!ports->view()->isVisible());
        iface(ports)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QVERIFY(ports->view()->isVisible());
        ports->hidePopup();
        box->ShowTipList(true);
        QCOMPARE(name(box->tipList()), QStringLiteral("Encryption"));
        QAccessibleInterface* entry = iface(box->tipList())->tableInterface()->cellAt(3, 0);
        QCOMPARE(entry->text(QAccessible::Name), QStringLiteral("WPA"));
        QCOMPARE(entry->text(QAccessible::Description),
                 QStringLiteral("WPA encryption with TKIP is used"));
        const QString firstTip = box->GetItemTip(0); // the first entry's as well
        QVERIFY(
            !firstTip.isEmpty() &&
            iface(box->tipList())->tableInterface()->cellAt(0, 0)->text(QAccessible::Description) ==
                firstTip);
    }

    // The damping is read with its caption; Read out's bar is named after it and reports how
    // far it has come.
    void dampingAndProgress() {
        FormBench b;
        b.start("[settings]\nlanguage=0\nport=/dev/ttyACM0\n");
        b.model.setNetworks({"office,AP,00:1A:2B:3C:4D:5E,WPA2,6,62"});
        b.netsearch([](CScanDlg& dlg) {
            dlg.networkList()->selectRow(0);
            dlg.okButton()->click();
        });
        QCOMPARE(name(b.dlg->control(D::IDC_DAMPING)), QString::fromUtf8("Dämpfung 62 db"));
        b.choose(D::IDC_LANGUAGE, 1);
        QCOMPARE(name(b.dlg->control(D::IDC_DAMPING)), QStringLiteral("Damping 62 db"));
        b.choose(D::IDC_LANGUAGE, 0);
        QProgressBar* bar = b.dlg->progressBar();
        QList<double> done; // the share of the exchange, as the shown bar reports it
        QObject::connect(bar, &QProgressBar::valueChanged, bar, [&] {
            const QAccessibleValueInterface* value = iface(bar)->valueInterface();
            if (bar->isVisible())
                done << value->currentValue().toDouble() / value->maximumValue().toDouble();
        });
        b.click(D::IDC_READ_OUT);
        QVERIFY(name(bar) == QStringLiteral("Auslesen") && !bar->isTextVisible()); // no "%" text
        QVERIFY(done.size() > 2 && std::is_sorted(done.begin(), done.end()) && done.last() == 1.0);
    }

    // Each control's tooltip (English form), in the catalogue's words, typo of 602 included.
    void tooltips() {
        FormBench b;
        b.start();
        QStringList tips;
        for (int id : {D::IDC_CONFIGURE, D::IDC_READ_OUT, D::IDC_NETSEARCH, D::IDC_LANGUAGE,
                       D::IDC_PORT, D::IDC_SSID, D::IDC_SECURITY, D::IDC_CHANNEL, D::IDC_KEY,
                       D::IDC_ACCESS_POINT, D::IDC_AD_HOC})
            tips << b.dlg->control(id)->toolTip();
        QCOMPARE(tips,
                 (QStringList{"Save the current settings on the wireless product",
                              "Reads the settings from the wireless product (without key)",
                              "Refresh the list of available WLANs", "Sprache wählen",
                              "Serial port of the wireless product (USB id 7C5E:0003), e.g. "
                              "/dev/ttyACM0",
                              "Enter the name of the WLAN", "Choose encryption", "Enter channel",
                              "Enter encryption key, if you have no encryption leave this field "
                              "blank",
                              "Wireless access point (e.g. router)", "Wireless network"}));
    }

    // A message box is announced by its caption, with its text.
    void messageBoxText() {
        QString heard;
        QTimer::singleShot(0, [&heard] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                heard = name(box) + ": " + iface(box)->text(QAccessible::Description);
                box->accept();
            }
        });
        QtPrompts().message(QString::fromUtf8("Kanal ungültig"), PromptIcon::Warning);
        QCOMPARE(heard, QString::fromUtf8("Velinor: Kanal ungültig"));
    }
};

QTEST_MAIN(TestAccessibility)
#include "test_accessibility.moc"
