#include "sim/sim_options.h"

#include "sim/adapter_model.h"
#include "sim/pty_server.h"

#include <QCommandLineParser>
#include <QFile>

namespace velinor::sim_options {

namespace {

bool toCount(const QString& text, int minimum, int& value) {
    bool ok = false;
    value = text.toInt(&ok);
    return ok && value >= minimum;
}

} // namespace

void add(QCommandLineParser& parser) {
    parser.addOptions({
        {QStringLiteral("transcript"),
         QStringLiteral("Write every command received to <file>, one per line, \\r for "
                        "a carriage return and \\n for a line feed."),
         QStringLiteral("file")},
        {QStringLiteral("networks"),
         QStringLiteral("The networks that a scan finds: one line per network, such as "
                        "office,AP,00:1A:2B:3C:4D:5E,WPA2,6,62. An empty file: none in range."),
         QStringLiteral("file")},
        {QStringLiteral("silent"), QStringLiteral("Do not answer <command> (e.g. AT+IWLSI)."),
         QStringLiteral("command")},
        {QStringLiteral("error"), QStringLiteral("Answer <command> with I/ERROR."),
         QStringLiteral("command")},
        {QStringLiteral("garbage"), QStringLiteral("Answer <command> with random bytes."),
         QStringLiteral("command")},
        {QStringLiteral("late"),
         QStringLiteral("Answer <command> only <ms> milliseconds after it arrived."),
         QStringLiteral("command=ms")},
        {QStringLiteral("split"), QStringLiteral("Send every reply in <n> parts."),
         QStringLiteral("n")},
        {QStringLiteral("split-gap"),
         QStringLiteral("Milliseconds between the parts of a split reply (default 100)."),
         QStringLiteral("ms"), QStringLiteral("100")},
        {QStringLiteral("vanish-after"),
         QStringLiteral("Vanish after <n> commands, as when the adapter is unplugged."),
         QStringLiteral("n")},
        {QStringLiteral("key-delay"),
         QStringLiteral("Milliseconds before a key command is answered (default 2000)."),
         QStringLiteral("ms")},
        {QStringLiteral("scan-delay"),
         QStringLiteral("Milliseconds before a scan is answered (default 4000)."),
         QStringLiteral("ms")},
    });
}

QByteArray commandName(const QString& text) {
    QByteArray name = text.trimmed().toLatin1().toUpper();
    if (name.startsWith("AT+I"))
        return name;
    if (name.startsWith('I'))
        return "AT+" + name;
    return "AT+I" + name;
}

bool loadNetworks(const QString& path, QList<QByteArray>& lines, QString& error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    lines.clear();
    const QList<QByteArray> all = file.readAll().split('\n');
    for (QByteArray line : all) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (!line.trimmed().isEmpty())
            lines.append(line);
    }
    return true;
}

bool apply(const QCommandLineParser& parser, PtyServer& server, QString& error) {
    AdapterModel& model = server.model();
    if (parser.isSet(QStringLiteral("networks"))) {
        QList<QByteArray> lines;
        if (!loadNetworks(parser.value(QStringLiteral("networks")), lines, error))
            return false;
        model.setNetworks(lines);
    }
    const struct {
        const char* option;
        AdapterModel::Fault fault;
    } faults[] = {{"silent", AdapterModel::Fault::Silent},
                  {"error", AdapterModel::Fault::Error},
                  {"garbage", AdapterModel::Fault::Garbage}};
    for (const auto& f : faults) {
        const QStringList commands = parser.values(QLatin1String(f.option));
        for (const QString& command : commands)
            model.setFault(commandName(command), f.fault);
    }
    const QStringList late = parser.values(QStringLiteral("late"));
    for (const QString& item : late) {
        const qsizetype eq = item.lastIndexOf(QLatin1Char('='));
        int ms = 0;
        if (eq <= 0 || !toCount(item.mid(eq + 1), 0, ms)) {
            error = QStringLiteral("--late wants command=ms, not %1").arg(item);
            return false;
        }
        model.setDelay(commandName(item.left(eq)), ms);
    }
    int value = 0;
    if (parser.isSet(QStringLiteral("split"))) {
        int gap = 0;
        if (!toCount(parser.value(QStringLiteral("split")), 1, value) ||
            !toCount(parser.value(QStringLiteral("split-gap")), 0, gap)) {
            error = QStringLiteral("--split wants a number of parts of 1 or more");
            return false;
        }
        model.setSplit(value, gap);
    }
    const struct {
        const char* option;
        void (AdapterModel::*set)(int);
    } numbers[] = {{"vanish-after", &AdapterModel::vanishAfter},
                   {"key-delay", &AdapterModel::setKeyDelayMs},
                   {"scan-delay", &AdapterModel::setScanDelayMs}};
    for (const auto& n : numbers) {
        const QString option = QLatin1String(n.option);
        if (!parser.isSet(option))
            continue;
        if (!toCount(parser.value(option), 0, value)) {
            error = QStringLiteral("--%1 wants a number of 0 or more").arg(option);
            return false;
        }
        (model.*n.set)(value);
    }
    if (model.vanished())
        server.vanish();
    if (parser.isSet(QStringLiteral("transcript")) &&
        !server.setTranscriptFile(parser.value(QStringLiteral("transcript")))) {
        error = server.errorString();
        return false;
    }
    return true;
}

} // namespace velinor::sim_options
