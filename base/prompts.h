#pragma once

#include <QString>

namespace velinor {

enum class PromptIcon { None, Warning, Error, Information };

// Modal message boxes. The caption is always the application title "Velinor".
class Prompts {
public:
    virtual ~Prompts() = default;
    virtual void message(const QString& text, PromptIcon icon) = 0;
};

} // namespace velinor
