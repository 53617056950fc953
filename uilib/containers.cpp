// Containers and the layout algorithm for fixed, flexible and padded children.
#include "uilib/containers.h"

#include <algorithm>

#include "uilib/render.h"
#include "uilib/ui_manager.h"

namespace uilib {

CContainerUI::~CContainerUI() {
    for (CControlUI* item : items_) delete item;
}

void* CContainerUI::GetInterface(const std::wstring& name) {
    if (name == L"Container") return this;
    return CControlUI::GetInterface(name);
}

bool CContainerUI::Add(CControlUI* control) {
    if (control == nullptr) return false;
    items_.push_back(control);
    if (manager_ != nullptr) control->SetManager(manager_, this);
    NeedParentUpdate();
    return true;
}

CControlUI* CContainerUI::GetItemAt(int index) const {
    if (index < 0 || index >= GetCount()) return nullptr;
    return items_[static_cast<size_t>(index)];
}

int CContainerUI::GetItemIndex(const CControlUI* control) const {
    for (size_t i = 0; i < items_.size(); ++i) {
        if (items_[i] == control) return static_cast<int>(i);
    }
    return -1;
}

void CContainerUI::SetManager(CUIManager* manager, CControlUI* parent) {
    CControlUI::SetManager(manager, parent);
    for (CControlUI* item : items_) item->SetManager(manager, this);
}

void CContainerUI::DoPaint(Painter& painter) {
    CControlUI::DoPaint(painter);
    for (CControlUI* item : items_) {
        if (item->IsOwnVisible() && !item->GetPos().Empty()) item->DoPaint(painter);
    }
}

void CContainerUI::SetPos(const Rect& rc) {
    CControlUI::SetPos(rc);
    for (CControlUI* item : items_) {
        if (!item->IsOwnVisible()) continue;
        const Rect& pad = item->GetPadding();
        item->SetPos(Rect{rc.left + pad.left, rc.top + pad.top, rc.right - pad.right, rc.bottom - pad.bottom});
    }
}

CControlUI* CContainerUI::FindControlAt(int x, int y) {
    if (!visible_ || !pos_.Contains(x, y)) return nullptr;
    // Later children paint over earlier ones, so they are hit first.
    for (auto it = items_.rbegin(); it != items_.rend(); ++it) {
        if (CControlUI* hit = (*it)->FindControlAt(x, y)) return hit;
    }
    return this;
}

void CContainerUI::ForEach(const std::function<void(CControlUI*)>& visit) {
    visit(this);
    for (CControlUI* item : items_) item->ForEach(visit);
}

namespace {

// Shares `space` along one axis: fixed children take their size plus padding, the
// flexible ones split what is left equally (the last takes the remainder).
template <typename FixedOf, typename PadBefore, typename PadAfter>
std::vector<int> ShareAxis(const std::vector<CControlUI*>& items, int space, FixedOf fixedOf,
                           PadBefore padBefore, PadAfter padAfter) {
    std::vector<int> sizes(items.size(), 0);
    int used = 0;
    int flexible = 0;
    for (CControlUI* item : items) {
        if (!item->IsOwnVisible()) continue;
        used += padBefore(item) + padAfter(item);
        if (fixedOf(item) > 0) used += fixedOf(item);
        else ++flexible;
    }
    int remaining = std::max(0, space - used);
    int share = flexible > 0 ? remaining / flexible : 0;
    int leftOver = flexible > 0 ? remaining - share * flexible : 0;
    int seen = 0;
    for (size_t i = 0; i < items.size(); ++i) {
        CControlUI* item = items[i];
        if (!item->IsOwnVisible()) continue;
        if (fixedOf(item) > 0) {
            sizes[i] = fixedOf(item);
        } else {
            ++seen;
            sizes[i] = share + (seen == flexible ? leftOver : 0);
        }
    }
    return sizes;
}

}  // namespace

void* CVerticalLayoutUI::GetInterface(const std::wstring& name) {
    if (name == L"VerticalLayout") return this;
    return CContainerUI::GetInterface(name);
}

void CVerticalLayoutUI::SetPos(const Rect& rc) {
    CControlUI::SetPos(rc);
    std::vector<int> heights = ShareAxis(
        items_, rc.Height(), [](CControlUI* c) { return c->GetFixedHeight(); },
        [](CControlUI* c) { return c->GetPadding().top; }, [](CControlUI* c) { return c->GetPadding().bottom; });
    int y = rc.top;
    for (size_t i = 0; i < items_.size(); ++i) {
        CControlUI* item = items_[i];
        if (!item->IsOwnVisible()) continue;
        const Rect& pad = item->GetPadding();
        y += pad.top;
        int left = rc.left + pad.left;
        int width = item->GetFixedWidth() > 0 ? item->GetFixedWidth() : rc.Width() - pad.left - pad.right;
        item->SetPos(Rect{left, y, left + std::max(0, width), y + heights[i]});
        y += heights[i] + pad.bottom;
    }
}

void* CHorizontalLayoutUI::GetInterface(const std::wstring& name) {
    if (name == L"HorizontalLayout") return this;
    return CContainerUI::GetInterface(name);
}

void CHorizontalLayoutUI::SetPos(const Rect& rc) {
    CControlUI::SetPos(rc);
    std::vector<int> widths = ShareAxis(
        items_, rc.Width(), [](CControlUI* c) { return c->GetFixedWidth(); },
        [](CControlUI* c) { return c->GetPadding().left; }, [](CControlUI* c) { return c->GetPadding().right; });
    int x = rc.left;
    for (size_t i = 0; i < items_.size(); ++i) {
        CControlUI* item = items_[i];
        if (!item->IsOwnVisible()) continue;
        const Rect& pad = item->GetPadding();
        x += pad.left;
        int top = rc.top + pad.top;
        int height = item->GetFixedHeight() > 0 ? item->GetFixedHeight() : rc.Height() - pad.top - pad.bottom;
        item->SetPos(Rect{x, top, x + widths[i], top + std::max(0, height)});
        x += widths[i] + pad.right;
    }
}

void* CTabLayoutUI::GetInterface(const std::wstring& name) {
    if (name == L"TabLayout") return this;
    return CContainerUI::GetInterface(name);
}

bool CTabLayoutUI::Add(CControlUI* control) {
    if (control == nullptr) return false;
    if (current_ == -1 && control->IsOwnVisible()) {
        current_ = GetCount();
    } else {
        control->SetVisible(false);
    }
    return CContainerUI::Add(control);
}

void CTabLayoutUI::SetPos(const Rect& rc) {
    CContainerUI::SetPos(rc);
}

bool CTabLayoutUI::SelectItem(int index, bool sendEvent) {
    if (index < 0 || index >= GetCount()) return false;
    if (index == current_) return true;
    int previous = current_;
    current_ = index;
    for (int i = 0; i < GetCount(); ++i) items_[static_cast<size_t>(i)]->SetVisible(i == index);
    NeedParentUpdate();
    if (manager_ != nullptr) {
        manager_->SetFocus(items_[static_cast<size_t>(index)]);
        if (sendEvent) {
            manager_->SendNotify(this, L"tabselect", static_cast<uintptr_t>(index), previous);
        }
    }
    return true;
}

}  // namespace uilib
