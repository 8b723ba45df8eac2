#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace velinor {

class FilePicker;
class MainForm;
class Prompts;

// The CA certificate for the enterprise security types: chosen by the user, read
// whole, checked for the PEM begin and end lines, and held for the whole run
// until a later pick replaces it. It is never stored anywhere.
class CertificateStore {
public:
    // A certificate file larger than this is refused like one without PEM lines.
    static constexpr qint64 kMaxFileSize = 1024 * 1024;
    static constexpr const char* kBeginLine = "-----BEGIN CERTIFICATE-----";
    static constexpr const char* kEndLine = "-----END CERTIFICATE-----";

    CertificateStore(FilePicker& picker, Prompts& prompts, MainForm& form);

    // Handler of the "select" button: shows the chooser until a valid file was
    // read or the user cancels (message 517; an earlier certificate stays).
    void OnChooseCertificate();
    // Reads the file at path; true when a valid text is now held. An empty path,
    // a file that cannot be opened or measured, or one that is not a regular
    // file fails without a message and keeps the held text. From the reading on
    // a failure leaves no certificate held.
    bool LoadCertificateFile(const QString& path);
    // true when text holds both PEM lines; otherwise message 35 (warning).
    bool CheckCertificate(const std::optional<QByteArray>& text);

    // The held text (m_pCertData), up to its first zero byte; none until a valid pick.
    const std::optional<QByteArray>& certificate() const { return m_pCertData; }
    void clear() { m_pCertData.reset(); }

private:
    enum class ReadResult { NotRead, TooLarge, NoMemory, Read };
    // Reads the whole file up to its first zero byte; NotRead keeps the held
    // text, every other result has released it.
    ReadResult readFile(const QString& path, QByteArray& text);

    FilePicker& m_picker;
    Prompts& m_prompts;
    MainForm& m_form;
    std::optional<QByteArray> m_pCertData;
};

} // namespace velinor
