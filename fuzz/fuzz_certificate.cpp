// The certificate check over arbitrary file contents.
#include "config/certificate.h"
#include "fakes.h"
#include "fuzz_check.h"

using namespace velinor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray content = fuzz::bytes(data, size);
    const QString path = fuzz::scratchFile("cert.pem", content);
    auto holdsBoth = [](const QByteArray& text) {
        return text.contains(CertificateStore::kBeginLine) &&
               text.contains(CertificateStore::kEndLine);
    };
    fakes::FakeFilePicker picker;
    fakes::RecordingPrompts prompts;
    fakes::FakeForm form;
    CertificateStore store(picker, prompts, form);

    // The check itself looks at every byte it is given.
    const bool direct = store.CheckCertificate(content);
    FUZZ_CHECK(direct == holdsBoth(content) && prompts.shown.size() == (direct ? 0 : 1));

    // A file's text ends at its first zero byte.
    prompts.shown.clear();
    const qsizetype zero = content.indexOf('\0');
    const QByteArray text = zero >= 0 ? content.left(zero) : content;
    const bool loaded = store.LoadCertificateFile(path);
    FUZZ_CHECK(loaded == (content.size() <= CertificateStore::kMaxFileSize && holdsBoth(text)));
    FUZZ_CHECK(store.certificate() == (loaded ? std::optional(text) : std::nullopt));
    FUZZ_CHECK(prompts.icons() ==
               (loaded ? QList<PromptIcon>() : QList<PromptIcon>{PromptIcon::Warning}));
    return 0;
}
