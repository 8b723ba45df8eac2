#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;

namespace velinor {

class EventLog;
class Launcher;

// The About box: the maker's notice, the version and the logo "oem.bmp" of the
// working directory, else of the installed data directory (when given); a click
// on the logo opens the address from settings.ini, when it is a web or mail
// address (http, https, mailto).
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kLogoFile = "oem.bmp";

    // The language offset (0 German, 10000 English) is that of the log entries.
    CAboutDlg(Launcher& launcher, EventLog& log, int langOffset, QString workingDir,
              QWidget* parent = nullptr, const QString& dataDir = QString());
    ~CAboutDlg() override;

    // The logo control (1022); shows no picture when the logo could not be read.
    QLabel* logo() const { return m_logo; }
    QPushButton* okButton() const { return m_btnOk; }
    QLabel* noticeLabel() const { return m_lblNotice; }
    QLabel* versionLabel() const { return m_lblVersion; }

    // Opens the "URL" of section "about" of settings.ini, read anew. Any other
    // kind of address (a file, a program's scheme) is not opened but logged:
    // settings.ini lies in whatever directory the tool was started from.
    void OnLogoClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QRect dialogUnitsToPixels(int x, int y, int width, int height) const;
    static void placeLabel(QLabel* label, QRect rect, int rightLimit);

    Launcher& m_launcher;
    EventLog& m_log;
    int m_nLangOffset;
    QString m_strWorkingDir;
    QLabel* m_logo = nullptr;
    QLabel* m_lblNotice = nullptr;
    QLabel* m_lblVersion = nullptr;
    QPushButton* m_btnOk = nullptr;
};

} // namespace velinor
