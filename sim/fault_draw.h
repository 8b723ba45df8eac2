#pragma once

#include <QByteArray>
#include <QList>

namespace velinor {

class AdapterModel;

// One fault for the simulated adapter, as drawn by FaultDraw.
struct DrawnFault {
    enum class Kind { None, Silent, Error, Garbage, Late, Split, Vanish };
    Kind kind = Kind::None;
    QByteArray command; // Silent, Error, Garbage, Late: the command's name, e.g. "AT+IWLSI"
    int ms = 0;         // Late: delay of the reply; Split: gap between the parts
    int count = 0;      // Split: parts of each reply; Vanish: commands answered before

    // One line: "none", "silent AT+IWLSI", "error AT+IWLSI", "garbage AT+IWLSI",
    // "late AT+IWLSI 1800", "split 3 40" (parts, gap) or "vanish 4" (commands answered).
    QByteArray describe() const;
    // Clears the model's faults and sets this one. A vanish after 0 commands leaves
    // the model vanished at once.
    void applyTo(AdapterModel& model) const;
};

// Faults drawn one after the other from a seed: the same seed gives the same faults,
// on every machine (splitmix64, no library distribution). Each kind is equally likely;
// a late reply is either short (up to kShortLateMaxMs, still in the tool's read window)
// or long (kLongLateMinMs to kLongLateMaxMs: past the window of one command, but before
// the next command's).
class FaultDraw {
public:
    static constexpr int kShortLateMaxMs = 150;
    static constexpr int kLongLateMinMs = 1600;
    static constexpr int kLongLateMaxMs = 2200;
    static constexpr int kMaxSplitParts = 4;
    static constexpr int kMaxSplitGapMs = 40;
    static constexpr int kMaxVanishAfter = 11;

    explicit FaultDraw(quint64 seed) : m_state(seed) {}
    DrawnFault next();
    // The commands a fault is drawn for: those the tool sends.
    static const QList<QByteArray>& commands();

private:
    quint64 nextRaw();
    int below(int n); // 0 <= result < n
    int between(int low, int high) { return low + below(high - low + 1); }

    quint64 m_state;
};

} // namespace velinor
