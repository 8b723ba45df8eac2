#include "app/about_dlg.h"
#include "app/settings.h"
#include "fakes.h"

#include <QApplication>
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

bool writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(content) == content.size();
}

// A small logo of the given size in the directory.
bool writeLogo(const QString& dir, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkBlue);
    return image.save(QDir(dir).filePath(QStringLiteral("oem.bmp")), "BMP");
}

void clickLogo(CAboutDlg& dlg) {
    QTest::mouseClick(dlg.logo(), Qt::LeftButton, {}, QPoint(2, 2));
}

} // namespace

class TestAbout : public QObject {
    Q_OBJECT
private slots:
    void init();
    void showsTitleNoticeAndVersion();
    void sizeInDialogUnits();
    void logoAtItsOwnSize();
    void pointingHandOverLogoOnly();
    void clickOpensUrl_data();
    void clickOpensUrl();
    void urlIsReadAnewAtEveryClick();
    void otherButtonsDoNotOpen();
    void noLogo_data();
    void noLogo();
    void okCloses();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    FakeLauncher m_launcher;
};

void TestAbout::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_launcher = FakeLauncher();
}

void TestAbout::showsTitleNoticeAndVersion() {
    CAboutDlg dlg(m_launcher, m_dir->path());
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Info"));
    QCOMPARE(dlg.versionLabel()->text(), QStringLiteral("Version 1.07"));
    QVERIFY(!dlg.noticeLabel()->text().isEmpty());
    // Both texts fit their labels, and the labels do not overlap.
    QVERIFY(dlg.noticeLabel()->width() >= dlg.noticeLabel()->sizeHint().width());
    QVERIFY(dlg.versionLabel()->width() >= dlg.versionLabel()->sizeHint().width());
    QVERIFY(!dlg.noticeLabel()->geometry().intersects(dlg.versionLabel()->geometry()));
    QVERIFY(dlg.rect().contains(dlg.versionLabel()->geometry()));
    QCOMPARE(dlg.okButton()->text(), QStringLiteral("OK"));
    QVERIFY(dlg.okButton()->isDefault());
}

void TestAbout::sizeInDialogUnits() {
    CAboutDlg dlg(m_launcher, m_dir->path());
    const QFontMetrics fm(dlg.font());
    const int baseX = (fm.horizontalAdvance(
                           QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) /
                           26 +
                       1) /
                      2;
    const int baseY = fm.height();
    QCOMPARE(dlg.width(), (144 * baseX + 2) / 4);
    QCOMPARE(dlg.height(), (115 * baseY + 4) / 8);
    // The OK button at 47, 94 and 50 by 14 units.
    QCOMPARE(dlg.okButton()->geometry(), QRect((47 * baseX + 2) / 4, (94 * baseY + 4) / 8,
                                               (50 * baseX + 2) / 4, (14 * baseY + 4) / 8));
}

void TestAbout::logoAtItsOwnSize() {
    QVERIFY(writeLogo(m_dir->path(), QSize(37, 21)));
    CAboutDlg dlg(m_launcher, m_dir->path());
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QVERIFY(dlg.logo()->isVisible());
    QCOMPARE(dlg.logo()->size(), QSize(37, 21));
    QCOMPARE(dlg.logo()->pixmap().size(), QSize(37, 21));
}

