// POSIX body of platform/network.h: GLib's GNetworkMonitor.
#include "platform/network.h"

#include <gio/gio.h>

namespace platform {

Connectivity QueryConnectivity() {
    GNetworkMonitor* monitor = g_network_monitor_get_default();  // owned by GIO
    if (monitor == nullptr) {
        return Connectivity::Unavailable;
    }
    if (!g_network_monitor_get_network_available(monitor)) {
        return Connectivity::None;
    }
    switch (g_network_monitor_get_connectivity(monitor)) {
        case G_NETWORK_CONNECTIVITY_FULL:
            return Connectivity::Full;
        case G_NETWORK_CONNECTIVITY_LOCAL:
        case G_NETWORK_CONNECTIVITY_LIMITED:
        case G_NETWORK_CONNECTIVITY_PORTAL:
            return Connectivity::Limited;
    }
    return Connectivity::Unavailable;
}

}  // namespace platform
