#include "ui/about_dlg.h"
#include "ui/dialog_units.h"

#include "base/data_files.h"
#include "base/launcher.h"
#include "base/settings.h"
#include "base/ui_text.h"
#include "log/log_writer.h"

#include <QFontMetrics>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QUrl>

#include <algorithm>

namespace velinor {

namespace {
// The box in dialog units.
constexpr int kWidthDu = 144;
constexpr int kHeightDu = 115;

// Addresses that a browser or a mail program shows; nothing that runs or opens
// a local file.
bool isWebAddress(const QString& address) {
    const QUrl url(address, QUrl::TolerantMode);
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
                             scheme == QLatin1String("mailto"));
}
} // namespace

CAboutDlg::CAboutDlg(Launcher& launcher, EventLog& log, int langOffset, QString workingDir,
                     QWidget* parent, const QString& dataDir)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      m_launcher(launcher), m_log(log), m_nLangOffset(langOffset),
      m_strWorkingDir(std::move(workingDir)) {
    setWindowTitle(QStringLiteral("Info"));
    const QRect box = dialogUnitsToPixels(0, 0, kWidthDu, kHeightDu);
    setFixedSize(box.size());

    // The labels grow to their text when the font needs more room than their
    // dialog units give, up to the next control or the box's edge.
    m_lblVersion = new QLabel(QStringLiteral("Version 1.07"), this);
    m_lblVersion->setObjectName(QStringLiteral("1024"));
    // mutants: off (layout: dialog-unit places and sizes)
    placeLabel(m_lblVersion, dialogUnitsToPixels(93, 7, 40, 8), box.width() - 2);
    // mutants: on

    m_lblNotice = new QLabel(QStringLiteral("Velinor\nWLAN set-up tool"), this);
    m_lblNotice->setObjectName(QStringLiteral("1023"));
    // mutants: off (layout: dialog-unit places and sizes)
    placeLabel(m_lblNotice, dialogUnitsToPixels(9, 7, 68, 16), m_lblVersion->x() - 4);
    // mutants: on

    // The logo is read when the box opens, at its own size; without a readable
    // file the box simply has no logo.
    m_logo = new QLabel(this);
    m_logo->setObjectName(QStringLiteral("1022"));
    const QString logoPath = FindDataFile(QString::fromLatin1(kLogoFile), m_strWorkingDir, dataDir);
    const QPixmap picture = logoPath.isEmpty() ? QPixmap() : QPixmap(logoPath);
    // mutants: off (layout: dialog-unit places and sizes)
    const QPoint logoPos = dialogUnitsToPixels(7, 27, 0, 0).topLeft();
    // mutants: on
    if (!picture.isNull()) {
        m_logo->setPixmap(picture);
        m_logo->setGeometry(QRect(logoPos, picture.size())); // mutants: skip (layout)
        m_logo->setCursor(Qt::PointingHandCursor);
        m_logo->installEventFilter(this);
    } else {
        m_logo->hide();
    }

    m_btnOk = new QPushButton(QStringLiteral("OK"), this);
    m_btnOk->setObjectName(QStringLiteral("1"));
    // mutants: off (layout: dialog-unit places and sizes)
    m_btnOk->setGeometry(dialogUnitsToPixels(47, 94, 50, 14));
    // mutants: on
    m_btnOk->setDefault(true); // mutants: skip (the one button, focused: Enter presses it)
    m_btnOk->setFocus();       // mutants: skip (the only control that takes the focus)
    connect(m_btnOk, &QPushButton::clicked, this, &QDialog::accept);
}

CAboutDlg::~CAboutDlg() = default;

QRect CAboutDlg::dialogUnitsToPixels(int x, int y, int width, int height) const {
    return DialogUnitsToPixels(font(), x, y, width, height);
}

void CAboutDlg::placeLabel(QLabel* label, QRect rect, int rightLimit) {
    // Wider only, and only as far as the text needs.
    const int needed = label->sizeHint().width();
    rect.setWidth(std::max(rect.width(), std::min(needed, rightLimit - rect.x())));
    label->setGeometry(rect);
}

void CAboutDlg::OnLogoClicked() {
    // Looked up anew at every click, so that an edited settings.ini counts at once.
    const QString url = Settings(m_strWorkingDir).aboutUrl().trimmed();
    if (url.isEmpty())
        return;
    if (!isWebAddress(url)) {
        m_log.entry(
            {m_nLangOffset == kEnglish
                 ? QStringLiteral("About address not opened (only http, https, mailto): ")
                 : QString::fromUtf8("About-Adresse nicht geöffnet (nur http, https, mailto): "),
             url, QStringLiteral("\n")});
        return;
    }
    m_launcher.open(url);
}

bool CAboutDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_logo && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            m_logo->rect().contains(mouse->position().toPoint())) {
            OnLogoClicked();
            return true; // mutants: skip (the label would ignore the release as well)
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace velinor
