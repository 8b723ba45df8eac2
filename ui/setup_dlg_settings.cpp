// The main form's settings file and its port list.
#include "ui/setup_dlg.h"

#include "base/services.h"
#include "base/ui_text.h"
#include "link/port_list.h"
#include "ui/setup_app.h"

#include <utility>

namespace velinor {

namespace {

// Ports that have been enumerated already.
class FoundPorts : public PortEnumerator {
public:
    explicit FoundPorts(QList<PortInfo> ports) : m_ports(std::move(ports)) {}
    QList<PortInfo> ports() const override { return m_ports; }

private:
    QList<PortInfo> m_ports;
};

} // namespace

QString CSetupDlg::GetSettingsPath() const {
    return m_szSettingsPath;
}

int CSetupDlg::ReadLanguageSetting() {
    const int stored = m_settings ? m_settings->language() : kGerman;
    if (stored == kEnglish) {
        m_comboLanguage->setCurrentIndex(1);
        return kEnglish;
    }
    m_comboLanguage->setCurrentIndex(0); // mutants: skip (where it is already, or chosen so)
    return kGerman;
}

void CSetupDlg::WriteLanguageSetting(int offset) {
    if (m_settings)
        m_settings->setLanguage(offset);
}

int CSetupDlg::ReadLogSetting() {
    return m_settings ? m_settings->logInt() : 0;
}

bool CSetupDlg::RestoreLogSetting() {
    const bool on = m_settings && m_settings->logText() == QLatin1String("1");
    if (on)
        m_app.OnLogOn();
    else
        m_app.OnLogOff();
    return on;
}

void CSetupDlg::SavePortSetting(const QString& text) {
    if (m_settings && portlist::isPortName(text))
        m_settings->setPort(text);
}

void CSetupDlg::OnSelchangePort() {
    if (m_comboPort->currentIndex() >= 0)
        SavePortSetting(m_comboPort->currentText());
}

// ---- Port list ----

void CSetupDlg::OnDropdownPort() {
    if (m_app.GetPortSearch() == 1)
        FillPortListAutomatic();
    else
        FillPortListManual(portlist::kMaxManual);
}

void CSetupDlg::FillPortListAutomatic() {
    m_comboPort->clear();
    if (m_startPorts.valid()) {
        // The first fill takes the ports found while the form was built.
        const FoundPorts found(m_startPorts.get());
        m_comboPort->addItems(portlist::automatic(found));
    } else {
        m_comboPort->addItems(portlist::automatic(m_services.ports));
    }
    m_comboPort->setCurrentIndex(-1);
}

void CSetupDlg::FillPortListManual(int count) {
    m_comboPort->clear();
    m_comboPort->addItems(portlist::manual(m_services.ports, count));
    m_comboPort->setCurrentIndex(-1);
}

void CSetupDlg::RestorePortSetting() {
    FillPortListAutomatic();
    QStringList items;
    for (int i = 0; i < m_comboPort->count(); ++i)
        items.append(m_comboPort->itemText(i));
    const int index = portlist::restoreIndex(items, m_settings ? m_settings->port() : QString());
    if (index >= 0)
        m_comboPort->setCurrentIndex(index);
}

} // namespace velinor
