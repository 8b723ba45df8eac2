#pragma once

#include <QString>

#include <functional>

namespace velinor {

class MainForm;
class ModuleLink;

// Netsearch: opens the adapter's port, lets the user pick a network in the
// network dialog (which scans on that port), selects the network's security
// type in the form, applies the field rules and closes the port.
class Netsearch {
public:
    static constexpr int kOpenAttempts = 5;
    // Result codes of the network dialog.
    static constexpr int kFirstTypeResult = 10; // plus the security index
    static constexpr int kCancelResult = 2;
    static constexpr int kUnknownTypeResult = -1;

    // openSelectedPort: opens the port chosen in the form with the given number
    // of attempts, stores it in the link and tells the user itself when it fails.
    // runDialog: runs the network dialog modally on the open port and returns
    // its result code.
    Netsearch(MainForm& form, ModuleLink& link, std::function<bool(int attempts)> openSelectedPort,
              std::function<int()> runDialog);

    void OnNetsearch();

    // The combo index of a dialog result: 0 to 6 for 10 to 16, else -1.
    static int securityIndexOf(int result);
    // The result for a row's security text: 10 plus the index of the first name
    // found in it, longer names searched first; -1 when it holds none.
    static int resultForTypeText(const QString& text);

private:
    MainForm& m_form;
    ModuleLink& m_link;
    std::function<bool(int)> m_openSelectedPort;
    std::function<int()> m_runDialog;
};

} // namespace velinor
