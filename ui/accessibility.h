#pragma once

#include <QComboBox>
#include <QString>

namespace velinor {

// A drop-down list that a screen reader announces by the text of its label
// (its accessible name) and whose current entry is its value. Qt's own
// interface for combo boxes reports the current entry as the name on Linux,
// so that a list without a selection has none and one with a selection is
// announced by its entry alone.
class LabelledComboBox : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;
};

// Registers the accessible interface of LabelledComboBox; once per process,
// before the first such box is asked for it.
void InstallAccessibility();

// A control's text as it is read: without the & that marks the mnemonic
// ("&&" stands for one &).
QString WithoutMnemonic(const QString& text);

// Sets the accessible name only when it changes, so that a screen reader hears
// of real changes only.
void SetAccessibleName(QWidget* widget, const QString& name);

} // namespace velinor
