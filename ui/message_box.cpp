// Tips: construction, texts, modal display and answers.
#include "ui/message_box.h"

#include <algorithm>
#include <vector>

#include "uilib/containers.h"

namespace {

uilib::FrameParams ParamsFor(const std::wstring& file) {
    return uilib::FrameParams{4, 147, L"", file, file.substr(0, file.rfind(L'.'))};
}

TipAnswerer& Answerer() {
    static TipAnswerer answerer;
    return answerer;
}

std::vector<CMessageBoxWnd*>& LiveBoxes() {
    static std::vector<CMessageBoxWnd*> boxes;
    return boxes;
}

}  // namespace

CMessageBoxWnd::CMessageBoxWnd(uilib::FrameParams params) : CMarkupFrame(std::move(params)) {
    LiveBoxes().push_back(this);
}

CMessageBoxWnd::~CMessageBoxWnd() {
    auto& boxes = LiveBoxes();
    boxes.erase(std::remove(boxes.begin(), boxes.end(), this), boxes.end());
}

CMessageBoxWnd* CMessageBoxWnd::Active() {
    auto& boxes = LiveBoxes();
    for (auto it = boxes.rbegin(); it != boxes.rend(); ++it) {
        if ((*it)->IsWindow()) return *it;
    }
    return nullptr;
}

uilib::FrameParams MessageBox1Params() { return ParamsFor(L"MessageBox1Wnd.xml"); }
uilib::FrameParams MessageBox2Params() { return ParamsFor(L"MessageBox2Wnd.xml"); }
uilib::FrameParams ExitTipParams() { return ParamsFor(L"ExitTipWnd.xml"); }
uilib::FrameParams InstalledPathTipParams() { return ParamsFor(L"InstalledPathTipWnd.xml"); }
uilib::FrameParams NetworkTipParams() { return ParamsFor(L"NetworkTipWnd.xml"); }

void SetTipAnswerer(TipAnswerer answerer) {
    Answerer() = std::move(answerer);
}

std::wstring TipWording(CMessageBoxWnd& box) {
    std::wstring labels;
    std::wstring buttons;
    uilib::CControlUI* root = box.GetManager().GetRoot();
    if (root == nullptr) return labels;
    root->ForEach([&](uilib::CControlUI* control) {
        std::wstring text = control->GetText();
        if (text.empty() || !control->IsVisible()) return;
        if (control->GetInterface(L"Button") != nullptr) {
            buttons += (buttons.empty() ? L"[" : L" [") + text + L"]";
        } else {
            labels += (labels.empty() ? L"" : L" | ") + text;
        }
    });
    return buttons.empty() ? labels : labels + L" " + buttons;
}

void CMessageBoxWnd::InitWindow() {
    CMarkupFrame::InitWindow();
    style_ = (style_ & ~(uilib::kStyleCaption | uilib::kStyleMaximizeBox)) | uilib::kStyleClipChildrenSiblings;
    exStyle_ &= ~uilib::kExStyleTopmost;
    okBtn = FindControl(L"okBtn");
    cancelBtn = FindControl(L"cancelBtn");
    textLbl = FindControl(L"textLbl");
    captionLbl = FindControl(L"captionLbl");
}

void CMessageBoxWnd::OnClick(uilib::NotifyMsg& msg) {
    if (msg.Sender != nullptr && msg.Sender == okBtn) {
        Close(1);
        Result = kAnswerOk;
    } else if (msg.Sender != nullptr && msg.Sender == cancelBtn) {
        Close(1);
        Result = kAnswerCancel;
    } else {
        CMarkupFrame::OnClick(msg);
        Result = kAnswerOther;
    }
}

int ShowMessageBox(uilib::CWindowWnd* owner, const uilib::FrameParams& params, const wchar_t* text,
                   const wchar_t* caption) {
    auto box = std::make_unique<CMessageBoxWnd>(params);
    box->Create(owner, L"消息框", 0x10CF0000, 0, uilib::kUseDefault, uilib::kUseDefault, uilib::kUseDefault,
                uilib::kUseDefault);
    if (text != nullptr && box->textLbl != nullptr) box->textLbl->SetText(text);
    if (caption != nullptr && box->captionLbl != nullptr) box->captionLbl->SetText(caption);
    if (Answerer()) {
        int answer = Answerer()(params.SkinFile, TipWording(*box));
        box->DestroyWindow();
        return answer;
    }
    box->CenterWindow();
    box->ShowModal();
    int result = box->Result;
    return result;
}
