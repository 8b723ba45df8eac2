#pragma once

#include <QList>
#include <QString>

class QCommandLineParser;

namespace velinor {

class AdapterModel;
class PtyServer;

// The simulated adapter's command-line options, shared by the programs that serve it:
// --transcript, --networks and the fault options.
namespace sim_options {

void add(QCommandLineParser& parser);
// Applies the options to the server and its model. False with a message on bad input.
bool apply(const QCommandLineParser& parser, PtyServer& server, QString& error);
// Reads a network list: one network line per line; empty lines are skipped.
bool loadNetworks(const QString& path, QList<QByteArray>& lines, QString& error);
// "AT+IWLSI", "IWLSI" and "WLSI" all name the command "AT+IWLSI".
QByteArray commandName(const QString& text);

} // namespace sim_options
} // namespace velinor
