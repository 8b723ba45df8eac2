#pragma once

#include <QLineEdit>
#include <QString>
#include <QValidator>

namespace velinor {

// Typing rules of an edit field: no control characters (a carriage return or a
// line feed would end an adapter command early), optionally digits only, and a
// number of characters that typing cannot exceed. Text that the program puts
// into the field is not checked here: it stays whole and can still be shortened.
class FieldValidator : public QValidator {
public:
    FieldValidator(QLineEdit* edit, int maxChars, bool digitsOnly)
        : QValidator(edit), m_maxChars(maxChars), m_digitsOnly(digitsOnly) {
        connect(edit, &QLineEdit::textChanged, this,
                [this](const QString& text) { m_lastLength = text.size(); });
    }

    void setMaxChars(int maxChars) { m_maxChars = maxChars; }
    // The program is about to put this text into the field: it is accepted
    // whole, and typing may shorten it from there.
    void expectText(const QString& text) const { m_lastLength = text.size(); }
    int maxChars() const { return m_maxChars; }

    State validate(QString& input, int& /*pos*/) const override {
        for (const QChar c : input) {
            if (c.category() == QChar::Other_Control)
                return Invalid;
            if (m_digitsOnly && (c < u'0' || c > u'9'))
                return Invalid;
        }
        if (m_maxChars >= 0 && input.size() > m_maxChars && input.size() > m_lastLength)
            return Invalid;
        return Acceptable;
    }

private:
    int m_maxChars;
    bool m_digitsOnly;
    mutable qsizetype m_lastLength = 0;
};

} // namespace velinor
