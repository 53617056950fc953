// Notifications: the record controls send and the receiver interfaces of a window.
#pragma once

#include <cstdint>
#include <string>

#include "uilib/geometry.h"

namespace uilib {

class CControlUI;

struct NotifyMsg {
    std::wstring Type;          // "click", "selectchanged", "tabselect", "timer", …
    std::wstring VirtualWnd;    // not used by the installer
    CControlUI* Sender = nullptr;
    uint32_t Timestamp = 0;     // system millisecond tick when sent
    Point MousePoint;           // the last mouse position known to the window
    uintptr_t WParam = 0;
    intptr_t LParam = 0;
};

class INotifyUI {
public:
    virtual ~INotifyUI() = default;
    virtual void Notify(NotifyMsg& msg) = 0;
};

// Sees every message of the window first; sets `handled` to stop it.
class IMessageFilterUI {
public:
    virtual ~IMessageFilterUI() = default;
    virtual intptr_t MessageHandler(uint32_t msg, uintptr_t wParam, intptr_t lParam, bool& handled) = 0;
};

// The custom-control hook: a new control for a tag the framework does not know, or
// null. The builder owns what it returns.
class IDialogBuilderCallback {
public:
    virtual ~IDialogBuilderCallback() = default;
    virtual CControlUI* CreateControl(const std::wstring& tag) = 0;
};

}  // namespace uilib
