// CControlUI: attributes, visibility, focus, painting of background and border.
#include "uilib/control.h"

#include "uilib/render.h"
#include "uilib/ui_manager.h"

namespace uilib {

CControlUI::~CControlUI() {
    if (manager_ != nullptr) {
        manager_->KillTimers(this);
        manager_->ReapControl(this);
    }
}

void* CControlUI::GetInterface(const std::wstring& name) {
    if (name == L"Control") return this;
    return nullptr;
}

void CControlUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
    int v[4];
    if (name == L"name") name_ = value;
    else if (name == L"text") SetText(value);
    else if (name == L"userdata") userData_ = value;
    else if (name == L"width") SetFixedWidth(ParseInt(value));
    else if (name == L"height") SetFixedHeight(ParseInt(value));
    else if (name == L"pos") {
        ParseIntList(value, v, 4);
        SetFixedWidth(v[2] - v[0]);
        SetFixedHeight(v[3] - v[1]);
    } else if (name == L"padding") padding_ = ParseRect(value);
    else if (name == L"visible") SetVisible(ParseBool(value));
    else if (name == L"enabled") SetEnabled(ParseBool(value));
    else if (name == L"bkcolor") SetBkColor(ParseColor(value));
    else if (name == L"bkimage") SetBkImage(value);
    else if (name == L"borderround") {
        ParseIntList(value, v, 2);
        borderRound_ = Point{v[0], v[1]};
    } else if (name == L"bordersize") borderSize_ = ParseInt(value);
    else if (name == L"bordercolor") borderColor_ = ParseColor(value);
}

void CControlUI::SetManager(CUIManager* manager, CControlUI* parent) {
    manager_ = manager;
    parent_ = parent;
}

void CControlUI::DoEvent(TEventUI& event) {
    if (event.Type == EventType::Timer && manager_ != nullptr) {
        manager_->SendNotify(this, L"timer", event.WParam, event.LParam);
    }
}

void CControlUI::DoPaint(Painter& painter) {
    PaintBkColor(painter);
    PaintBkImage(painter);
    PaintStatusImage(painter);
    PaintText(painter);
    PaintBorder(painter);
}

void CControlUI::PaintBkColor(Painter& painter) {
    if ((bkColor_ >> 24) != 0) painter.FillRect(pos_, bkColor_, borderRound_);
}

void CControlUI::PaintBkImage(Painter& painter) {
    if (!bkImage_.empty()) painter.DrawImage(pos_, bkImage_);
}

void CControlUI::PaintBorder(Painter& painter) {
    if (borderSize_ > 0 && (borderColor_ >> 24) != 0) {
        painter.StrokeRect(pos_, borderColor_, borderSize_, borderRound_);
    }
}

void CControlUI::SetPos(const Rect& rc) {
    pos_ = rc;
}

CControlUI* CControlUI::FindControlAt(int x, int y) {
    if (!visible_ || !pos_.Contains(x, y)) return nullptr;
    return this;
}

void CControlUI::ForEach(const std::function<void(CControlUI*)>& visit) {
    visit(this);
}

void CControlUI::SetText(const std::wstring& text) {
    if (text_ == text) return;
    text_ = text;
    Invalidate();
}

void CControlUI::SetVisible(bool visible) {
    if (visible_ == visible) return;
    visible_ = visible;
    if (!visible && manager_ != nullptr) manager_->ReapControl(this);
    NeedParentUpdate();
}

bool CControlUI::IsVisible() const {
    for (const CControlUI* c = this; c != nullptr; c = c->parent_) {
        if (!c->visible_) return false;
    }
    return true;
}

void CControlUI::SetEnabled(bool enabled) {
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    Invalidate();
}

void CControlUI::SetFocus() {
    if (manager_ != nullptr) manager_->SetFocus(this);
}

bool CControlUI::IsFocused() const {
    return manager_ != nullptr && manager_->GetFocus() == this;
}

void CControlUI::SetFixedWidth(int width) {
    if (width < 0) return;
    fixedWidth_ = width;
    NeedParentUpdate();
}

void CControlUI::SetFixedHeight(int height) {
    if (height < 0) return;
    fixedHeight_ = height;
    NeedParentUpdate();
}

void CControlUI::SetBkColor(uint32_t color) {
    bkColor_ = color;
    Invalidate();
}

void CControlUI::SetBkImage(const std::wstring& image) {
    if (bkImage_ == image) return;
    bkImage_ = image;
    Invalidate();
}

void CControlUI::Invalidate() {
    if (manager_ != nullptr) manager_->Invalidate();
}

void CControlUI::NeedParentUpdate() {
    if (manager_ != nullptr) manager_->NeedUpdate();
}

}  // namespace uilib
