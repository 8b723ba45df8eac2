#pragma once

namespace velinor {

class EventLog;
class MainForm;

// The configuration record: the time stamp, "* Configuration *" and one line per
// setting of the form (language, port, SSID, encryption, channel, key in plain
// text, access type, damping when shown), with a placeholder for an empty one.
// Takes the form's fields into its values first. Nothing is written while
// logging is off.
void LogConfiguration(MainForm& form, EventLog& log);

} // namespace velinor
