// Network reachability as the installer's network check understands it.
#pragma once

#include <cstdint>

namespace platform {

enum class Connectivity {
    Unavailable,  // the monitor cannot be asked
    None,         // no network at all
    Limited,      // a local network, a captive portal, but no Internet
    Full,         // the Internet is reachable
};

// Asks GLib's network monitor. Any thread.
Connectivity QueryConnectivity();

}  // namespace platform
