#include "base/field_rules.h"

#include "base/security_type.h"

namespace velinor {

FieldRule SecurityFieldRule(int index) {
    FieldRule rule;
    switch (index) {
    case security::kNone:
        rule.keyEnabled = false;
        break;
    case security::kWep:
        rule.keyLimit = 10;
        rule.clearKeyLongerThan = 10;
        break;
    case security::kWep128:
        rule.keyLimit = 26;
        rule.clearKeyLongerThan = 26;
        break;
    case security::kWpaEnterprise:
    case security::kWpa2Enterprise:
        rule.keyEnabled = false;
        rule.enterpriseEnabled = true;
        break;
    default: // none selected, WPA, WPA2
        break;
    }
    return rule;
}

} // namespace velinor

#include "base/ui_text.h"

#include <QStringList>

namespace velinor {

QString MaxCharsMessage(int maxChars, int langOffset) {
    if (langOffset == kEnglish)
        return QStringLiteral("Please enter no more than %1 characters.").arg(maxChars);
    return QStringLiteral("Bitte geben Sie nicht mehr als %1 Zeichen ein.").arg(maxChars);
}

QString QtFileFilter(const QString& filter) {
    const QStringList parts = filter.split(u'|');
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts.at(i).trimmed();
        const QString patterns = parts.at(i + 1).trimmed();
        if (description.isEmpty() && patterns.isEmpty())
            break; // "||" ends the list
        if (patterns.isEmpty())
            continue;
        QString qtPatterns = patterns;
        qtPatterns.replace(u';', u' ');
        // Qt takes the patterns from the parentheses of the entry.
        if (description.contains(u'(') && description.endsWith(u')'))
            entries.append(description);
        else
            entries.append((description.isEmpty() ? QString() : description + u' ') + u'(' +
                           qtPatterns + u')');
    }
    return entries.join(QStringLiteral(";;"));
}

} // namespace velinor
