// The adapter model's command splitter and input bound. Steps: control byte (what to do, how many
// copies: short inputs build lines far longer than the model keeps), length byte, bytes.
#include "base/clock.h"
#include "fuzz_check.h"
#include "sim/adapter_model.h"

using namespace velinor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray input = fuzz::bytes(data, size);
    QByteArray buffer = input;
    const QList<QByteArray> commands = AdapterModel::splitCommands(buffer);
    // Line feeds in front of a command are dropped; a command ends with its "\r"; the rest waits.
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
    static const QByteArray kNames[] = {"AT+IRP20", "AT+IWLSI", "AT+IWST0", "AT+IWLCH", "AT+IWPP0",
                                        "AT+IWKY0", "AT+IFD",   "AT+IDOWN", "AT+IBDRF", "AT+ICA"};
    ManualClock clock;
    AdapterModel model(clock);
    qsizetype budget = 4 * AdapterModel::kMaxPendingInput;
    for (size_t i = 0; i + 2 <= size;) {
        const uint8_t control = data[i];
        const QByteArray chunk = fuzz::bytes(data + i + 2, qMin<size_t>(data[i + 1], size - i - 2));
        i += 2 + size_t(chunk.size());
        switch (control & 0x07) {
        case 0: {
            // Many copies of a part line: long lines are what the bound is about.
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
