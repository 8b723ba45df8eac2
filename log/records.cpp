#include "log/records.h"

#include "base/main_form.h"
#include "base/ui_text.h"
#include "log/log_writer.h"

namespace velinor {
namespace {

class Record {
public:
    Record(LogWriter& writer, bool german) : m_writer(writer), m_german(german) {}
    QString text(const char* english, const char* german) const {
        return QString::fromUtf8(m_german ? german : english);
    }
    void write(const QString& text) { m_writer.LogWrite(text); }
    void field(const char* english, const char* german, const QString& value,
               const char* emptyEnglish, const char* emptyGerman) {
        write(text(english, german));
        write(value.isEmpty() ? text(emptyEnglish, emptyGerman) : value);
    }

private:
    LogWriter& m_writer;
    bool m_german;
};

} // namespace

void LogConfiguration(MainForm& form, EventLog& log) {
    if (!log.active())
        return;
    Record record(log.writer(), form.GetLanguage() == kGerman);
    log.writer().LogTimeStamp();
    record.write(record.text("* Configuration *", "* Konfigurieren *"));
    form.UpdateData(true); // mutants: skip (Configure has just taken the fields)
    const FormValues& v = form.values();

    record.field("\nLanguage: ", "\nSprache: ", form.selectedLanguageText(),
                 "# no language selected #", "# keine Sprache ausgewählt #");
    record.field("\nPort: ", "\nSchnittstelle: ", form.selectedPort(), "# no COM port selected #",
                 "# kein COM Port ausgewählt #");
    record.field("\nSSID: ", "\nSSID: ", v.m_strSsid, "# no SSID input #",
                 "# keine SSID eingetragen #");
    record.field("\nEncryption: ", "\nVerschlüsselung: ", v.m_strSecurityType,
                 "# no encryption selected #", "# keine Verschlüsselung eingetragen #");
    record.field("\nChannel: ", "\nKanal: ", v.m_strChannel, "# no channel input #",
                 "# kein Kanal eingetragen #");
    record.field("\nKey: ", "\nSchlüssel: ", v.m_strKey, "# no key input #",
                 "# kein Schlüssel eingetragen #");

    QString access;
    if (form.isAdHoc())
        access = QStringLiteral("Ad Hoc");
    else if (form.isAccessPoint())
        access = QStringLiteral("Access Point");
    record.field("\nAccess type: ", "\nZugriffsverfahren: ", access, "# no access type selected #",
                 "# keine Zugriffsart ausgewählt #");

    if (!v.m_strDamping.isEmpty()) {
        record.write(record.text("\nDamping: ", "\nDämpfung: "));
        record.write(v.m_strDamping);
    }
    record.write(QStringLiteral("\n"));
}

} // namespace velinor
