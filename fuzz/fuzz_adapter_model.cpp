// The adapter model's command splitter and its input bound over arbitrary host bytes.
//
// The input is a list of steps, each a control byte and a length byte followed
// by that many bytes. The control byte picks what the step does and how many
// copies of its bytes are sent, so that short inputs can build lines far longer
// than the model keeps.

#include "base/clock.h"
#include "fuzz_check.h"
#include "sim/adapter_model.h"

using namespace velinor;

namespace {

// Commands as the adapter takes them: line feeds in front of a command belong
// to the line end before it and are dropped; a command runs up to and
// including its "\r"; what follows the last "\r" waits.
void referenceSplit(const QByteArray& input, QList<QByteArray>* commands, QByteArray* rest) {
    QByteArray current;
    for (const char c : input) {
        if (current.isEmpty() && c == '\n')
            continue;
        current.append(c);
        if (c == '\r') {
            commands->append(current);
            current.clear();
        }
    }
    *rest = current;
}

void checkSplit(const QByteArray& input) {
    QByteArray buffer = input;
    const QList<QByteArray> commands = AdapterModel::splitCommands(buffer);
    QByteArray joined;
    for (const QByteArray& c : commands) {
        FUZZ_CHECK(c.endsWith('\r'));
        FUZZ_CHECK(c.count('\r') == 1);
        FUZZ_CHECK(!c.startsWith('\n'));
        joined += c;

        const QByteArray name = AdapterModel::commandName(c);
        FUZZ_CHECK(c.startsWith(name));
        FUZZ_CHECK(!name.contains('=') && !name.contains('?') && !name.contains('\r'));
    }
    FUZZ_CHECK(!buffer.contains('\r'));
    joined += buffer;
    // Only line feeds are ever dropped.
    FUZZ_CHECK(joined.size() <= input.size());
    FUZZ_CHECK(QByteArray(input).replace('\n', "") == QByteArray(joined).replace('\n', ""));

    QList<QByteArray> expected;
    QByteArray expectedRest;
    referenceSplit(input, &expected, &expectedRest);
    FUZZ_CHECK(commands == expected);
    FUZZ_CHECK(buffer == expectedRest);
}

const QByteArray kNames[] = {"AT+IRP20", "AT+IWLSI", "AT+IWST0", "AT+IWLCH", "AT+IWPP0",
                             "AT+IWKY0", "AT+IFD",   "AT+IDOWN", "AT+IBDRF", "AT+ICA"};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray all = fuzz::bytes(data, size);
    checkSplit(all);

    ManualClock clock;
    AdapterModel model(clock);
    // Bytes the copies may add up to in one input: enough to pass the bound a few times.
    qsizetype budget = 4 * AdapterModel::kMaxPendingInput;
    size_t i = 0;
    while (i + 2 <= size) {
        const uint8_t control = data[i];
        const size_t length = qMin<size_t>(data[i + 1], size - i - 2);
        const QByteArray chunk = fuzz::bytes(data + i + 2, length);
        i += 2 + length;
        switch (control & 0x07) {
        case 0: {
            // Many copies at once: lines far beyond the bound in one or a few reads.
            // Copies of whole commands only cost time; long lines are what the bound is about.
            const qsizetype copies =
                chunk.contains('\r') ? 1 + (control >> 6) : 1 + qsizetype(control >> 3) * 700;
            const qsizetype room = qMax<qsizetype>(budget, 0) / qMax<qsizetype>(chunk.size(), 1);
            const QByteArray many = chunk.repeated(qMin(copies, room));
            budget -= many.size();
            model.receive(many);
            FUZZ_CHECK(model.pendingInput() <= AdapterModel::kMaxPendingInput);
            break;
        }
        case 1:
            model.setFault(kNames[(control >> 3) % std::size(kNames)],
                           AdapterModel::Fault((control >> 6) & 0x03));
            break;
        case 2:
            model.setSplit(1 + (control >> 5), control >> 3);
            break;
        case 3:
            clock.advance(qint64(control >> 3) * 500);
            model.takeOutput(qint64(length) * 64);
            break;
        default:
            model.receive(chunk);
            break;
        }
        FUZZ_CHECK(model.pendingInput() <= AdapterModel::kMaxPendingInput);
        FUZZ_CHECK(model.pendingOutput() >= 0);
    }
    return 0;
}
