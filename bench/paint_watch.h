#pragma once

#include <QApplication>

#include <functional>

namespace velinor::bench {

// An application object that tells when a chosen window has been painted for the
// first time: after the outermost event whose handling painted the window (its
// expose or update request) has been dealt with, so the whole first frame is done.
class PaintWatchApplication : public QApplication {
public:
    using WindowTest = std::function<bool(QWidget* window)>;
    using Painted = std::function<void(QWidget* window)>;

    PaintWatchApplication(int& argc, char** argv) : QApplication(argc, argv) {}

    // `painted` is called once, for the first window that passes `test`.
    void watch(WindowTest test, Painted painted) {
        m_test = std::move(test);
        m_painted = std::move(painted);
    }
    // Called once, for the first Show event of a window that passes the test.
    void onShown(std::function<void()> shown) { m_shown = std::move(shown); }

    // Called for every event before it is delivered, until the first paint.
    void onEvent(std::function<void(QObject*, QEvent*)> seen) { m_seen = std::move(seen); }

    bool notify(QObject* receiver, QEvent* event) override;

private:
    std::function<void(QObject*, QEvent*)> m_seen;
    WindowTest m_test;
    Painted m_painted;
    std::function<void()> m_shown;
    int m_depth = 0;
    QWidget* m_paintedWindow = nullptr;
    bool m_done = false;
};

} // namespace velinor::bench
