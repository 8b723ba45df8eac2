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
#include <QTextBoundaryFinder>

namespace velinor {

qsizetype Utf8Size(const QString& text) {
    return text.toUtf8().size();
}

QString Utf8Left(const QString& text, qsizetype maxBytes) {
    if (Utf8Size(text) <= maxBytes)
        return text;
    QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, text);
    qsizetype fits = 0;
    for (qsizetype end = characters.toNextBoundary(); end > 0; end = characters.toNextBoundary()) {
        if (Utf8Size(text.left(end)) > maxBytes)
            break;
        fits = end;
    }
    return text.left(fits);
}

QString MaxCharsMessage(int maxBytes, int langOffset) {
    if (langOffset == kEnglish)
        return QString::fromUtf8("Please enter no more than %1 bytes (UTF-8; ä takes two).")
            .arg(maxBytes);
    return QString::fromUtf8("Bitte geben Sie nicht mehr als %1 Bytes ein (UTF-8; ä belegt zwei).")
        .arg(maxBytes);
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
        QStringList qtPatterns = patterns.split(u';', Qt::SkipEmptyParts);
        for (QString& pattern : qtPatterns) {
            pattern = pattern.trimmed();
            // "*.*" means every file, also one without a dot in its name.
            if (pattern == QLatin1String("*.*"))
                pattern = QStringLiteral("*");
        }
        // Qt takes the patterns from the last parentheses; the chooser hides
        // them, so that the description is shown as the catalogue has it.
        entries.append((description.isEmpty() ? qtPatterns.join(u' ') : description) +
                       QStringLiteral(" (") + qtPatterns.join(u' ') + u')');
    }
    return entries.join(QStringLiteral(";;"));
}

} // namespace velinor
