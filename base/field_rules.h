#pragma once

namespace velinor {

// What the selected security type allows in the main form.
struct FieldRule {
    bool keyEnabled = true;
    bool enterpriseEnabled = false; // user name, password, domain, certificate button
    int keyLimit = 63;              // bytes (UTF-8) that can be typed into the key field
    int clearKeyLongerThan = -1;    // a stored key longer than this is emptied; -1: kept
};

// The rule for an item index of the security-type combo (-1: none selected).
// Indexes outside -1 to 6 get the rule of "none selected".
FieldRule SecurityFieldRule(int index);

} // namespace velinor

#include <QString>

namespace velinor {

// The adapter's limits count the bytes that a command carries, and the
// commands carry UTF-8: "ä" takes two.
qsizetype Utf8Size(const QString& text);
// The longest start of text that takes at most maxBytes bytes in UTF-8, cut
// between two characters (never inside a letter with its accents).
QString Utf8Left(const QString& text, qsizetype maxBytes);

// The form's message for a field that holds more than maxBytes bytes, in the
// language of the offset (0 German, 10000 English).
QString MaxCharsMessage(int maxBytes, int langOffset);

// The certificate file filter of the catalogue ("Text (*.pem)|*.pem|...||") in
// Qt's notation ("Text (*.pem) (*.pem);;..."): each description whole, then the
// patterns in parentheses, for a chooser that hides those ("*.*" becomes "*").
QString QtFileFilter(const QString& filter);

} // namespace velinor
