// CControlUI: the base of every control of a markup window's tree.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "uilib/geometry.h"
#include "uilib/image_description.h"

namespace uilib {

class CControlUI;
class CUIManager;
class Painter;
struct NotifyMsg;

// Input and timer events a control receives from its manager.
enum class EventType {
    MouseEnter,
    MouseLeave,
    MouseMove,
    ButtonDown,
    ButtonUp,
    KeyDown,
    Char,
    SetFocus,
    KillFocus,
    Timer,
};

struct TEventUI {
    EventType Type = EventType::MouseMove;
    CControlUI* Sender = nullptr;
    uint32_t Timestamp = 0;
    Point MousePoint;
    uint32_t Key = 0;       // key code (13 Enter, 27 Escape, 32 Space) or character
    uintptr_t WParam = 0;   // timer: the user timer id
    intptr_t LParam = 0;
};

// Key codes the controls look at.
constexpr uint32_t kKeyBack = 8;
constexpr uint32_t kKeyReturn = 13;
constexpr uint32_t kKeyEscape = 27;
constexpr uint32_t kKeySpace = 32;

class CControlUI {
public:
    CControlUI() = default;
    CControlUI(const CControlUI&) = delete;
    CControlUI& operator=(const CControlUI&) = delete;
    // Stops the control's timers when it still belongs to a manager.
    virtual ~CControlUI();

    virtual std::wstring GetClass() const { return L"Control"; }
    // The control as the named interface ("Control", "Label", …), or null.
    virtual void* GetInterface(const std::wstring& name);

    // Applies one layout attribute; unknown names are ignored.
    virtual void SetAttribute(const std::wstring& name, const std::wstring& value);
    // Joins a manager; DoInit runs once the whole tree is attached.
    virtual void SetManager(CUIManager* manager, CControlUI* parent);
    virtual void DoInit() {}
    virtual void DoEvent(TEventUI& event);
    virtual void DoPaint(Painter& painter);
    // Places the control (and lays out its children) in window coordinates.
    virtual void SetPos(const Rect& rc);
    // The deepest visible control under a point, or null.
    virtual CControlUI* FindControlAt(int x, int y);
    // Calls `visit` for this control and every descendant, depth-first.
    virtual void ForEach(const std::function<void(CControlUI*)>& visit);

    CUIManager* GetManager() const { return manager_; }
    CControlUI* GetParent() const { return parent_; }
    const Rect& GetPos() const { return pos_; }

    const std::wstring& GetName() const { return name_; }
    void SetName(const std::wstring& name) { name_ = name; }
    virtual std::wstring GetText() const { return text_; }
    virtual void SetText(const std::wstring& text);
    const std::wstring& GetUserData() const { return userData_; }
    void SetUserData(const std::wstring& data) { userData_ = data; }

    // Own visibility; IsVisible also needs every ancestor visible.
    virtual void SetVisible(bool visible);
    bool IsOwnVisible() const { return visible_; }
    bool IsVisible() const;
    virtual void SetEnabled(bool enabled);
    bool IsEnabled() const { return enabled_; }
    void SetFocus();
    bool IsFocused() const;
    virtual bool IsFocusable() const { return false; }

    int GetFixedWidth() const { return fixedWidth_; }
    int GetFixedHeight() const { return fixedHeight_; }
    void SetFixedWidth(int width);
    void SetFixedHeight(int height);
    const Rect& GetPadding() const { return padding_; }

    uint32_t GetBkColor() const { return bkColor_; }
    void SetBkColor(uint32_t color);
    const std::wstring& GetBkImage() const { return bkImage_; }
    void SetBkImage(const std::wstring& image);
    Point GetBorderRound() const { return borderRound_; }
    int GetBorderSize() const { return borderSize_; }

    // Asks the window for a repaint (and a new layout when sizes changed).
    void Invalidate();
    void NeedParentUpdate();

    // Delegates called before the window's receivers for notifications this control
    // sends; a delegate returning false stops nothing (all run).
    std::vector<std::function<void(NotifyMsg&)>> OnNotify;

protected:
    void PaintBkColor(Painter& painter);
    void PaintBkImage(Painter& painter);
    virtual void PaintStatusImage(Painter&) {}
    virtual void PaintText(Painter&) {}
    void PaintBorder(Painter& painter);

    CUIManager* manager_ = nullptr;
    CControlUI* parent_ = nullptr;
    Rect pos_;
    std::wstring name_;
    std::wstring text_;
    std::wstring userData_;
    bool visible_ = true;
    bool enabled_ = true;
    int fixedWidth_ = 0;
    int fixedHeight_ = 0;
    Rect padding_;
    uint32_t bkColor_ = 0;
    std::wstring bkImage_;
    Point borderRound_;
    int borderSize_ = 0;
    uint32_t borderColor_ = 0;
};

}  // namespace uilib
