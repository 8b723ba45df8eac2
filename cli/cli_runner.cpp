#include "cli/cli_runner.h"

#include "base/clock.h"
#include "base/file_picker.h"
#include "base/port_enumerator.h"
#include "base/security_type.h"
#include "base/stop_signals.h"
#include "base/ui_text.h"
#include "cli/console_output.h"
#include "cli/headless_form.h"
#include "config/certificate.h"
#include "config/configure.h"
#include "config/readout.h"
#include "link/module_link.h"
#include "link/port_list.h"
#include "link/port_opener.h"
#include "link/serial_port.h"
#include "link/usb_restart.h"
#include "log/log_writer.h"
#include "scan/netsearch.h"
#include "scan/scanner.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <vector>

namespace velinor::cli {
namespace {

constexpr int kTextEncryption = 501;
constexpr int kTextChannel = 502;
constexpr int kTextDamping = 509;
constexpr int kTextAccess = 518;
constexpr int kTextMac = 519;

// No chooser without a desktop: the certificate comes from --certificate.
class NoFilePicker : public FilePicker {
public:
    QString pick() override { return {}; }
};

QString tr(int language, const char* english, const char* german) {
    return QString::fromUtf8(language == kEnglish ? english : german);
}

QString usbId(const PortInfo& info) {
    if (!info.hasUsbIds)
        return {};
    return QStringLiteral("%1:%2")
        .arg(info.vendorId, 4, 16, QLatin1Char('0'))
        .arg(info.productId, 4, 16, QLatin1Char('0'));
}

// ---- Stopping on a signal ----

QString stoppedUnchangedText(int language) {
    return tr(language, "stopped before the factory reset: the adapter keeps its settings",
              "vor dem Zurücksetzen auf Werkseinstellungen angehalten: das WLAN-Produkt behält "
              "seine Einstellungen");
}

QString finishingText(int language) {
    return tr(
        language,
        "already reset to factory defaults: its programming is being finished, so that it "
        "is not left unconfigured (a second Ctrl+C stops at once)",
        "bereits auf Werkseinstellungen zurückgesetzt: die Programmierung wird zu Ende "
        "geführt, damit es nicht unkonfiguriert bleibt (ein zweites Strg+C bricht sofort ab)");
}

QString stoppedMidSequenceText(int language, int step, int steps, const QByteArray& command) {
    return tr(language,
              "stopped at step %1 of %2 (%3): the adapter is left half-programmed and must be "
              "configured again",
              "bei Schritt %1 von %2 (%3) abgebrochen: das WLAN-Produkt ist nur zum Teil "
              "programmiert und muss neu konfiguriert werden")
        .arg(step)
        .arg(steps)
        .arg(QString::fromLatin1(command));
}

QString stoppedQueryText(int language) {
    return tr(language, "stopped: nothing was changed on the adapter",
              "abgebrochen: am WLAN-Produkt wurde nichts verändert");
}

bool stopAsked(const Environment& env) {
    return env.stop && env.stop->level() > 0;
}

QString stopCause(const Environment& env) {
    return StopSignals::name(env.stop ? env.stop->signal() : 0);
}

// The exit code of the command, or that of the signal when one asked to stop.
int exitCodeAfter(const Environment& env, int code) {
    return stopAsked(env) ? StopSignals::exitCode(env.stop->signal()) : code;
}

void printJson(ConsoleOutput& console, const QJsonObject& object) {
    console.out(QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Indented)));
}

// The log of one piece of work: to the file of --log, or nowhere. Records of a
// port configured beside others are held and written in one piece when it is done.
struct WorkLog {
    WorkLog(const Options& options, const Clock& clock, Prompts& prompts, bool hold)
        : active(!options.logFile.isEmpty()),
          writer(QString(), clock, prompts, [this] { active = false; }),
          log(writer, [this] { return active.load(); }) {
        writer.setFilePath(options.logFile);
        if (hold)
            writer.holdIn(&held);
    }
    std::atomic<bool> active;
    QByteArray held;
    LogWriter writer;
    EventLog log;
};

