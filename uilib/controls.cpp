// Label, button, option, check box, edit and progress bar.
#include "uilib/controls.h"

#include <algorithm>

#include "uilib/render.h"
#include "uilib/ui_manager.h"

namespace uilib {

// ---- CLabelUI ---------------------------------------------------------------

void* CLabelUI::GetInterface(const std::wstring& name) {
    if (name == L"Label") return this;
    return CControlUI::GetInterface(name);
}

void CLabelUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
    if (name == L"font") SetFont(ParseInt(value));
    else if (name == L"textcolor") SetTextColor(ParseColor(value));
    else if (name == L"disabledtextcolor") disabledTextColor_ = ParseColor(value);
    else if (name == L"align") {
        if (value.find(L"left") != std::wstring::npos) {
            textStyle_ &= ~(kAlignCenter | kAlignRight);
            textStyle_ |= kAlignLeft;
        }
        if (value.find(L"center") != std::wstring::npos) {
            textStyle_ &= ~(kAlignLeft | kAlignRight);
            textStyle_ |= kAlignCenter;
        }
        if (value.find(L"right") != std::wstring::npos) {
            textStyle_ &= ~(kAlignLeft | kAlignCenter);
            textStyle_ |= kAlignRight;
        }
    } else if (name == L"valign") {
        if (value.find(L"top") != std::wstring::npos) {
            textStyle_ &= ~(kAlignBottom | kAlignVCenter);
            textStyle_ |= kAlignTop;
        }
        if (value.find(L"vcenter") != std::wstring::npos) {
            textStyle_ &= ~(kAlignTop | kAlignBottom);
            textStyle_ |= kAlignVCenter;
        }
        if (value.find(L"bottom") != std::wstring::npos) {
            textStyle_ &= ~(kAlignTop | kAlignVCenter);
            textStyle_ |= kAlignBottom;
        }
    } else if (name == L"textpadding") textPadding_ = ParseRect(value);
    else if (name == L"multiline") {
        if (ParseBool(value)) {
            textStyle_ &= ~kAlignSingleLine;
            textStyle_ |= kAlignWordBreak;
        } else {
            textStyle_ |= kAlignSingleLine;
            textStyle_ &= ~kAlignWordBreak;
        }
    } else CControlUI::SetAttribute(name, value);
}

void CLabelUI::SetFont(int index) {
    font_ = index;
    Invalidate();
}

void CLabelUI::SetTextColor(uint32_t color) {
    textColor_ = color;
    Invalidate();
}

void CLabelUI::PaintText(Painter& painter) {
    if (text_.empty()) return;
    uint32_t color = CurrentTextColor();
    if (!IsEnabled() && disabledTextColor_ != 0) color = disabledTextColor_;
    Rect rc{pos_.left + textPadding_.left, pos_.top + textPadding_.top, pos_.right - textPadding_.right,
            pos_.bottom - textPadding_.bottom};
    painter.DrawText(rc, text_, font_, color, textStyle_);
}

// ---- CButtonUI --------------------------------------------------------------

void* CButtonUI::GetInterface(const std::wstring& name) {
    if (name == L"Button") return this;
    return CLabelUI::GetInterface(name);
}

void CButtonUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
    if (name == L"normalimage") normalImage_ = value;
    else if (name == L"hotimage") hotImage_ = value;
    else if (name == L"pushedimage") pushedImage_ = value;
    else if (name == L"disabledimage") disabledImage_ = value;
    else if (name == L"hottextcolor") hotTextColor_ = ParseColor(value);
    else if (name == L"pushedtextcolor") pushedTextColor_ = ParseColor(value);
    else if (name == L"hotbkcolor") hotBkColor_ = ParseColor(value);
    else if (name == L"pushedbkcolor") pushedBkColor_ = ParseColor(value);
    else CLabelUI::SetAttribute(name, value);
}

bool CButtonUI::Activate() {
    if (!IsVisible() || !IsEnabled()) return false;
    if (manager_ != nullptr) manager_->SendNotify(this, L"click");
    return true;
}

void CButtonUI::DoEvent(TEventUI& event) {
    switch (event.Type) {
    case EventType::MouseEnter:
        if (IsEnabled()) {
            hot_ = true;
            Invalidate();
        }
        break;
    case EventType::MouseLeave:
        hot_ = false;
        Invalidate();
        break;
    case EventType::ButtonDown:
        if (IsEnabled()) {
            pushed_ = true;
            Invalidate();
        }
        break;
    case EventType::MouseMove:
        break;
    case EventType::ButtonUp: {
        bool wasPushed = pushed_;
        pushed_ = false;
        Invalidate();
        // Released over the control after being pressed on it.
        if (wasPushed && pos_.Contains(event.MousePoint.x, event.MousePoint.y)) Activate();
        break;
    }
    case EventType::KeyDown:
        if (event.Key == kKeySpace || event.Key == kKeyReturn) Activate();
        break;
    case EventType::KillFocus:
        pushed_ = false;
        Invalidate();
        break;
    default:
        CLabelUI::DoEvent(event);
        break;
    }
}

uint32_t CButtonUI::CurrentTextColor() const {
    if (pushed_ && pushedTextColor_ != 0) return pushedTextColor_;
    if ((hot_ || pushed_) && hotTextColor_ != 0) return hotTextColor_;
    return textColor_;
}

void CButtonUI::PaintBkColorForState(Painter& painter) {
    uint32_t color = bkColor_;
    if (pushed_ && pushedBkColor_ != 0) color = pushedBkColor_;
    else if ((hot_ || pushed_) && hotBkColor_ != 0) color = hotBkColor_;
    if ((color >> 24) != 0) painter.FillRect(pos_, color, borderRound_);
}

