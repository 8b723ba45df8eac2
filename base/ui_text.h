#pragma once

#include <QString>

namespace velinor {

// Language offsets: a German text has an id below 10000, its English
// counterpart the same id plus 10000.
constexpr int kGerman = 0;
constexpr int kEnglish = 10000;

// The application title, the same in both languages.
constexpr int kTitleId = 57344;

// Looks up the text of id + offset. A missing id gives an empty text and false.
bool UiText(int germanId, int offset, QString* text);
// The same, for callers that only need the text (empty when missing).
QString UiText(int germanId, int offset);

} // namespace velinor
