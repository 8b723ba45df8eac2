#include "config/certificate.h"

#include "base/file_picker.h"
#include "base/main_form.h"
#include "base/prompts.h"
#include "base/ui_text.h"
#include "log/log_writer.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace velinor {
namespace {

constexpr int kNoValidCertificate = 35;
constexpr int kAllocationFailed = 37;
constexpr int kNoCertificateSelected = 517;

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

} // namespace

CertificateStore::CertificateStore(FilePicker& picker, Prompts& prompts, MainForm& form)
    : m_picker(picker), m_prompts(prompts), m_form(form) {}

void CertificateStore::OnChooseCertificate() {
    for (;;) {
        const QString path = m_picker.pick();
        if (path.isEmpty()) {
            m_prompts.message(UiText(kNoCertificateSelected, m_form.GetLanguage()),
                              PromptIcon::None);
            return;
        }
        if (LoadCertificateFile(path))
            return;
    }
}

bool CertificateStore::LoadCertificateFile(const QString& path) {
    if (path.isEmpty())
        return false;
    QByteArray text;
    // The wait cursor while the file is read; the messages get the normal pointer.
    m_form.beginWaitCursor();
    const ReadResult result = readFile(path, text);
    m_form.endWaitCursor();

    switch (result) {
    case ReadResult::NotRead:
        return false;
    case ReadResult::TooLarge:
        CheckCertificate(std::nullopt);
        return false;
    case ReadResult::NoMemory:
        m_prompts.message(
            QStringLiteral("%1: %2").arg(UiText(kAllocationFailed, m_form.GetLanguage()),
                                         GetErrorText(ENOMEM)),
            PromptIcon::Error);
        return false;
    case ReadResult::Read:
        break;
    }
    if (!CheckCertificate(text))
        return false;
    m_pCertData = std::move(text);
    return true;
}

CertificateStore::ReadResult CertificateStore::readFile(const QString& path, QByteArray& text) {
    const QByteArray native = QFile::encodeName(path);
    // O_NONBLOCK: a named pipe must not hang the dialog; it is refused below.
    FileDescriptor file(::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.get() < 0)
        return ReadResult::NotRead;
    struct stat info {};
    if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return ReadResult::NotRead;
    const qint64 size = info.st_size;

    // From here on no certificate is held until the new one has passed.
    m_pCertData.reset();

    if (size > kMaxFileSize)
        return ReadResult::TooLarge;
    try {
        text.resize(size);
    } catch (const std::bad_alloc&) {
        return ReadResult::NoMemory;
    }
    qint64 done = 0;
    while (done < size) { // mutants: skip (a read of 0 bytes at the end breaks too)
        // mutants: off (a regular file is read whole by the first call: no EINTR, no short read)
        const ssize_t n = ::read(file.get(), text.data() + done, size_t(size - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += n;
        // mutants: on
    }
    text.truncate(done); // mutants: skip (an unread rest is zero bytes, cut below as well)
    // The text ends at its first zero byte.
    const qsizetype zero = text.indexOf('\0');
    if (zero >= 0)
        text.truncate(zero);
    return ReadResult::Read;
}

bool CertificateStore::CheckCertificate(const std::optional<QByteArray>& text) {
    if (text && text->contains(kBeginLine) && text->contains(kEndLine))
        return true;
    m_prompts.message(UiText(kNoValidCertificate, m_form.GetLanguage()), PromptIcon::Warning);
    return false;
}

} // namespace velinor
