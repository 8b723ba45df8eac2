// What a screen reader finds: the names and descriptions of the form's controls in both
// languages, the network dialog's cells, the damping with its caption, the progress of an
// exchange and a message box's text.
#include "form_bench.h"

#include "ui/qt_services.h"
#include "ui/tip_combo_box.h"
#include "ui/tip_list_ctrl.h"

#include <QAccessible>
#include <QMessageBox>
#include <QTableWidget>
#include <QTest>

using namespace velinor;
using namespace velinor::fakes;

namespace {

QAccessibleInterface* iface(QObject* object) {
    return QAccessible::queryAccessibleInterface(object);
}
QString name(QObject* object) {
    return iface(object)->text(QAccessible::Name);
}
QString description(QObject* object) {
    return iface(object)->text(QAccessible::Description);
}
// The names of an accessible table's column headers and cells, a line each, joined by '|'.
QStringList tableTexts(QAccessibleTableInterface* table) {
    QStringList headers;
    for (int c = 0; c < table->columnCount(); ++c)
        headers << table->columnDescription(c);
    QStringList lines{headers.join(u'|')};
    for (int r = 0; r < table->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < table->columnCount(); ++c)
            cells << table->cellAt(r, c)->text(QAccessible::Name);
        lines << cells.join(u'|');
    }
    return lines;
}

} // namespace

class TestAccessibility : public QObject {
    Q_OBJECT
private slots:
    // Every focusable control of the form: its label as name, its tooltip as description, in
    // German, in English after a switch, and in German again; the lists have an entry chosen,
    // which a screen reader hears as their value, not as their name.
    void formControls_data() {
        QTest::addColumn<int>("control");
        QTest::addColumn<QString>("nameDe");
        QTest::addColumn<QString>("nameEn");
        QTest::addColumn<QString>("tipDe");
        QTest::addColumn<QString>("tipEn");
        using D = CSetupDlg;
        QTest::newRow("language list") << int(D::IDC_LANGUAGE) << "Sprache" << "Language"
                                       << "Choose a language" << QString::fromUtf8("Sprache wählen");
        // The port's tooltip (text 603) is checked where the catalogue is.
        QTest::newRow("port list") << int(D::IDC_PORT) << "Serielle Schnittstelle"
                                   << "Serial Port" << QString() << QString();
        QTest::newRow("Netsearch") << int(D::IDC_NETSEARCH) << "Netzsuche" << "Netsearch"
                                   << "Aktualisiert die Liste der vorhandenen WLANs"
                                   << "Refresh the list of available WLANs";
        QTest::newRow("SSID") << int(D::IDC_SSID) << "SSID" << "SSID" << "Name des WLANs eintragen"
                              << "Enter the name of the WLAN";
        QTest::newRow("security type")
            << int(D::IDC_SECURITY) << QString::fromUtf8("Verschlüsselung") << "Encryption"
            << QString::fromUtf8("Verschlüsselungsverfahren wählen") << "Choose encryption";
        QTest::newRow("channel") << int(D::IDC_CHANNEL) << "Kanal" << "Channel" << "Kanal eintragen"
                                 << "Enter channel";
        QTest::newRow("access point") << int(D::IDC_ACCESS_POINT) << "Access Point"
                                      << "Access Point" << "Drahtlos Zugangspunkt (z.B. Router)"
                                      << "Wireless access point (e.g. router)";
        QTest::newRow("ad hoc") << int(D::IDC_AD_HOC) << "Ad Hoc" << "Ad Hoc" << "Drahtlos Netzwerk"
                                << "Wireless network";
        QTest::newRow("key")
            << int(D::IDC_KEY) << QString::fromUtf8("Schlüssel") << "Key"
            << QString::fromUtf8("Schlüssel eintragen, falls Sie keine Verschlüsselung verwenden "
                                 "lassen Sie dieses Feld leer")
            << "Enter encryption key, if you have no encryption leave this field blank";
        QTest::newRow("user") << int(D::IDC_USER) << "Benutzername" << "Username" << "" << "";
        QTest::newRow("domain") << int(D::IDC_DOMAIN) << QString::fromUtf8("Domäne") << "Domain"
                                << "" << "";
        QTest::newRow("password") << int(D::IDC_PASSWORD) << "Passwort" << "Password" << ""
                                  << "";
        QTest::newRow("certificate") << int(D::IDC_CERT_SELECT)
                                     << QString::fromUtf8("Zertifikat auswählen")
                                     << "License select" << "" << "";
        QTest::newRow("Read out")
            << int(D::IDC_READ_OUT) << "Auslesen" << "Readout"
            << "Liest die Einstellungen von dem WLAN-Produkt aus (ohne Schlüssel)"
            << "Reads the settings from the wireless product (without key)";
        QTest::newRow("Configure") << int(D::IDC_CONFIGURE) << "Konfigurieren" << "Configure"
                                   << "Speichert die aktuellen Einstellungen auf dem WLAN-Produkt"
                                   << "Save the current settings on the wireless product";
        QTest::newRow("Quit") << int(D::IDOK) << "Beenden" << "Quit" << "" << "";
    }
    void formControls() {
        QFETCH(int, control);
        QFETCH(QString, nameDe);
        QFETCH(QString, nameEn);
        QFETCH(QString, tipDe);
        QFETCH(QString, tipEn);
        FormBench b;
        b.start("[settings]\nlanguage=0\nport=/dev/ttyACM0\n");
        b.choose(CSetupDlg::IDC_SECURITY, security::kWpa2);
        QWidget* widget = b.dlg->control(control);
        QVERIFY(iface(widget)->state().focusable);
        const auto check = [&](const QString& expectedName, const QString& expectedTip) {
            QCOMPARE(name(widget), expectedName);
            QCOMPARE(description(widget), widget->toolTip());
            if (!expectedTip.isNull())
                QCOMPARE(description(widget), expectedTip);
        };
        check(nameDe, tipDe);
        b.choose(CSetupDlg::IDC_LANGUAGE, 1);
        check(nameEn, tipEn);
        b.choose(CSetupDlg::IDC_LANGUAGE, 0);
        check(nameDe, tipDe);
    }

