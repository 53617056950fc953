// CMessageBoxWnd and ShowMessageBox: the installer's modal messages and tips.
#pragma once

#include <functional>
#include <string>

#include "uilib/window.h"

// Answers of a tip.
constexpr int kAnswerOk = 0;      // okBtn
constexpr int kAnswerCancel = 1;  // cancelBtn, or closed without a click
constexpr int kAnswerOther = 2;   // any other control (the title-bar close button)

// The five layouts, as the installer requests them.
uilib::FrameParams MessageBox1Params();
uilib::FrameParams MessageBox2Params();
uilib::FrameParams ExitTipParams();
uilib::FrameParams InstalledPathTipParams();
uilib::FrameParams NetworkTipParams();

class CMessageBoxWnd : public uilib::CMarkupFrame {
public:
    explicit CMessageBoxWnd(uilib::FrameParams params);
    ~CMessageBoxWnd() override;
    // The most recently created tip that still exists, or null (UI thread).
    static CMessageBoxWnd* Active();
    void InitWindow() override;
    void OnClick(uilib::NotifyMsg& msg) override;

    int Result = kAnswerCancel;
    uilib::CControlUI* okBtn = nullptr;
    uilib::CControlUI* cancelBtn = nullptr;
    uilib::CControlUI* textLbl = nullptr;
    uilib::CControlUI* captionLbl = nullptr;
};

// Shows a tip modally over `owner` and returns its answer. Null text or caption keeps
// the layout's own wording.
int ShowMessageBox(uilib::CWindowWnd* owner, const uilib::FrameParams& params, const wchar_t* text,
                   const wchar_t* caption);

// Who answers tips: a person (the modal window) or a fixed policy (the unattended
// front end and tests). When set, the tip is built as usual but not shown: the
// hook sees the layout file and the wording the tip would show (its labels, then
// its buttons in brackets) and returns the answer.
using TipAnswerer = std::function<int(const std::wstring& layout, const std::wstring& wording)>;
void SetTipAnswerer(TipAnswerer answerer);

// The wording of a built tip: the visible labels' texts, then "[button]" texts.
std::wstring TipWording(CMessageBoxWnd& box);
