// The certificate check over arbitrary file contents.

#include "base/main_form.h"
#include "base/prompts.h"
#include "config/certificate.h"
#include "base/file_picker.h"
#include "fuzz_check.h"

#include <QFile>

using namespace velinor;

namespace {

class NoPicker : public FilePicker {
public:
    QString pick() override { return {}; }
};

class CountingPrompts : public Prompts {
public:
    int messages = 0;
    PromptIcon lastIcon = PromptIcon::None;
    void message(const QString&, PromptIcon icon) override {
        ++messages;
        lastIcon = icon;
    }
};

class PlainForm : public MainForm {
public:
    FormValues v;
    FormValues& values() override { return v; }
    bool UpdateData(bool) override { return true; }
    int securityIndex() const override { return -1; }
    void setSecurityIndex(int) override {}
    bool isAccessPoint() const override { return true; }
    bool isAdHoc() const override { return false; }
    void setAccessType(bool, bool) override {}
    QString selectedPort() const override { return {}; }
    QString selectedLanguageText() const override { return {}; }
    int GetLanguage() const override { return 10000; }
    void setKeyEnabled(bool) override {}
    void focusKey() override {}
    void UpdateSecurityFields() override {}
    void showDamping() override {}
};

bool holdsBoth(const QByteArray& text) {
    return text.contains(CertificateStore::kBeginLine) && text.contains(CertificateStore::kEndLine);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QTemporaryDir& dir = fuzz::scratchDir();
    FUZZ_CHECK(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("cert.pem"));
    const QByteArray content = fuzz::bytes(data, size);
    {
        QFile file(path);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        FUZZ_CHECK(file.write(content) == content.size());
    }

    NoPicker picker;
    CountingPrompts prompts;
    PlainForm form;
    CertificateStore store(picker, prompts, form);

    // The check itself looks at every byte it is given.
    const bool direct = store.CheckCertificate(content);
    FUZZ_CHECK(direct == holdsBoth(content));
    FUZZ_CHECK(prompts.messages == (direct ? 0 : 1));

    // A file's text ends at its first zero byte.
    prompts.messages = 0;
    const qsizetype zero = content.indexOf('\0');
    const QByteArray text = zero >= 0 ? content.left(zero) : content;
    const bool expected = content.size() <= CertificateStore::kMaxFileSize && holdsBoth(text);
    const bool loaded = store.LoadCertificateFile(path);
    FUZZ_CHECK(loaded == expected);
    if (loaded) {
        FUZZ_CHECK(store.certificate().has_value());
        FUZZ_CHECK(*store.certificate() == text);
        FUZZ_CHECK(prompts.messages == 0);
    } else {
        FUZZ_CHECK(!store.certificate().has_value());
        FUZZ_CHECK(prompts.messages == 1 && prompts.lastIcon == PromptIcon::Warning);
    }
    return 0;
}
