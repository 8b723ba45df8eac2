#pragma once

#include "link/module_link.h"

#include <QObject>
#include <QPointer>

class QProgressBar;
class QWidget;

namespace velinor {

// While an exchange with the adapter runs: the wait cursor, the progress bar
// under the buttons, and no clicks or keys for the form. Input meant for the
// form is thrown away, not kept for later; message boxes shown meanwhile are
// windows of their own and work as usual. A request to close the form (close
// box, Alt+F4, the window manager) is the one exception: it is remembered and
// carried out once the scope has ended, after the exchange and its message.
class BusyScope : public QObject, public ProgressSink {
public:
    BusyScope(QWidget* form, QProgressBar* bar, ModuleLink& link);
    ~BusyScope() override;
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

    void progress(int done, int total) override;

    // Hides the bar and the wait cursor early, for example before a dialog of
    // its own takes over; the form stays closed to input until the scope ends.
    void suspend();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> m_form;
    QPointer<QProgressBar> m_bar;
    ModuleLink& m_link;
    bool m_cursor = false;
    bool m_closeRequested = false;
};

} // namespace velinor
