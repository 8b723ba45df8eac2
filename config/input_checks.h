#pragma once

#include <QString>

namespace velinor {

class CertificateStore;
class EventLog;
class MainForm;
class Prompts;

// The checks that run before anything is sent to the adapter: the key rules of
// the security type, then the form rules.
class InputChecks {
public:
    InputChecks(MainForm& form, CertificateStore& certificate, Prompts& prompts, EventLog& log);

    // The key rules; a refusal shows its message (warning icon), empties the key
    // field and puts the focus into it. Nothing is logged.
    bool ValidateKey();
    // The form rules; a refusal shows its message (no icon) and logs its reason.
    // An unknown channel number is only a notice: the checks go on.
    bool ValidateForm();

    static bool IsValidChannel(int channel);
    // The channel field read the way atoi reads it: leading blanks, an optional
    // sign, digits up to the first other character; no digits give 0.
    static int ChannelNumber(const QString& text);

private:
    void refuseKey(int textId);
    void formMessage(int textId, const char* englishLog, const char* germanLog);

    MainForm& m_form;
    CertificateStore& m_certificate;
    Prompts& m_prompts;
    EventLog& m_log;
};

} // namespace velinor
