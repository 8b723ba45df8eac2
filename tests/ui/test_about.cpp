#include "base/clock.h"
#include "base/settings.h"
#include "fakes.h"
#include "log/log_writer.h"
#include "ui/about_dlg.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace velinor;
using velinor::fakes::FakeLauncher;

namespace {

// A small logo of the given size in the directory.
void writeLogo(const QString& dir, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkBlue);
    QVERIFY(image.save(QDir(dir).filePath(QStringLiteral("oem.bmp")), "BMP"));
}

} // namespace

class TestAbout : public QObject {
    Q_OBJECT
    fakes::AdapterBench m_b; // its directory is the working directory, its log the log
    FakeLauncher m_launcher;
    QTemporaryDir& m_dir = m_b.dir;
    bool& m_logOn = m_b.logging;
    EventLog& m_log = m_b.log;

    QString file(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    void clickLogo(CAboutDlg& dlg) {
        QTest::mouseClick(dlg.logo(), Qt::LeftButton, {}, QPoint(2, 2));
    }

private slots:
    void init() {
        QFile::remove(file("settings.ini"));
        QFile::remove(file("oem.bmp"));
        QFile::remove(file("log.txt"));
        m_launcher = FakeLauncher();
        m_logOn = true;
    }

    void showsTitleVersionAndLogo() {
        writeLogo(m_dir.path(), QSize(37, 21));
        CAboutDlg dlg(m_launcher, m_log, kEnglish, m_dir.path());
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Info"));
        QCOMPARE(dlg.versionLabel()->text(), QStringLiteral("Version 1.07"));
        QVERIFY(!dlg.noticeLabel()->text().isEmpty());
        QVERIFY(!dlg.noticeLabel()->geometry().intersects(dlg.versionLabel()->geometry()));
        QVERIFY(dlg.okButton()->isDefault());
        // The logo at its own size, with the pointing hand over it only.
        QVERIFY(dlg.logo()->isVisible());
        QCOMPARE(dlg.logo()->size(), QSize(37, 21));
        QCOMPARE(dlg.logo()->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(dlg.cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(dlg.versionLabel()->cursor().shape(), Qt::ArrowCursor);
    }

    // Only web and mail addresses are opened; any other is logged when logging is on.
    void clickOpensUrl_data() {
        QTest::addColumn<QByteArray>("settings"); // null: no settings file
        QTest::addColumn<QStringList>("opened");
        QTest::addColumn<QByteArray>("log");
        const QStringList fallback{"https://www.velinor.example/"};
        const auto url = [](const char* url) { return "[about]\r\nURL=" + QByteArray(url); };
        const QByteArray refused = "About address not opened (only http, https, mailto): ";
        QTest::newRow("https") << url("https://maker.example/wlan")
                               << QStringList{"https://maker.example/wlan"} << QByteArray();
        QTest::newRow("http, names in other case")
            << QByteArray("[About]\r\nurl=http://other.example/")
            << QStringList{"http://other.example/"} << QByteArray();
        QTest::newRow("HTTPS") << url("HTTPS://maker.example/")
                               << QStringList{"HTTPS://maker.example/"} << QByteArray();
        QTest::newRow("mailto") << url("mailto:support@maker.example")
                                << QStringList{"mailto:support@maker.example"} << QByteArray();
        QTest::newRow("file") << url("file:///usr/bin/xterm") << QStringList{}
                              << refused + "file:///usr/bin/xterm";
        QTest::newRow("javascript")
            << url("javascript:alert(1)") << QStringList{} << refused + "javascript:alert(1)";
        QTest::newRow("ftp") << url("ftp://maker.example/") << QStringList{}
                             << refused + "ftp://maker.example/";
        QTest::newRow("no scheme: a path")
            << url("../run.desktop") << QStringList{} << refused + "../run.desktop";
        QTest::newRow("logging off: nothing logged")
            << url("smb://share/x") << QStringList{} << QByteArray("off");
        QTest::newRow("no section")
            << QByteArray("[settings]\r\nlanguage=0\r\n") << fallback << QByteArray();
        QTest::newRow("section without the key")
            << QByteArray("[about]\r\nname=x\r\n") << fallback << QByteArray();
        QTest::newRow("no settings file") << QByteArray() << fallback << QByteArray();
        QTest::newRow("empty URL opens nothing") << url("") << QStringList{} << QByteArray();
    }
    void clickOpensUrl() {
        QFETCH(QByteArray, settings);
        QFETCH(QByteArray, log);
        if (!settings.isNull())
            QVERIFY(fakes::writeFile(file("settings.ini"), settings));
        m_logOn = log != "off";
        writeLogo(m_dir.path(), QSize(16, 16));
        CAboutDlg dlg(m_launcher, m_log, kEnglish, m_dir.path());
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        clickLogo(dlg);
        QTEST(m_launcher.opened, "opened");
        QVERIFY(m_launcher.starts.isEmpty());
        QFile logFile(file("log.txt"));
        const QByteArray written = logFile.open(QIODevice::ReadOnly) ? logFile.readAll() : "";
        if (log.isEmpty() || !m_logOn)
            QCOMPARE(written, QByteArray());
        else
            QCOMPARE(written, "05.12.2012 14:03:11 : " + log + "\n");
    }

    void urlIsReadAnewAtEveryClick() {
        writeLogo(m_dir.path(), QSize(16, 16));
        CAboutDlg dlg(m_launcher, m_log, kEnglish, m_dir.path());
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QVERIFY(
            fakes::writeFile(file("settings.ini"), "[about]\r\nURL=https://first.example/\r\n"));
        clickLogo(dlg);
        QVERIFY(
            fakes::writeFile(file("settings.ini"), "[about]\r\nURL=https://second.example/\r\n"));
        clickLogo(dlg);
        QVERIFY(fakes::writeFile(file("settings.ini"), "[settings]\r\nlog=1\r\n"));
        clickLogo(dlg);
        QCOMPARE(m_launcher.opened,
                 (QStringList{"https://first.example/", "https://second.example/",
                              "https://www.velinor.example/"}));
    }

    // The logo of the working directory, else the installed one.
    void logoFromTheDataDirectory_data() {
        QTest::addColumn<QSize>("work"); // empty: no logo there
        QTest::addColumn<QSize>("data");
        QTest::addColumn<QSize>("shown"); // empty: none
        QTest::newRow("installed only") << QSize() << QSize(20, 10) << QSize(20, 10);
        QTest::newRow("working directory first") << QSize(30, 12) << QSize(20, 10) << QSize(30, 12);
        QTest::newRow("neither") << QSize() << QSize() << QSize();
    }
    void logoFromTheDataDirectory() {
        QFETCH(QSize, work);
        QFETCH(QSize, data);
        QFETCH(QSize, shown);
        QTemporaryDir dataDir;
        if (work.isValid())
            writeLogo(m_dir.path(), work);
        if (data.isValid())
            writeLogo(dataDir.path(), data);
        CAboutDlg dlg(m_launcher, m_log, kEnglish, m_dir.path(), nullptr, dataDir.path());
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QCOMPARE(dlg.logo()->isVisible(), shown.isValid());
        if (shown.isValid())
            QCOMPARE(dlg.logo()->size(), shown);
    }

    void noLogo_data() {
        QTest::addColumn<QByteArray>("logo"); // null: no file
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("not a bitmap") << QByteArray("BM this is no picture");
        QTest::newRow("empty") << QByteArray("");
    }
    void noLogo() {
        QFETCH(QByteArray, logo);
        if (!logo.isNull())
            QVERIFY(fakes::writeFile(file("oem.bmp"), logo));
        CAboutDlg dlg(m_launcher, m_log, kEnglish, m_dir.path());
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QVERIFY(!dlg.logo()->isVisible());
        // Nothing to click where the logo would be.
        QTest::mouseClick(&dlg, Qt::LeftButton, {},
                          dlg.logo()->geometry().topLeft() + QPoint(2, 2));
        QVERIFY(m_launcher.opened.isEmpty());
        QVERIFY(dlg.okButton()->isVisible());
    }
};

QTEST_MAIN(TestAbout)
#include "test_about.moc"
