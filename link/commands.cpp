#include "link/commands.h"

namespace velinor::cmd {
namespace {
QByteArray setting(const char* name, const QByteArray& value) {
    return QByteArray("AT+I") + name + '=' + value + '\r';
}
QByteArray query(const char* name) {
    return QByteArray("AT+I") + name + "?\r";
}
} // namespace

QByteArray ProbeBaudRate() {
    return query("BDRF");
}
QByteArray FactoryDefaults() {
    return QByteArray("AT+IFD\r");
}
QByteArray HostInterfaceUsb() {
    return setting("HIF", "4");
}
QByteArray SetBaudRate() {
    return setting("BDRF", "9");
}
QByteArray SetSecurity(int digit) {
    return setting("WST0", QByteArray::number(digit));
}
QByteArray SetCertificate(const QByteArray& pem) {
    return setting("CA", pem);
}
QByteArray SetEnterpriseUser(const QByteArray& domain, const QByteArray& user) {
    return setting("EUSN", domain.isEmpty() ? user : domain + '\\' + user);
}
QByteArray SetSsid(const QByteArray& ssid) {
    return setting("WLSI", ssid);
}
QByteArray SetChannel(const QByteArray& channel) {
    return setting("WLCH", channel);
}
QByteArray SetWepKey(const QByteArray& key) {
    return setting("WKY0", key);
}
QByteArray SetPassphrase(const QByteArray& key) {
    return setting("WPP0", key);
}
QByteArray BridgeMode() {
    return setting("BRM", "2");
}
QByteArray Restart() {
    return QByteArray("AT+IDOWN\r");
}
QByteArray QuerySsid() {
    return query("WLSI");
}
QByteArray QuerySecurity() {
    return query("WST0");
}
QByteArray QueryChannel() {
    return query("WLCH");
}
QByteArray Scan() {
    return QByteArray("AT+IRP20\r");
}

} // namespace velinor::cmd
