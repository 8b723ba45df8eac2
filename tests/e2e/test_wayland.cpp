// The form, the security type's tip list and the network dialog under a Wayland compositor
// (run by run_wayland_test.sh, which starts a headless weston): each window is mapped by the
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

// Counts the paint events of one widget.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

// The window is mapped (the compositor has configured its surface) and then painted.
bool mappedAndPainted(QWidget* window, const PaintCounter& counter) {
    if (!QTest::qWaitForWindowExposed(window, 5000))
        return false;
    return QTest::qWaitFor([&] { return counter.paints > 0; }, 5000);
}

} // namespace

class TestWayland : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QCOMPARE(QGuiApplication::platformName(), QStringLiteral("wayland")); }

    void windowsMapAndPaint_data() {
        QTest::addColumn<int>("window");
        QTest::newRow("main form") << 0;
        QTest::newRow("security type's tip list") << int(CSetupDlg::IDC_SECURITY);
        QTest::newRow("network dialog") << int(CSetupDlg::IDC_NETSEARCH);
    }
    void windowsMapAndPaint() {
        QFETCH(int, window);
        FormBench b;
        CSetupDlg& d = b.start();
        if (window == 0) {
            PaintCounter painted(&d);
            QVERIFY(mappedAndPainted(&d, painted));
            QCOMPARE(d.windowHandle()->title(), QStringLiteral("Velinor (log active)"));
            return;
        }
        QVERIFY(QTest::qWaitForWindowExposed(&d, 5000));
        if (window == CSetupDlg::IDC_SECURITY) {
            auto* combo = qobject_cast<CTipComboBox*>(d.control(CSetupDlg::IDC_SECURITY));
            PaintCounter painted(combo->tipList());
            combo->ShowTipList(true);
            QVERIFY(mappedAndPainted(combo->tipList(), painted));
            QCOMPARE(combo->tipList()->model()->rowCount(), security::kCount);
            combo->ShowTipList(false);
            QVERIFY(!combo->isTipListVisible());
            return;
        }
        bool shown = false;
        b.netsearch([&](CScanDlg& dialog) {
            PaintCounter painted(&dialog);
            shown = mappedAndPainted(&dialog, painted) && dialog.networkList()->rowCount() > 0;
            dialog.cancelButton()->click();
        });
        QVERIFY(shown);
        QVERIFY(b.portClosed());
    }
};

QTEST_MAIN(TestWayland)
#include "test_wayland.moc"