    // A list's entry is its value; the security types' own list reads each entry with its tip.
    void listsReadTheirEntries() {
        FormBench b;
        b.start();
        b.choose(CSetupDlg::IDC_SECURITY, security::kWpa);
        auto* box = qobject_cast<CTipComboBox*>(b.dlg->control(CSetupDlg::IDC_SECURITY));
        QCOMPARE(iface(box)->text(QAccessible::Value), QStringLiteral("WPA"));
        QCOMPARE(iface(b.dlg->control(CSetupDlg::IDC_PORT))->text(QAccessible::Value),
                 QStringLiteral("/dev/ttyACM0"));
        box->ShowTipList(true);
        QAccessibleInterface* list = iface(box->tipList());
        QCOMPARE(list->text(QAccessible::Name), QStringLiteral("Encryption"));
        QAccessibleInterface* entry = list->tableInterface()->cellAt(security::kWpa, 0);
        QCOMPARE(entry->text(QAccessible::Name), QStringLiteral("WPA"));
        QCOMPARE(entry->text(QAccessible::Description),
                 QStringLiteral("WPA encryption with TKIP is used"));
        box->ShowTipList(false);
    }

    // The network dialog in German: the list named by the title, the headers and every
    // cell as shown, the buttons without their mnemonics.
    void networkDialogReadsCellByCell() {
        AdapterBench b;
        b.form.language = kGerman;
        QVERIFY(b.openPort());
        b.model.setNetworks({"office,AP,00:1A:2B:3C:4D:5E,WPA2,6,62",
                             "MAPLE,ADHOC,02:11:22:33:44:55,WEP128,11,48"});
        CScanDlg dlg(b.form, b.link, b.prompts, b.log);
        dlg.OnInitDialog();
        dlg.show();
        QAccessibleInterface* list = iface(dlg.networkList());
        QCOMPARE(list->text(QAccessible::Name), QStringLiteral("Drahtlosnetzwerksuche"));
        QCOMPARE(tableTexts(list->tableInterface()),
                 (QStringList{QString::fromUtf8(
                                  "SSID|Zugang|MAC-Adresse|Kanal|Verschlüsselung|Dämpfung"),
                              "MAPLE|Ad-hoc|02:11:22:33:44:55|11|WEP128|48",
                              "office|Access Point|00:1A:2B:3C:4D:5E|6|WPA2|62"}));
        QCOMPARE(name(dlg.okButton()), QStringLiteral("OK"));
        QCOMPARE(name(dlg.cancelButton()), QStringLiteral("Abbrechen"));
        QCOMPARE(name(dlg.refreshButton()), QStringLiteral("Aktualisieren"));
    }

    // The damping that Netsearch brings is read with its caption; Read out's progress bar is
    // named after the command and reports how far it has come.
    void dampingAndProgress() {
        FormBench b;
        b.start("[settings]\nlanguage=0\nport=/dev/ttyACM0\n");
        b.model.setNetworks({"office,AP,00:1A:2B:3C:4D:5E,WPA2,6,62"});
        b.netsearch([](CScanDlg& dlg) {
            dlg.networkList()->selectRow(0);
            dlg.okButton()->click();
        });
        QCOMPARE(name(b.dlg->control(CSetupDlg::IDC_DAMPING)),
                 QString::fromUtf8("Dämpfung 62 db"));
        b.choose(CSetupDlg::IDC_LANGUAGE, 1);
        QCOMPARE(name(b.dlg->control(CSetupDlg::IDC_DAMPING)), QStringLiteral("Damping 62 db"));

        QList<double> values;
        QString barName;
        QProgressBar* bar = b.dlg->progressBar();
        QObject::connect(bar, &QProgressBar::valueChanged, bar, [&] {
            barName = name(bar);
            values << iface(bar)->valueInterface()->currentValue().toDouble() /
                          iface(bar)->valueInterface()->maximumValue().toDouble();
        });
        b.click(CSetupDlg::IDC_READ_OUT);
        QCOMPARE(barName, QStringLiteral("Readout"));
        QVERIFY(values.size() > 2);
        QVERIFY(std::is_sorted(values.begin(), values.end()));
        QCOMPARE(values.last(), 1.0);
    }

    // A message box is announced by its caption and reads its text.
    void messageBoxReadsItsText() {
        QString boxName, boxText;
        QStringList shownTexts;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            QAccessibleInterface* alert = iface(box);
            QCOMPARE(alert->role(), QAccessible::AlertMessage);
            boxName = alert->text(QAccessible::Name);
            boxText = alert->text(QAccessible::Description);
            for (int i = 0; i < alert->childCount(); ++i)
                if (alert->child(i)->role() == QAccessible::StaticText)
                    shownTexts << alert->child(i)->text(QAccessible::Name);
            box->accept();
        });
        QtPrompts().message(QString::fromUtf8("Kanal ungültig"), PromptIcon::Warning);
        QCOMPARE(boxName, QStringLiteral("Velinor"));
        QCOMPARE(boxText, QString::fromUtf8("Kanal ungültig"));
        QVERIFY(shownTexts.contains(QString::fromUtf8("Kanal ungültig")));
    }
};

QTEST_MAIN(TestAccessibility)
#include "test_accessibility.moc"
