#include "ui/accessibility.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>

namespace velinor {

namespace {

class LabelledComboBoxAccessible : public QAccessibleWidget {
public:
    explicit LabelledComboBoxAccessible(QComboBox* box)
        : QAccessibleWidget(box, QAccessible::ComboBox) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value)
            return box()->currentText();
        // The accessible name, else the text of the label whose buddy the box
        // is; only a box without either is named by its entry.
        QString text = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && text.isEmpty())
            text = box()->currentText();
        return text;
    }

    // The open list is the box's one child, as with Qt's own interface.
    int childCount() const override { return 1; } // (a box always has its view)
    QAccessibleInterface* child(int index) const override {
        return index == 0 && box()->view() ? QAccessible::queryAccessibleInterface(box()->view())
                                           : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child && child->object() == box()->view() ? 0 : -1;
    }

    QStringList actionNames() const override {
        return QAccessibleWidget::actionNames() << showMenuAction();
    }
    void doAction(const QString& action) override {
        if (action == showMenuAction() || action == pressAction())
            box()->showPopup();
        else
            QAccessibleWidget::doAction(action);
    }

private:
    QComboBox* box() const { return static_cast<QComboBox*>(widget()); }
};

QAccessibleInterface* labelledComboBoxFactory(const QString& /*classname*/, QObject* object) {
    if (auto* box = qobject_cast<LabelledComboBox*>(object))
        return new LabelledComboBoxAccessible(box);
    return nullptr;
}

} // namespace

void InstallAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(labelledComboBoxFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

QString WithoutMnemonic(const QString& text) {
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'&' && ++i == text.size())
            break;
        out += text.at(i);
    }
    return out;
}

void SetAccessibleName(QWidget* widget, const QString& name) {
    if (widget->accessibleName() != name)
        widget->setAccessibleName(name);
}

} // namespace velinor