int runPorts(const Options& options, Environment& env) {
    QList<PortInfo> found;
    if (options.all) {
        found = env.ports.ports();
        std::sort(found.begin(), found.end(), [](const PortInfo& a, const PortInfo& b) {
            return portlist::nameLess(a.name, b.name);
        });
    } else {
        for (const QString& name : portlist::automatic(env.ports)) {
            PortInfo info;
            info.name = name;
            info.hasUsbIds = true;
            info.vendorId = kAdapterVendorId;
            info.productId = kAdapterProductId;
            found.append(info);
        }
    }
    if (options.json) {
        QJsonArray list;
        for (const PortInfo& info : found) {
            const QString id = usbId(info);
            list.append(QJsonObject{
                {QStringLiteral("port"), info.name},
                {QStringLiteral("usbId"), id.isEmpty() ? QJsonValue() : QJsonValue(id)}});
        }
        printJson(env.console, QJsonObject{{QStringLiteral("ports"), list}});
        return kExitOk;
    }
    QString text;
    for (const PortInfo& info : found) {
        const QString id = usbId(info);
        text += options.all && !id.isEmpty() ? info.name + u' ' + id + u'\n' : info.name + u'\n';
    }
    env.console.out(text);
    return kExitOk;
}

// One adapter's port with the objects that talk through it, for readout and scan.
struct Session {
    Session(const Options& options, Environment& env)
        : clock(env.makeClock()), port(env.makePort()), prompts(env.console, QString()),
          form(prompts), work(options, *clock, prompts, false), link(*clock),
          restart(env.sysfsRoot, *clock, work.log),
          opener(form, *port, link, restart, prompts, work.log), progress(env.console, 0) {
        form.setPort(options.ports.value(0));
        form.setLanguage(options.language);
        link.setProgressSink(&progress);
        link.setStopRequest(env.stop);
        env.console.startProgress(options.ports);
    }
    // After a stop signal: the message, its log record; true when there was one.
    bool stopped(const Environment& env, int language) {
        if (!stopAsked(env))
            return false;
        prompts.message(
            QStringLiteral("%1: %2").arg(form.selectedPort(), stoppedQueryText(language)),
            PromptIcon::None);
        work.log.entry({stopCause(env), QStringLiteral(": "), form.selectedPort(),
                        QStringLiteral(": "), stoppedQueryText(language), QStringLiteral("\n")});
        return true;
    }
    std::function<bool(int)> openPort() {
        return [this](int attempts) { return opened = opener.OpenSelectedPort(attempts); };
    }

    std::unique_ptr<Clock> clock;
    std::unique_ptr<SerialPort> port;
    ConsolePrompts prompts;
    HeadlessForm form;
    WorkLog work;
    ModuleLink link;
    UsbRestart restart;
    PortOpener opener;
    PortProgress progress;
    bool opened = false;
};

