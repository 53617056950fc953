// The GTK 3 window backend: real undecorated windows with a rounded outline, mouse
// and keyboard input, native text entries with input methods, the folder chooser,
// and a click-through shadow window where a compositor runs.
#pragma once

#include <memory>

#include "uilib/window_backend.h"

namespace uilib {

// Starts GTK (the X11 backend preferred, so windows can be placed and shadowed) and
// returns the backend, or null when no display can be opened.
std::unique_ptr<WindowBackend> CreateGtkBackend();

}  // namespace uilib