void CButtonUI::DoPaint(Painter& painter) {
    PaintBkColorForState(painter);
    PaintBkImage(painter);
    PaintStatusImage(painter);
    PaintText(painter);
    PaintBorder(painter);
}

void CButtonUI::PaintStatusImage(Painter& painter) {
    // A state without its own image falls back to the normal one.
    if (!IsEnabled() && !disabledImage_.empty() && painter.DrawImage(pos_, disabledImage_)) return;
    if (pushed_ && !pushedImage_.empty() && painter.DrawImage(pos_, pushedImage_)) return;
    if ((hot_ || pushed_) && !hotImage_.empty() && painter.DrawImage(pos_, hotImage_)) return;
    if (!normalImage_.empty()) painter.DrawImage(pos_, normalImage_);
}

// ---- COptionUI / CCheckBoxUI ------------------------------------------------

void* COptionUI::GetInterface(const std::wstring& name) {
    if (name == L"Option") return this;
    return CButtonUI::GetInterface(name);
}

void COptionUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
    if (name == L"selected") Selected(ParseBool(value), /*sendEvent=*/false);
    else if (name == L"selectedimage") selectedImage_ = value;
    else if (name == L"selectedtextcolor") selectedTextColor_ = ParseColor(value);
    else CButtonUI::SetAttribute(name, value);
}

bool COptionUI::Activate() {
    if (!CButtonUI::Activate()) return false;
    Selected(!selected_, /*sendEvent=*/true);
    return true;
}

void COptionUI::Selected(bool selected, bool sendEvent) {
    if (selected_ == selected) return;
    selected_ = selected;
    Invalidate();
    if (sendEvent && manager_ != nullptr) manager_->SendNotify(this, L"selectchanged");
}

void COptionUI::PaintStatusImage(Painter& painter) {
    if (selected_ && !selectedImage_.empty() && painter.DrawImage(pos_, selectedImage_)) return;
    CButtonUI::PaintStatusImage(painter);
}

uint32_t COptionUI::CurrentTextColor() const {
    if (selected_ && selectedTextColor_ != 0) return selectedTextColor_;
    return CButtonUI::CurrentTextColor();
}

void* CCheckBoxUI::GetInterface(const std::wstring& name) {
    if (name == L"CheckBox") return this;
    return COptionUI::GetInterface(name);
}

// ---- CEditUI ----------------------------------------------------------------

void* CEditUI::GetInterface(const std::wstring& name) {
    if (name == L"Edit") return this;
    return CLabelUI::GetInterface(name);
}

void CEditUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
    if (name == L"maxchar") {
        int max = ParseInt(value);
        if (max > 0) maxChar_ = static_cast<size_t>(max);
    } else {
        CLabelUI::SetAttribute(name, value);
    }
}

void CEditUI::SetText(const std::wstring& text) {
    CLabelUI::SetText(text.substr(0, maxChar_));
}

void CEditUI::TextChangedByUser(const std::wstring& text) {
    text_ = text.substr(0, maxChar_);
}

void CEditUI::DoEvent(TEventUI& event) {
    if (event.Type == EventType::Char && IsEnabled()) {
        if (event.Key >= 0x20 && event.Key != 0x7F && text_.size() < maxChar_) {
            text_ += static_cast<wchar_t>(event.Key);
            Invalidate();
        }
        return;
    }
    if (event.Type == EventType::KeyDown && event.Key == kKeyBack && IsEnabled()) {
        if (!text_.empty()) {
            text_.pop_back();
            Invalidate();
        }
        return;
    }
    if (event.Type == EventType::ButtonDown) {
        SetFocus();
        return;
    }
    CLabelUI::DoEvent(event);
}

void CEditUI::PaintText(Painter& painter) {
    // With a native entry over the control, the entry draws the text.
    if (manager_ != nullptr && manager_->HasNativeEdits()) return;
    CLabelUI::PaintText(painter);
}

// ---- CProgressUI ------------------------------------------------------------

void* CProgressUI::GetInterface(const std::wstring& name) {
    if (name == L"Progress") return this;
    return CLabelUI::GetInterface(name);
}

void CProgressUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
    if (name == L"foreimage") SetForeImage(value);
    else if (name == L"min") min_ = ParseInt(value);
    else if (name == L"max") max_ = ParseInt(value);
    else if (name == L"value") SetValue(ParseInt(value));
    else CLabelUI::SetAttribute(name, value);
}

void CProgressUI::SetValue(int value) {
    int clamped = std::clamp(value, min_, std::max(min_, max_));
    if (clamped == value_) return;
    value_ = clamped;
    Invalidate();
}

void CProgressUI::SetForeImage(const std::wstring& image) {
    foreImage_ = image;
    Invalidate();
}

void CProgressUI::PaintStatusImage(Painter& painter) {
    if (max_ <= min_ || foreImage_.empty()) return;
    double fraction = static_cast<double>(value_ - min_) / static_cast<double>(max_ - min_);
    int width = static_cast<int>(static_cast<double>(pos_.Width()) * fraction);
    if (width <= 0) return;
    // The filled part keeps its nine-grid ends: draw the image into the left part.
    ImageSpec desc = ParseImageSpec(foreImage_);
    desc.hasDest = true;
    desc.dest = Rect{0, 0, width, pos_.Height()};
    painter.DrawImage(pos_, desc);
}

}  // namespace uilib
