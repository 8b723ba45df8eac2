// The certificate check over arbitrary file contents.

#include "config/certificate.h"
#include "fakes.h"
#include "fuzz_check.h"

using namespace velinor;

namespace {

bool holdsBoth(const QByteArray& text) {
    return text.contains(CertificateStore::kBeginLine) && text.contains(CertificateStore::kEndLine);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QTemporaryDir& dir = fuzz::scratchDir();
    FUZZ_CHECK(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("cert.pem"));
    const QByteArray content = fuzz::bytes(data, size);
    FUZZ_CHECK(fakes::writeFile(path, content));

    fakes::FakeFilePicker picker;
    fakes::RecordingPrompts prompts;
    fakes::FakeForm form;
    CertificateStore store(picker, prompts, form);

    // The check itself looks at every byte it is given.
    const bool direct = store.CheckCertificate(content);
    FUZZ_CHECK(direct == holdsBoth(content));
    FUZZ_CHECK(prompts.shown.size() == (direct ? 0 : 1));

    // A file's text ends at its first zero byte.
    prompts.shown.clear();
    const qsizetype zero = content.indexOf('\0');
    const QByteArray text = zero >= 0 ? content.left(zero) : content;
    const bool expected = content.size() <= CertificateStore::kMaxFileSize && holdsBoth(text);
    const bool loaded = store.LoadCertificateFile(path);
    FUZZ_CHECK(loaded == expected);
    if (loaded) {
        FUZZ_CHECK(store.certificate().has_value());
        FUZZ_CHECK(*store.certificate() == text);
        FUZZ_CHECK(prompts.shown.isEmpty());
    } else {
        FUZZ_CHECK(!store.certificate().has_value());
        FUZZ_CHECK(prompts.icons() == QLatin1String("w"));
    }
    return 0;
}