void TestAbout::pointingHandOverLogoOnly() {
    QVERIFY(writeLogo(m_dir->path(), QSize(20, 20)));
    CAboutDlg dlg(m_launcher, m_dir->path());
    QCOMPARE(dlg.logo()->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(dlg.cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(dlg.versionLabel()->cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(dlg.okButton()->cursor().shape(), Qt::ArrowCursor);
}

void TestAbout::clickOpensUrl_data() {
    QTest::addColumn<QByteArray>("settings"); // null: no settings file
    QTest::addColumn<QStringList>("opened");
    const QString fallback = QString::fromLatin1(Settings::kDefaultUrl);
    QTest::newRow("URL set") << QByteArray("[about]\r\nURL=https://maker.example/wlan\r\n")
                             << QStringList{"https://maker.example/wlan"};
    QTest::newRow("section and key in other case")
        << QByteArray("[About]\r\nurl=http://other.example/\r\n")
        << QStringList{"http://other.example/"};
    QTest::newRow("no section") << QByteArray("[settings]\r\nlanguage=0\r\n")
                                << QStringList{fallback};
    QTest::newRow("section without the key")
        << QByteArray("[about]\r\nname=x\r\n") << QStringList{fallback};
    QTest::newRow("no settings file") << QByteArray() << QStringList{fallback};
    QTest::newRow("empty URL opens nothing") << QByteArray("[about]\r\nURL=\r\n") << QStringList{};
}

void TestAbout::clickOpensUrl() {
    QFETCH(QByteArray, settings);
    QFETCH(QStringList, opened);
    QCOMPARE(QString::fromLatin1(Settings::kDefaultUrl),
             QStringLiteral("https://www.velinor.example/"));
    if (!settings.isNull())
        QVERIFY(writeFile(QDir(m_dir->path()).filePath(QStringLiteral("settings.ini")), settings));
    QVERIFY(writeLogo(m_dir->path(), QSize(16, 16)));
    CAboutDlg dlg(m_launcher, m_dir->path());
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    clickLogo(dlg);
    QCOMPARE(m_launcher.opened, opened);
    QVERIFY(m_launcher.starts.isEmpty());
}

void TestAbout::urlIsReadAnewAtEveryClick() {
    const QString ini = QDir(m_dir->path()).filePath(QStringLiteral("settings.ini"));
    QVERIFY(writeLogo(m_dir->path(), QSize(16, 16)));
    CAboutDlg dlg(m_launcher, m_dir->path());
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    clickLogo(dlg); // no file yet
    QVERIFY(writeFile(ini, "[about]\r\nURL=https://first.example/\r\n"));
    clickLogo(dlg);
    QVERIFY(writeFile(ini, "[about]\r\nURL=https://second.example/\r\n"));
    clickLogo(dlg);
    QVERIFY(writeFile(ini, "[settings]\r\nlog=1\r\n"));
    clickLogo(dlg);
    QCOMPARE(m_launcher.opened,
             (QStringList{"https://www.velinor.example/", "https://first.example/",
                          "https://second.example/", "https://www.velinor.example/"}));
}

void TestAbout::otherButtonsDoNotOpen() {
    QVERIFY(writeLogo(m_dir->path(), QSize(16, 16)));
    CAboutDlg dlg(m_launcher, m_dir->path());
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QTest::mouseClick(dlg.logo(), Qt::RightButton, {}, QPoint(2, 2));
    QTest::mouseClick(dlg.versionLabel(), Qt::LeftButton);
    QTest::mouseClick(&dlg, Qt::LeftButton, {}, QPoint(dlg.width() - 3, dlg.height() - 3));
    QVERIFY(m_launcher.opened.isEmpty());
}

void TestAbout::noLogo_data() {
    QTest::addColumn<QByteArray>("logo"); // null: no file
    QTest::newRow("missing") << QByteArray();
    QTest::newRow("not a bitmap") << QByteArray("BM this is no picture");
    QTest::newRow("empty") << QByteArray("");
}

void TestAbout::noLogo() {
    QFETCH(QByteArray, logo);
    if (!logo.isNull())
        QVERIFY(writeFile(QDir(m_dir->path()).filePath(QStringLiteral("oem.bmp")), logo));
    CAboutDlg dlg(m_launcher, m_dir->path());
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QVERIFY(!dlg.logo()->isVisible());
    QVERIFY(dlg.logo()->pixmap().isNull());
    // Nothing to click where the logo would be.
    QTest::mouseClick(&dlg, Qt::LeftButton, {}, dlg.logo()->geometry().topLeft() + QPoint(2, 2));
    QVERIFY(m_launcher.opened.isEmpty());
    QVERIFY(dlg.okButton()->isVisible());
}

void TestAbout::okCloses() {
    CAboutDlg dlg(m_launcher, m_dir->path());
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QTest::keyClick(&dlg, Qt::Key_Return);
    QVERIFY(!dlg.isVisible());
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
}

QTEST_MAIN(TestAbout)
#include "test_about.moc"
