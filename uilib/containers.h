// Containers: the vertical, horizontal and tab layouts that own and place children.
#pragma once

#include <vector>

#include "uilib/control.h"

namespace uilib {

class CContainerUI : public CControlUI {
public:
    ~CContainerUI() override;
    std::wstring GetClass() const override { return L"Container"; }
    void* GetInterface(const std::wstring& name) override;

    // Takes ownership of `control`; false for null.
    virtual bool Add(CControlUI* control);
    int GetCount() const { return static_cast<int>(items_.size()); }
    CControlUI* GetItemAt(int index) const;
    int GetItemIndex(const CControlUI* control) const;

    void SetManager(CUIManager* manager, CControlUI* parent) override;
    void DoPaint(Painter& painter) override;
    void SetPos(const Rect& rc) override;
    CControlUI* FindControlAt(int x, int y) override;
    void ForEach(const std::function<void(CControlUI*)>& visit) override;

protected:
    // The area inside the container's own padding... children are placed inside pos_.
    std::vector<CControlUI*> items_;
};

// Children top to bottom: fixed heights first, the rest shared equally by the
// flexible ones; a child without a fixed width spans the width.
class CVerticalLayoutUI : public CContainerUI {
public:
    std::wstring GetClass() const override { return L"VerticalLayout"; }
    void* GetInterface(const std::wstring& name) override;
    void SetPos(const Rect& rc) override;
};

// Children left to right, the same rule across.
class CHorizontalLayoutUI : public CContainerUI {
public:
    std::wstring GetClass() const override { return L"HorizontalLayout"; }
    void* GetInterface(const std::wstring& name) override;
    void SetPos(const Rect& rc) override;
};

// One child (page) at a time; every page fills the layout.
class CTabLayoutUI : public CContainerUI {
public:
    std::wstring GetClass() const override { return L"TabLayout"; }
    void* GetInterface(const std::wstring& name) override;
    // The first visible child added becomes the current page; others are hidden.
    bool Add(CControlUI* control) override;
    void SetPos(const Rect& rc) override;
    // Shows page `index`, hides the others, focuses it and, with `sendEvent`, sends
    // "tabselect" (new, previous) synchronously. Fails outside 0…count−1; the current
    // index succeeds without doing anything.
    bool SelectItem(int index, bool sendEvent = true);
    int GetCurSel() const { return current_; }

private:
    int current_ = -1;
};

}  // namespace uilib
