#include "sim/fault_draw.h"

#include "sim/adapter_model.h"

namespace velinor {

QByteArray DrawnFault::describe() const {
    switch (kind) {
    case Kind::None:
        break;
    case Kind::Silent:
        return "silent " + command;
    case Kind::Error:
        return "error " + command;
    case Kind::Garbage:
        return "garbage " + command;
    case Kind::Late:
        return "late " + command + ' ' + QByteArray::number(ms);
    case Kind::Split:
        return "split " + QByteArray::number(count) + ' ' + QByteArray::number(ms);
    case Kind::Vanish:
        return "vanish " + QByteArray::number(count);
    }
    return "none";
}

void DrawnFault::applyTo(AdapterModel& model) const {
    model.clearFaults();
    switch (kind) {
    case Kind::None:
        break;
    case Kind::Silent:
        model.setFault(command, AdapterModel::Fault::Silent);
        break;
    case Kind::Error:
        model.setFault(command, AdapterModel::Fault::Error);
        break;
    case Kind::Garbage:
        model.setFault(command, AdapterModel::Fault::Garbage);
        break;
    case Kind::Late:
        model.setDelay(command, ms);
        break;
    case Kind::Split:
        model.setSplit(count, ms);
        break;
    case Kind::Vanish:
        model.vanishAfter(count);
        break;
    }
}

const QList<QByteArray>& FaultDraw::commands() {
    static const QList<QByteArray> names = {
        "AT+IBDRF", "AT+IFD", "AT+IHIF",  "AT+IWLSI", "AT+IWST0", "AT+IWLCH", "AT+IWKY0",
        "AT+IWPP0", "AT+ICA", "AT+IEUSN", "AT+IBRM",  "AT+IDOWN", "AT+IRP20"};
    return names;
}

quint64 FaultDraw::nextRaw() {
    quint64 z = (m_state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

int FaultDraw::below(int n) {
    return n <= 1 ? 0 : int(nextRaw() % quint64(n));
}

DrawnFault FaultDraw::next() {
    using Kind = DrawnFault::Kind;
    constexpr int kKinds = int(Kind::Vanish) + 1;
    DrawnFault fault;
    fault.kind = Kind(below(kKinds));
    switch (fault.kind) {
    case Kind::None:
        break;
    case Kind::Silent:
    case Kind::Error:
    case Kind::Garbage:
        fault.command = commands().at(below(int(commands().size())));
        break;
    case Kind::Late:
        fault.command = commands().at(below(int(commands().size())));
        fault.ms =
            below(2) == 0 ? between(0, kShortLateMaxMs) : between(kLongLateMinMs, kLongLateMaxMs);
        break;
    case Kind::Split:
        fault.count = between(2, kMaxSplitParts);
        fault.ms = between(0, kMaxSplitGapMs);
        break;
    case Kind::Vanish:
        fault.count = between(0, kMaxVanishAfter);
        break;
    }
    return fault;
}

} // namespace velinor