int runReadOut(const Options& options, Environment& env) {
    Session s(options, env);
    s.form.clearAccessTypeSet();
    ReadOut(s.form, s.link, s.work.log, s.openPort()).OnReadOut();
    env.console.endProgress();
    if (s.stopped(env, options.language)) {
        // Nothing read is shown: a read-out cut short could mislead.
        if (options.json)
            printJson(env.console, QJsonObject{{QStringLiteral("port"), s.form.selectedPort()},
                                               {QStringLiteral("ssid"), QJsonValue()},
                                               {QStringLiteral("security"), QJsonValue()},
                                               {QStringLiteral("channel"), QJsonValue()},
                                               {QStringLiteral("accessType"), QJsonValue()},
                                               {QStringLiteral("stopped"), stopCause(env)}});
        return exitCodeAfter(env, kExitRefused);
    }
    if (!s.opened)
        return kExitNoPort;

    const FormValues& v = s.form.values();
    const int securityIndex = s.form.securityIndex();
    bool channelOk = false;
    const int channel = v.m_strChannel.toInt(&channelOk);
    const bool hasChannel = channelOk && channel >= 0;
    const bool hasAccess = s.form.accessTypeSet();
    const QString access = !hasAccess         ? QString()
                           : s.form.isAdHoc() ? QStringLiteral("Ad Hoc")
                                              : QStringLiteral("Access Point");
    const int lang = options.language;
    if (options.json) {
        printJson(
            env.console,
            QJsonObject{
                {QStringLiteral("port"), s.form.selectedPort()},
                {QStringLiteral("ssid"), v.m_strSsid},
                {QStringLiteral("security"),
                 securityIndex >= 0 ? QJsonValue(security::name(securityIndex)) : QJsonValue()},
                {QStringLiteral("channel"), hasChannel ? QJsonValue(channel) : QJsonValue()},
                {QStringLiteral("accessType"), !hasAccess ? QJsonValue()
                                               : s.form.isAdHoc()
                                                   ? QJsonValue(QStringLiteral("ad-hoc"))
                                                   : QJsonValue(QStringLiteral("access-point"))},
            });
    } else {
        env.console.out(QStringLiteral("SSID: %1\n%2: %3\n%4: %5\n%6: %7\n")
                            .arg(v.m_strSsid, UiText(kTextEncryption, lang),
                                 security::name(securityIndex), UiText(kTextChannel, lang),
                                 hasChannel ? v.m_strChannel : QString(),
                                 tr(lang, "Access type", "Zugriffsverfahren"), access));
    }
    // A query that the adapter did not answer leaves its value out.
    return securityIndex >= 0 && hasChannel && hasAccess ? kExitOk : kExitRefused;
}

int runScan(const Options& options, Environment& env) {
    Session s(options, env);
    Scanner scanner(s.link, s.prompts, s.work.log, s.form);
    scanner.setLanguage(options.language);
    Scanner::Outcome outcome = Scanner::Outcome::Error;
    Netsearch(s.form, s.link, s.openPort(), [&] {
        outcome = scanner.ScanNetworks();
        return Netsearch::kCancelResult;
    }).OnNetsearch();
    env.console.endProgress();
    if (s.stopped(env, options.language)) {
        if (options.json)
            printJson(env.console, QJsonObject{{QStringLiteral("port"), s.form.selectedPort()},
                                               {QStringLiteral("networks"), QJsonArray()},
                                               {QStringLiteral("stopped"), stopCause(env)}});
        return exitCodeAfter(env, kExitRefused);
    }
    if (!s.opened)
        return kExitNoPort;
    if (outcome == Scanner::Outcome::Error || outcome == Scanner::Outcome::Timeout)
        return kExitRefused;

    const QList<ScanEntry> networks = OrderedByDamping(scanner.entries());
    auto accessText = [](const ScanEntry& e) {
        return e.bAccessPoint ? QStringLiteral("Access Point") : QStringLiteral("Ad-hoc");
    };
    if (options.json) {
        QJsonArray list;
        for (const ScanEntry& e : networks)
            list.append(QJsonObject{
                {QStringLiteral("ssid"), QString::fromUtf8(e.szSsid)},
                {QStringLiteral("accessType"),
                 e.bAccessPoint ? QStringLiteral("access-point") : QStringLiteral("ad-hoc")},
                {QStringLiteral("mac"), QString::fromUtf8(e.szMac)},
                {QStringLiteral("channel"), e.nChannel},
                {QStringLiteral("security"), security::name(e.nSecurity)},
                {QStringLiteral("damping"), e.nDamping},
            });
        printJson(env.console, QJsonObject{{QStringLiteral("port"), s.form.selectedPort()},
                                           {QStringLiteral("networks"), list}});
        return kExitOk;
    }
    const int lang = options.language;
    QString text =
        QStringLiteral("SSID\t%1\t%2\t%3\t%4\t%5\n")
            .arg(UiText(kTextAccess, lang), UiText(kTextMac, lang), UiText(kTextChannel, lang),
                 UiText(kTextEncryption, lang), UiText(kTextDamping, lang));
    for (const ScanEntry& e : networks)
        text += QStringLiteral("%1\t%2\t%3\t%4\t%5\t%6\n")
                    .arg(QString::fromUtf8(e.szSsid), accessText(e), QString::fromUtf8(e.szMac))
                    .arg(e.nChannel)
                    .arg(security::name(e.nSecurity))
                    .arg(e.nDamping);
    env.console.out(text);
    return kExitOk;
}

