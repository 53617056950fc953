// The drop shadow of the installer's markup windows: reads the layout's shadow
// attributes into a CWndShadow and hands the computed bitmap to the window backend.
#pragma once

#include <memory>

#include "ui/wnd_shadow.h"
#include "uilib/ui_manager.h"
#include "uilib/window.h"

// A CWndShadow configured from a window's custom attributes (showshadow,
// shadowsize, shadowsharpness, shadowdarkness, shadowposition, shadowcolor), or null
// when showshadow is not "true" (letter case ignored).
std::unique_ptr<CWndShadow> ShadowFromAttributes(const uilib::CUIManager& manager);

// Framework set-up: every markup frame gets its shadow from the layout (the
// registration of the shadow window class).
void RegisterShadowClass();
