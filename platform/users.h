// Who runs the installer: administrator facts and the console user.
#pragma once

#include <string>

namespace platform {

// True when the process runs with administrator rights (effective uid 0).
bool IsProcessAdmin();

// True when the local account `name` is an administrator: uid 0, or a member of the
// group "sudo", "wheel" or "admin". False for an unknown account.
bool IsAdminAccount(const std::string& name);

// Name of the user of the active graphical session on seat0 (logind), else the
// login user of the process. False when neither can be found; `name` is then left
// unchanged.
bool ConsoleUser(std::string& name);

}  // namespace platform
