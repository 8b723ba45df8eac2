// The About box: its logo (working directory first, then installed) and what a click opens.
#include "fakes.h"
#include "log/log_writer.h"
#include "ui/about_dlg.h"

#include <QBuffer>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace velinor;
using namespace velinor::fakes;

namespace {

QByteArray bitmap(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkBlue);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

const QString kDefaultUrl = QStringLiteral("https://www.velinor.example/");

} // namespace

class TestAbout : public QObject {
    Q_OBJECT
    // A click on the logo's place, as the window system delivers it.
    static void clickLogo(CAboutDlg& dlg) {
        QTest::mouseClick(dlg.windowHandle(), Qt::LeftButton, {},
                          dlg.logo()->geometry().topLeft() + QPoint(2, 2));
    }

private slots:
    void logo_data() {
        QTest::addColumn<QByteArray>("work"); // oem.bmp in the working directory; null: none
        QTest::addColumn<QByteArray>("data"); // and in the data directory
        QTest::addColumn<QSize>("shown");     // invalid: no logo
        QTest::newRow("own size") << bitmap({37, 21}) << QByteArray() << QSize(37, 21);
        QTest::newRow("installed only") << QByteArray() << bitmap({20, 10}) << QSize(20, 10);
        QTest::newRow("working directory first")
            << bitmap({30, 12}) << bitmap({20, 10}) << QSize(30, 12);
        QTest::newRow("neither") << QByteArray() << QByteArray() << QSize();
        QTest::newRow("not a bitmap") << QByteArray("BM no picture") << QByteArray() << QSize();
    }
    void logo() {
        QFETCH(QByteArray, work);
        QFETCH(QByteArray, data);
        QFETCH(QSize, shown);
        AdapterBench b;
        FakeLauncher launcher;
        QTemporaryDir dataDir;
        if (!work.isNull())
            QVERIFY(writeFile(b.dir.filePath(QStringLiteral("oem.bmp")), work));
        if (!data.isNull())
            QVERIFY(writeFile(dataDir.filePath(QStringLiteral("oem.bmp")), data));
        CAboutDlg dlg(launcher, b.log, kEnglish, b.dir.path(), nullptr, dataDir.path());
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QVERIFY(!dlg.noticeLabel()->geometry().intersects(dlg.versionLabel()->geometry()));
        QVERIFY(dlg.okButton()->isDefault());
        QCOMPARE(dlg.logo()->isVisible() ? dlg.logo()->size() : QSize(), shown);
        // The pointing hand over the logo only.
        QCOMPARE(dlg.logo()->cursor().shape(),
                 shown.isValid() ? Qt::PointingHandCursor : Qt::ArrowCursor);
        QCOMPARE(dlg.cursor().shape(), Qt::ArrowCursor);
        clickLogo(dlg);
        QCOMPARE(launcher.opened, shown.isValid() ? QStringList{kDefaultUrl} : QStringList());
    }

    // Only web and mail addresses open, others are logged; settings.ini is read at each click.
    void url_data() {
        QTest::addColumn<QByteArrayList>("settings"); // before each click; null: no file
        QTest::addColumn<QString>("opened");
        QTest::addColumn<bool>("logged"); // the last URL, as not opened
        const auto url = [](const char* url) {
            return QByteArrayList{"[about]\r\nURL=" + QByteArray(url)};
        };
        QTest::newRow("https") << url("https://ex.example/w") << "https://ex.example/w" << false;
        QTest::newRow("names and scheme in other case")
            << QByteArrayList{"[About]\r\nurl=HTTP://ex.example/"} << "HTTP://ex.example/" << false;
        QTest::newRow("mailto") << url("mailto:a@ex.example") << "mailto:a@ex.example" << false;
        QTest::newRow("file") << url("file:///usr/bin/xterm") << "" << true;
        QTest::newRow("no scheme: a path") << url("../run.desktop") << "" << true;
        QTest::newRow("section without the key")
            << QByteArrayList{"[about]\r\nname=x\r\n"} << kDefaultUrl << false;
        QTest::newRow("no settings file") << QByteArrayList{QByteArray()} << kDefaultUrl << false;
        QTest::newRow("empty URL opens nothing") << url("") << "" << false;
        QTest::newRow("read at every click")
            << url("https://a.example/") + url("https://b.example/") + QByteArrayList{"[x]"}
            << "https://a.example/ https://b.example/ " + kDefaultUrl << false;
    }
    void url() {
        QFETCH(QByteArrayList, settings);
        QFETCH(bool, logged);
        AdapterBench b;
        FakeLauncher launcher;
        QVERIFY(writeFile(b.dir.filePath(QStringLiteral("oem.bmp")), bitmap({16, 16})));
        CAboutDlg dlg(launcher, b.log, kEnglish, b.dir.path());
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        for (const QByteArray& ini : settings) {
            if (!ini.isNull())
                QVERIFY(writeFile(b.dir.filePath(QStringLiteral("settings.ini")), ini));
            clickLogo(dlg);
        }
        QTEST(launcher.opened.join(u' '), "opened");
        QVERIFY(launcher.starts.isEmpty());
        const QString line = "About address not opened (only http, https, mailto): " +
                             QString::fromUtf8(settings.last()).section(u'=', 1);
        QCOMPARE(b.logLines(), logged ? QStringList{line} : QStringList());
    }
};

QTEST_MAIN(TestAbout)
#include "test_about.moc"
