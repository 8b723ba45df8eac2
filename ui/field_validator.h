#pragma once

#include "base/field_rules.h"

#include <QLineEdit>
#include <QString>
#include <QValidator>

#include <algorithm>

namespace velinor {

// Typing rules of an edit field: no control characters (a carriage return or a
// line feed would end an adapter command early), optionally digits only, and a
// number of bytes (UTF-8, as the adapter's command carries the text) that
// typing cannot exceed. Pasted text is cut where the limit is reached, between
// two characters. Text that the program puts into the field is not checked
// here: it stays whole and can still be shortened.
class FieldValidator : public QValidator {
public:
    FieldValidator(QLineEdit* edit, int maxBytes, bool digitsOnly)
        : QValidator(edit), m_maxBytes(maxBytes), m_digitsOnly(digitsOnly) {
        connect(edit, &QLineEdit::textChanged, this,
                [this](const QString& text) { m_lastText = text; });
    }

    void setMaxChars(int maxBytes) { m_maxBytes = maxBytes; }
    // The program is about to put this text into the field: it is accepted
    // whole, and typing may shorten it from there.
    void expectText(const QString& text) const { m_lastText = text; }
    int maxChars() const { return m_maxBytes; }

    State validate(QString& input, int& pos) const override {
        for (const QChar c : input) {
            if (c.category() == QChar::Other_Control)
                return Invalid;
            if (m_digitsOnly && (c < u'0' || c > u'9'))
                return Invalid;
        }
        const qsizetype bytes = Utf8Size(input);
        if (m_maxBytes < 0 || bytes <= m_maxBytes || bytes <= Utf8Size(m_lastText))
            return Acceptable;
        return takeWhatFits(input, pos);
    }

private:
    // The text before the cursor that was not there before is what was typed or
    // pasted; it keeps as much of its start as the limit leaves room for.
    State takeWhatFits(QString& input, int& pos) const {
        const qsizetype cursor = std::clamp<qsizetype>(pos, 0, input.size());
        const QString after = input.mid(cursor);
        // A field never typed into holds a null text, which ends with no empty text.
        if (!after.isEmpty() && !m_lastText.endsWith(after))
            return Invalid;
        const QString before = m_lastText.left(m_lastText.size() - after.size());
        qsizetype start = 0;
        while (start < cursor && start < before.size() && input.at(start) == before.at(start))
            ++start;
        const QString kept = input.left(start);
        const QString inserted =
            Utf8Left(input.mid(start, cursor - start), m_maxBytes - Utf8Size(kept + after));
        if (inserted.isEmpty())
            return Invalid;
        input = kept + inserted + after;
        pos = int(kept.size() + inserted.size());
        return Acceptable;
    }

    int m_maxBytes;
    bool m_digitsOnly;
    mutable QString m_lastText;
};

} // namespace velinor
