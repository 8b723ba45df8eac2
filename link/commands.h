#pragma once

#include <QByteArray>

namespace velinor::cmd {

// The adapter's command set. Every command ends with "\r"; arguments are sent
// as the user typed them, without quoting.
QByteArray ProbeBaudRate();                       // "AT+IBDRF?\r"
QByteArray FactoryDefaults();                     // "AT+IFD\r"
QByteArray HostInterfaceUsb();                    // "AT+IHIF=4\r"
QByteArray SetBaudRate();                         // "AT+IBDRF=9\r"
QByteArray SetSecurity(int digit);                // "AT+IWST0=<digit>\r"
QByteArray SetCertificate(const QByteArray& pem); // "AT+ICA=...\r"
QByteArray SetEnterpriseUser(const QByteArray& domain, const QByteArray& user); // "AT+IEUSN=...\r"
QByteArray SetSsid(const QByteArray& ssid);                                     // "AT+IWLSI=...\r"
QByteArray SetChannel(const QByteArray& channel);                               // "AT+IWLCH=...\r"
QByteArray SetWepKey(const QByteArray& key);                                    // "AT+IWKY0=...\r"
QByteArray SetPassphrase(const QByteArray& key);                                // "AT+IWPP0=...\r"
QByteArray BridgeMode();                                                        // "AT+IBRM=2\r"
QByteArray Restart();                                                           // "AT+IDOWN\r"
QByteArray QuerySsid();                                                         // "AT+IWLSI?\r"
QByteArray QuerySecurity();                                                     // "AT+IWST0?\r"
QByteArray QueryChannel();                                                      // "AT+IWLCH?\r"
QByteArray Scan();                                                              // "AT+IRP20\r"

} // namespace velinor::cmd
