// CMarkupBuilder: turns a layout's text into a control tree for a window's manager.
#pragma once

#include <string>

#include "uilib/control.h"
#include "uilib/notify.h"
#include "uilib/ui_manager.h"

namespace uilib {

class CMarkupBuilder {
public:
    // Applies the `Window` attributes and `Font`s to `manager` and returns the root
    // control of the new tree (owned by the caller until attached), or null with a
    // reason in `error` when the text is not a layout. Unknown tags go to `callback`
    // (which may be null) and are skipped when it returns nothing.
    static CControlUI* Create(const std::wstring& text, CUIManager& manager, IDialogBuilderCallback* callback,
                              std::wstring* error = nullptr);
};

// A new control for one of the framework's tags (ignoring case), or null.
CControlUI* CreateBuiltinControl(const std::wstring& tag);

}  // namespace uilib