struct PortResult {
    ConfigureCommand::Outcome outcome = ConfigureCommand::Outcome::PortFailed;
    QString reason;
    QByteArray heldLog;
};

// One adapter configured on the calling thread, with its own port, clock and link.
PortResult configurePort(const Options& options, const QString& portName, int index,
                         const FormValues& values, CertificateStore& certificate, bool several,
                         Environment& env) {
    const std::unique_ptr<Clock> clock = env.makeClock();
    const std::unique_ptr<SerialPort> port = env.makePort();
    ConsolePrompts prompts(env.console, several ? portName + QStringLiteral(": ") : QString());
    HeadlessForm form(prompts);
    form.values() = values;
    form.setSecurityIndex(options.security);
    form.setAccessType(options.accessPoint, options.adHoc);
    form.setLanguage(options.language);
    form.setPort(portName);
    WorkLog work(options, *clock, prompts, several);
    ModuleLink link(*clock);
    PortProgress progress(env.console, index);
    link.setProgressSink(&progress);
    ConfigureCommand command(form, certificate, *port, link, *clock, prompts, work.log,
                             env.sysfsRoot);
    // A restart switches every adapter off and on: not while others are being programmed.
    command.restart().setEnabled(!several);
    const int lang = options.language;
    auto tell = [&](const QString& text) {
        prompts.message(several ? text : portName + QStringLiteral(": ") + text, PromptIcon::None);
        work.log.entry({stopCause(env), QStringLiteral(": "), portName, QStringLiteral(": "), text,
                        QStringLiteral("\n")});
    };
    link.setStopRequest(env.stop, [&] { tell(finishingText(lang)); });

    PortResult result;
    result.outcome = command.ProgramSelectedPort();
    if (result.outcome == ConfigureCommand::Outcome::Stopped)
        tell(stoppedUnchangedText(lang));
    else if (result.outcome == ConfigureCommand::Outcome::StoppedMidSequence)
        tell(stoppedMidSequenceText(lang, link.stepsDone(), link.stepsTotal(), link.lastCommand()));
    result.reason = prompts.lastText();
    result.heldLog = work.held;
    return result;
}

