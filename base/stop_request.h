#pragma once

namespace velinor {

// A request from outside to end the work at hand (in velinor-cli: Ctrl+C, SIGTERM,
// SIGHUP). The exchange with the adapter asks it at every step and during every pause;
// it may be asked from several threads at once.
class StopRequest {
public:
    virtual ~StopRequest() = default;
    // How many times stopping was asked for: 0 not at all; 1 stop where nothing is left
    // half done; 2 or more stop at once.
    virtual int level() const = 0;
    // The signal that asked first (SIGINT, SIGTERM, SIGHUP); 0 when none.
    virtual int signal() const = 0;
};

} // namespace velinor
