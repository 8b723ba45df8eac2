// The About box: its logo and what a click on it opens.
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
    image.save(&buffer, "BMP");
    return bytes;
}

const QString kDefaultUrl = QStringLiteral("https://www.velinor.example/");

} // namespace

class TestAbout : public QObject {
    Q_OBJECT
private slots:
    // The logo: from the working directory, else the installed one, at its own size; a click on
    // it opens only web and mail addresses, others are logged; settings.ini is read at each click.
    void click_data() {
        QTest::addColumn<QByteArray>("work");      // oem.bmp in the working directory; null: none
        QTest::addColumn<QByteArray>("installed"); // and in the data directory
        QTest::addColumn<QSize>("shown");          // invalid: no logo
        QTest::addColumn<QByteArrayList>("settings"); // before each click; null: no file
        QTest::addColumn<QString>("opened");
        QTest::addColumn<bool>("logged"); // the last URL, as not opened
        const auto logo = [](const char* name, const QByteArray& work, const QByteArray& installed,
                             QSize shown) {
            QTest::newRow(name) << work << installed << shown << QByteArrayList{QByteArray()}
                                << (shown.isValid() ? kDefaultUrl : QString()) << false;
        };
        logo("installed only", QByteArray(), bitmap({20, 10}), QSize(20, 10));
        logo("working directory first, at its own size", bitmap({37, 21}), bitmap({20, 10}),
             QSize(37, 21));
        logo("not a bitmap: no logo", QByteArray("BM no picture"), QByteArray(), QSize());
        const auto url = [](const char* url) {
            return QByteArrayList{"[about]\r\nURL=" + QByteArray(url)};
        };
        const auto click = [](const char* name, const QByteArrayList& settings,
                              const QString& opened, bool logged) {
            QTest::newRow(name) << bitmap({16, 16}) << QByteArray() << QSize(16, 16) << settings
                                << opened << logged;
        };
        click("names and scheme in other case", {"[About]\r\nurl=HTTP://ex.example/"},
              "HTTP://ex.example/", false);
        click("mailto", url("mailto:a@ex.example"), "mailto:a@ex.example", false);
        click("file: logged, not opened", url("file:///usr/bin/xterm"), "", true);
        click("empty URL opens nothing", url(""), "", false);
        click("https, read at every click",
              url("https://a.example/") + url("https://b.example/") + QByteArrayList{"[x]"},
              "https://a.example/ https://b.example/ " + kDefaultUrl, false);
    }
    void click() {
        QFETCH(QByteArray, work);
        QFETCH(QByteArray, installed);
        QFETCH(QSize, shown);
        QFETCH(QByteArrayList, settings);
        QFETCH(bool, logged);
        AdapterBench b;
        FakeLauncher launcher;
        QTemporaryDir dataDir;
        if (!work.isNull())
            QVERIFY(writeFile(b.dir.filePath(QStringLiteral("oem.bmp")), work));
        if (!installed.isNull())
            QVERIFY(writeFile(dataDir.filePath(QStringLiteral("oem.bmp")), installed));
        CAboutDlg dlg(launcher, b.log, kEnglish, b.dir.path(), nullptr, dataDir.path());
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QVERIFY(!dlg.noticeLabel()->geometry().intersects(dlg.versionLabel()->geometry()));
        QVERIFY(dlg.okButton()->isDefault());
        // Its texts, each on the control of the original's number.
        const auto text = [&dlg](const char* id) {
            const auto* control = dlg.findChild<QWidget*>(QString::fromLatin1(id));
            return control ? control->property("text").toString() : QString();
        };
        QCOMPARE(QStringList({dlg.windowTitle(), text("1024"), text("1023"), text("1")}),
                 QStringList({"Info", "Version 1.07", "Velinor\nWLAN set-up tool", "OK"}));
        QCOMPARE(dlg.findChild<QLabel*>(QStringLiteral("1022")), dlg.logo());
        QCOMPARE(dlg.logo()->isVisible() ? dlg.logo()->size() : QSize(), shown);
        // The pointing hand over the logo only.
        QCOMPARE(dlg.logo()->cursor().shape(),
                 shown.isValid() ? Qt::PointingHandCursor : Qt::ArrowCursor);
        QCOMPARE(dlg.cursor().shape(), Qt::ArrowCursor);
        // A right click opens nothing.
        QTest::mouseClick(dlg.windowHandle(), Qt::RightButton, {},
                          dlg.logo()->pos() + QPoint(2, 2));
        for (const QByteArray& ini : settings) {
            if (!ini.isNull())
                QVERIFY(writeFile(b.dir.filePath(QStringLiteral("settings.ini")), ini));
            // Where the logo is, as the window system delivers a click.
            QTest::mouseClick(dlg.windowHandle(), Qt::LeftButton, {},
                              dlg.logo()->geometry().topLeft() + QPoint(2, 2));
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
