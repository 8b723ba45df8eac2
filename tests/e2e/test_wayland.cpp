// The form, the security type's tip list and the network dialog under a Wayland compositor
// (run by under_weston.sh, which starts a headless weston): each window is mapped by the
// compositor and painted. The adapter is the simulated one, in virtual time.
#include "form_bench.h"

#include "ui/tip_combo_box.h"
#include "ui/tip_list_ctrl.h"

#include <QGuiApplication>
#include <QTableWidget>
#include <QTest>

using namespace velinor;
using namespace velinor::fakes;

namespace {

// The window is mapped (the compositor has configured its surface) and then painted.
class Painted : public QObject {
public:
    explicit Painted(QWidget* window) : m_window(window) { window->installEventFilter(this); }
    bool wait() {
        return QTest::qWaitForWindowExposed(m_window, 5000) &&
               QTest::qWaitFor([this] { return m_paints > 0; });
    }

protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        m_paints += event->type() == QEvent::Paint;
        return false;
    }

private:
    QWidget* m_window;
    int m_paints = 0;
};

} // namespace

class TestWayland : public QObject {
    Q_OBJECT
private slots:
    void windowsMapAndPaint() {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("wayland"));
        FormBench b;
        CSetupDlg& d = b.start();
        QVERIFY(Painted(&d).wait());
        auto* combo = qobject_cast<CTipComboBox*>(d.control(CSetupDlg::IDC_SECURITY));
        Painted list(combo->tipList());
        combo->ShowTipList(true);
        QVERIFY(list.wait());
        combo->ShowTipList(false);
        bool dialogPainted = false;
        b.netsearch([&](CScanDlg& dialog) {
            dialogPainted = Painted(&dialog).wait() && dialog.networkList()->rowCount() == 8;
            dialog.cancelButton()->click();
        });
        QVERIFY(dialogPainted);
    }
};

QTEST_MAIN(TestWayland)
#include "test_wayland.moc"
