#include "ui/qt_services.h"

#include "base/field_rules.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace velinor {

void QtPrompts::message(const QString& text, PromptIcon icon) {
    QMessageBox::Icon boxIcon = QMessageBox::NoIcon;
    switch (icon) {
    case PromptIcon::None:
        boxIcon = QMessageBox::NoIcon;
        break;
    case PromptIcon::Warning:
        boxIcon = QMessageBox::Warning;
        break;
    case PromptIcon::Error:
        boxIcon = QMessageBox::Critical;
        break;
    case PromptIcon::Information:
        boxIcon = QMessageBox::Information;
        break;
    }
    QMessageBox box(boxIcon, QStringLiteral("Velinor"), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    // A screen reader announces the box by its caption and reads the message
    // as its description, as well as from the text inside.
    box.setAccessibleDescription(text);
    box.exec();
}

bool QtLauncher::isInstalled(const QString& program) const {
    return !QStandardPaths::findExecutable(program).isEmpty();
}

bool QtLauncher::start(const QString& program, const QStringList& args, const QString& workingDir) {
    return QProcess::startDetached(program, args, workingDir);
}

bool QtLauncher::open(const QString& url) {
    return QDesktopServices::openUrl(QUrl(url, QUrl::TolerantMode));
}

QtFilePicker::QtFilePicker(const QString& catalogueFilter)
    : m_filter(QtFileFilter(catalogueFilter)) {}

QtFilePicker::~QtFilePicker() = default;

QString QtFilePicker::pick() {
    if (!m_dialog) {
        m_dialog = std::make_unique<QFileDialog>();
        m_dialog->setFileMode(QFileDialog::ExistingFile);
        m_dialog->setAcceptMode(QFileDialog::AcceptOpen); // mutants: skip (Qt's default)
        // The entries show the catalogue's descriptions ("Alle Dateien (*.*)")
        // and filter by the patterns behind them ("*", every file).
        m_dialog->setOption(QFileDialog::HideNameFilterDetails);
        m_dialog->setNameFilter(m_filter);
    }
    if (m_dialog->exec() != QDialog::Accepted)
        return QString();
    const QStringList files = m_dialog->selectedFiles();
    return files.isEmpty() ? QString() : files.first();
}

} // namespace velinor
