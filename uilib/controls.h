// The leaf controls: label, button, option and check box, edit, progress bar.
#pragma once

#include "uilib/control.h"

namespace uilib {

class CLabelUI : public CControlUI {
public:
    std::wstring GetClass() const override { return L"Label"; }
    void* GetInterface(const std::wstring& name) override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;

    int GetFont() const { return font_; }  // -1: the window's default font
    void SetFont(int index);
    uint32_t GetTextColor() const { return textColor_; }
    void SetTextColor(uint32_t color);
    unsigned GetTextStyle() const { return textStyle_; }
    const Rect& GetTextPadding() const { return textPadding_; }
    bool IsMultiLine() const { return (textStyle_ & kAlignWordBreak) != 0; }

protected:
    void PaintText(Painter& painter) override;
    // The colour the text is drawn in now (state colours of derived controls).
    virtual uint32_t CurrentTextColor() const { return textColor_; }

    int font_ = -1;
    uint32_t textColor_ = 0;
    uint32_t disabledTextColor_ = 0;
    unsigned textStyle_ = kAlignVCenter | kAlignSingleLine;
    Rect textPadding_;
};

class CButtonUI : public CLabelUI {
public:
    CButtonUI() { textStyle_ = kAlignVCenter | kAlignCenter | kAlignSingleLine; }
    std::wstring GetClass() const override { return L"Button"; }
    void* GetInterface(const std::wstring& name) override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
    void DoEvent(TEventUI& event) override;
    bool IsFocusable() const override { return true; }

    // What a click does: sends "click" synchronously when visible and enabled.
    virtual bool Activate();

    bool IsHot() const { return hot_; }
    bool IsPushed() const { return pushed_; }
    const std::wstring& GetNormalImage() const { return normalImage_; }
    const std::wstring& GetHotImage() const { return hotImage_; }
    const std::wstring& GetPushedImage() const { return pushedImage_; }
    const std::wstring& GetDisabledImage() const { return disabledImage_; }
    uint32_t GetHotTextColor() const { return hotTextColor_; }
    uint32_t GetPushedTextColor() const { return pushedTextColor_; }

protected:
    void PaintBkColorForState(Painter& painter);
    void PaintStatusImage(Painter& painter) override;
    uint32_t CurrentTextColor() const override;

    bool hot_ = false;
    bool pushed_ = false;
    std::wstring normalImage_, hotImage_, pushedImage_, disabledImage_;
    uint32_t hotTextColor_ = 0, pushedTextColor_ = 0;
    uint32_t hotBkColor_ = 0, pushedBkColor_ = 0;

public:
    void DoPaint(Painter& painter) override;
};

class COptionUI : public CButtonUI {
public:
    COptionUI() { textStyle_ = kAlignVCenter | kAlignLeft | kAlignSingleLine; }
    std::wstring GetClass() const override { return L"Option"; }
    void* GetInterface(const std::wstring& name) override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
    // A click sends "click", then flips the selected state with the send flag.
    bool Activate() override;
    // No change → nothing; otherwise stores the state and, with `sendEvent`, sends
    // "selectchanged" synchronously.
    void Selected(bool selected, bool sendEvent = true);
    bool IsSelected() const { return selected_; }
    const std::wstring& GetSelectedImage() const { return selectedImage_; }

protected:
    void PaintStatusImage(Painter& painter) override;
    uint32_t CurrentTextColor() const override;

    bool selected_ = false;
    std::wstring selectedImage_;
    uint32_t selectedTextColor_ = 0;
};

class CCheckBoxUI : public COptionUI {
public:
    std::wstring GetClass() const override { return L"CheckBox"; }
    void* GetInterface(const std::wstring& name) override;
};

// Single-line text entry. The GTK backend places a native entry over it (with input
// methods); elsewhere typed characters and Backspace edit the text directly.
class CEditUI : public CLabelUI {
public:
    std::wstring GetClass() const override { return L"Edit"; }
    void* GetInterface(const std::wstring& name) override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
    void DoEvent(TEventUI& event) override;
    bool IsFocusable() const override { return true; }
    void SetText(const std::wstring& text) override;
    // The native entry's text changed (backend → control); no repaint request loop.
    void TextChangedByUser(const std::wstring& text);
    size_t GetMaxChar() const { return maxChar_; }

protected:
    void PaintText(Painter& painter) override;
    size_t maxChar_ = 255;
};

class CProgressUI : public CLabelUI {
public:
    std::wstring GetClass() const override { return L"Progress"; }
    void* GetInterface(const std::wstring& name) override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
    // Stores v clamped to [minimum, maximum].
    void SetValue(int value);
    int GetValue() const { return value_; }
    int GetMinValue() const { return min_; }
    int GetMaxValue() const { return max_; }
    void SetForeImage(const std::wstring& image);
    const std::wstring& GetForeImage() const { return foreImage_; }

protected:
    void PaintStatusImage(Painter& painter) override;

    int min_ = 0;
    int max_ = 100;
    int value_ = 0;
    std::wstring foreImage_;
};

}  // namespace uilib