int runConfigure(const Options& options, const QString& key, const QString& password,
                 Environment& env) {
    // The checks once, before any port is opened.
    const std::unique_ptr<Clock> clock = env.makeClock();
    const std::unique_ptr<SerialPort> unused = env.makePort();
    ConsolePrompts prompts(env.console, QString());
    HeadlessForm form(prompts);
    form.setLanguage(options.language);
    FillForm(options, key, password, form);
    NoFilePicker picker;
    CertificateStore certificate(picker, prompts, form);
    if (!options.certificateFile.isEmpty() &&
        !certificate.LoadCertificateFile(options.certificateFile) && !certificate.certificate())
        env.console.err(QStringLiteral("%1: %2").arg(
            options.certificateFile, tr(options.language, "cannot be read", "nicht lesbar")));
    WorkLog work(options, *clock, prompts, false);
    ModuleLink link(*clock);
    ConfigureCommand checks(form, certificate, *unused, link, *clock, prompts, work.log,
                            env.sysfsRoot);
    if (!checks.CheckInputs())
        return kExitRefused;

    const bool several = options.ports.size() > 1;
    std::vector<PortResult> results(size_t(options.ports.size()));
    env.console.startProgress(options.ports);
    if (!several) {
        results[0] = configurePort(options, options.ports.first(), 0, form.values(), certificate,
                                   false, env);
    } else {
        std::vector<std::unique_ptr<QThread>> threads;
        for (qsizetype i = 0; i < options.ports.size(); ++i) {
            threads.emplace_back(QThread::create([&, i] {
                results[size_t(i)] = configurePort(options, options.ports.at(i), int(i),
                                                   form.values(), certificate, true, env);
            }));
            threads.back()->start();
        }
        for (const auto& thread : threads)
            thread->wait();
    }
    env.console.endProgress();

    int code = kExitOk;
    bool refused = false;
    QString lines;
    QJsonArray list;
    for (size_t i = 0; i < results.size(); ++i) {
        const PortResult& r = results[i];
        // (Without --log nothing is held, and an empty text writes nothing.)
        if (work.active && !r.heldLog.isEmpty()) // mutants: skip
            work.writer.LogWrite(QString::fromUtf8(r.heldLog));
        const bool ok = r.outcome == ConfigureCommand::Outcome::Programmed;
        const bool portRefused = r.outcome == ConfigureCommand::Outcome::ProgrammingFailed;
        const bool stopped = r.outcome == ConfigureCommand::Outcome::Stopped ||
                             r.outcome == ConfigureCommand::Outcome::StoppedMidSequence;
        if (!ok) {
            refused = refused || portRefused;
            code = refused ? kExitRefused : kExitNoPort;
        }
        // The stop texts of a single port carry its name already.
        QString message = ok ? QString() : r.reason.trimmed();
        const QString& port = options.ports.at(qsizetype(i));
        const QString own = port + QStringLiteral(": ");
        if (!several && message.startsWith(own))
            message = message.mid(own.size());
        if (!ok && message.isEmpty())
            message = QStringLiteral("failed");
        lines += own + (ok ? QStringLiteral("ok") : message) + u'\n';
        list.append(QJsonObject{
            {QStringLiteral("port"), port},
            {QStringLiteral("result"), ok        ? QStringLiteral("ok")
                                       : stopped ? QStringLiteral("stopped")
                                                 : QStringLiteral("failed")},
            {QStringLiteral("code"), ok            ? kExitOk
                                     : portRefused ? kExitRefused
                                                   : kExitNoPort},
            {QStringLiteral("message"), message},
        });
    }
    if (options.json) {
        QJsonObject document{{QStringLiteral("ports"), list}};
        if (stopAsked(env))
            document.insert(QStringLiteral("stopped"), stopCause(env));
        printJson(env.console, document);
    } else {
        env.console.out(lines);
    }
    return exitCodeAfter(env, code);
}

} // namespace

int RunCommand(const Options& options, const QString& key, const QString& password,
               Environment& env) {
    switch (options.command) {
    case Command::Ports:
        return runPorts(options, env);
    case Command::ReadOut:
        return runReadOut(options, env);
    case Command::Scan:
        return runScan(options, env);
    case Command::Configure:
        return runConfigure(options, key, password, env);
    case Command::Help:
    case Command::Version:
        break;
    }
    return kExitOk;
}

int StoppedAtQuestion(const Options& options, Environment& env) {
    const std::unique_ptr<Clock> clock = env.makeClock();
    ConsolePrompts prompts(env.console, QString());
    WorkLog work(options, *clock, prompts, false);
    const QString text = tr(
        options.language, "stopped at the question for the key or password: no adapter was touched",
        "bei der Frage nach Schlüssel oder Passwort abgebrochen: kein WLAN-Produkt wurde "
        "angesprochen");
    prompts.message(text, PromptIcon::None);
    work.log.entry({stopCause(env), QStringLiteral(": "), text, QStringLiteral("\n")});
    return exitCodeAfter(env, kExitUsage);
}

} // namespace velinor::cli
