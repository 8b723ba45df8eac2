#include "ui/signal_quit.h"

#include <QApplication>
#include <QDialog>
#include <QWidget>

namespace velinor {

SignalQuit::SignalQuit(QWidget* form)
    : m_notifier(m_signals.wakeFd(), QSocketNotifier::Read), m_form(form) {
    m_notifier.setEnabled(m_signals.installed());
    connect(&m_notifier, &QSocketNotifier::activated, this, &SignalQuit::onSignal);
}

void SignalQuit::onSignal() {
    m_signals.drain();
    for (QWidget* window : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(window);
        if (dialog && dialog != m_form && dialog->isVisible())
            dialog->reject();
    }
    if (m_form)
        m_form->close(); // as the close box: remembered while an exchange runs
}

} // namespace velinor
