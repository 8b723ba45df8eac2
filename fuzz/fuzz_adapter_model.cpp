// The adapter model's command splitter and its input bound over arbitrary host bytes. The input
// is a list of steps: a control byte, a length byte and that many bytes. The control byte picks
// what the step does and how many copies of its bytes are sent, so that short inputs build lines
// far longer than the model keeps.
#include "base/clock.h"
#include "fuzz_check.h"
#include "sim/adapter_model.h"

using namespace velinor;

namespace {

void checkSplit(const QByteArray& input) {
    QByteArray buffer = input;
    const QList<QByteArray> commands = AdapterModel::splitCommands(buffer);
    // As the adapter takes them: line feeds in front of a command belong to the line end before
    // it and are dropped; a command runs up to and including its "\r"; the rest waits.
    QList<QByteArray> expected;
    QByteArray current;
    for (const char c : input) {
        if (!current.isEmpty() || c != '\n')
            current.append(c);
        if (c == '\r')
            expected.append(std::exchange(current, {}));
    }
    FUZZ_CHECK(commands == expected && buffer == current);
    for (const QByteArray& c : commands) {
        const QByteArray name = AdapterModel::commandName(c);
        FUZZ_CHECK(c.startsWith(name) && !name.contains('=') && !name.contains('?') &&
                   !name.contains('\r'));
    }
}

const QByteArray kNames[] = {"AT+IRP20", "AT+IWLSI", "AT+IWST0", "AT+IWLCH", "AT+IWPP0",
                             "AT+IWKY0", "AT+IFD",   "AT+IDOWN", "AT+IBDRF", "AT+ICA"};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    checkSplit(fuzz::bytes(data, size));
    ManualClock clock;
    AdapterModel model(clock);
    // Bytes the copies may add up to in one input: enough to pass the bound a few times.
    qsizetype budget = 4 * AdapterModel::kMaxPendingInput;
    for (size_t i = 0; i + 2 <= size;) {
        const uint8_t control = data[i];
        const QByteArray chunk = fuzz::bytes(data + i + 2, qMin<size_t>(data[i + 1], size - i - 2));
        i += 2 + size_t(chunk.size());
        switch (control & 0x07) {
        case 0: {
            // Many copies at once; copies of whole commands only cost time, long lines are what
            // the bound is about.
            const qsizetype copies =
                chunk.contains('\r') ? 1 + (control >> 6) : 1 + qsizetype(control >> 3) * 700;
            const QByteArray many = chunk.repeated(
                qMin(copies, qMax<qsizetype>(budget, 0) / qMax<qsizetype>(chunk.size(), 1)));
            budget -= many.size();
            model.receive(many);
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
            model.takeOutput(chunk.size() * 64);
            break;
        default:
            model.receive(chunk);
        }
        FUZZ_CHECK(model.pendingInput() <= AdapterModel::kMaxPendingInput);
        FUZZ_CHECK(model.pendingOutput() >= 0);
    }
    return 0;
}
