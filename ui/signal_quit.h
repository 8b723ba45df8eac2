#pragma once

#include "base/stop_signals.h"

#include <QObject>
#include <QPointer>
#include <QSocketNotifier>

class QWidget;

namespace velinor {

// SIGTERM and SIGHUP (a session that ends) and Ctrl+C in the terminal that started the
// tool, handled as the close box: the form's own dialogs that wait for the user (message
// boxes, About, the network dialog) are closed, and the form is asked to close. During an
// exchange with the adapter the request is remembered and carried out once the exchange
// and its message have ended (BusyScope), so that no adapter is left half-programmed.
// The only place of the form that knows about signals.
class SignalQuit : public QObject {
public:
    explicit SignalQuit(QWidget* form);

    // How many of the signals have come.
    int received() const { return m_signals.level(); }

private:
    void onSignal();

    StopSignals m_signals;
    QSocketNotifier m_notifier;
    QPointer<QWidget> m_form;
};

} // namespace velinor
