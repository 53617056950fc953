// CWindowWnd, WindowImplBase and CMarkupFrame.
#include "uilib/window.h"

#include <algorithm>
#include <cstdlib>

#include "app/log.h"
#include "uilib/containers.h"
#include "uilib/controls.h"
#include "uilib/markup_builder.h"
#include "uilib/render.h"
#include "uilib/resource_archive.h"
#include "platform/files.h"
#include "utils/text.h"

namespace uilib {
namespace {

// Every live window, so that destroying an owner destroys the windows it owns.
std::vector<CWindowWnd*>& LiveWindows() {
    static std::vector<CWindowWnd*> windows;
    return windows;
}

bool g_quit = false;

ShadowFactory& Shadows() {
    static ShadowFactory factory;
    return factory;
}

std::function<void()>& LoadFailureAction() {
    static std::function<void()> action;
    return action;
}

void FailLoading(const std::wstring& what, const std::wstring& reason) {
    VQ_LOG(L"cannot build %ls: %ls", what.c_str(), reason.c_str());
    if (LoadFailureAction()) {
        LoadFailureAction()();
        return;
    }
    if (HasBackend()) CurrentBackend().ShowPlatformMessage(L"加载资源文件失败", L"uilib");
    std::exit(1);
}

}  // namespace

void SetLoadFailureAction(std::function<void()> action) {
    LoadFailureAction() = std::move(action);
}

void RegisterShadowFactory(ShadowFactory factory) {
    Shadows() = std::move(factory);
}

// ---- CWindowWnd -------------------------------------------------------------

CWindowWnd::CWindowWnd() : life_(std::make_shared<Life>()) {
    life_->window = this;
    LiveWindows().push_back(this);
}

CWindowWnd::~CWindowWnd() {
    life_->window = nullptr;
    auto& live = LiveWindows();
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
    // A derived window is destroyed by its own destructor; this only drops the
    // platform window if it is still there.
    native_.reset();
}

bool CWindowWnd::Create(CWindowWnd* parent, const std::wstring& title, uint32_t style, uint32_t exStyle, int x,
                        int y, int cx, int cy) {
    if (native_ || !HasBackend()) return false;
    owner_ = parent;
    title_ = title;
    style_ = style;
    exStyle_ = exStyle;
    WindowCreateParams params;
    params.title = title;
    params.bounds = Rect{x == kUseDefault ? 0 : x, y == kUseDefault ? 0 : y,
                         (x == kUseDefault ? 0 : x) + (cx == kUseDefault ? 1 : cx),
                         (y == kUseDefault ? 0 : y) + (cy == kUseDefault ? 1 : cy)};
    native_ = CurrentBackend().CreateNativeWindow(this, owner_ != nullptr ? owner_->GetNative() : nullptr, params);
    if (!native_) return false;
    SendMessage(kMsgCreate);
    return native_ != nullptr;
}

void CWindowWnd::ShowWindow(bool show, bool takeFocus) {
    if (!native_) return;
    native_->Show(show);
    if (show && takeFocus) native_->Focus();
}

int CWindowWnd::ShowModal() {
    if (!native_) return closeResult_;
    CWindowWnd* owner = owner_;
    ShowWindow(true);
    if (owner != nullptr && owner->GetNative() != nullptr) owner->GetNative()->SetEnabled(false);
    // The owner may be destroyed meanwhile (which destroys this window too).
    std::weak_ptr<Life> ownerLife;
    if (owner != nullptr) ownerLife = owner->life_;
    std::shared_ptr<Life> self = life_;
    while (self->window != nullptr && self->window->IsWindow() && !g_quit) PumpOnce(/*mayBlock=*/true);
    if (auto alive = ownerLife.lock(); alive && alive->window != nullptr && alive->window->GetNative() != nullptr) {
        alive->window->GetNative()->SetEnabled(true);
        alive->window->GetNative()->Focus();
    }
    return self->window != nullptr ? closeResult_ : 1;
}

void CWindowWnd::Close(int result) {
    if (!native_) return;
    PostMessage(kMsgClose, static_cast<uintptr_t>(result), 0);
}

void CWindowWnd::CenterWindow() {
    if (!native_) return;
    Rect bounds = native_->GetBounds();
    Rect area;
    bool overOwner = owner_ != nullptr && owner_->GetNative() != nullptr && !owner_->GetNative()->IsMinimized();
    Rect reference;
    if (overOwner) {
        reference = owner_->GetNative()->GetBounds();
        area = CurrentBackend().WorkAreaAt((reference.left + reference.right) / 2,
                                           (reference.top + reference.bottom) / 2);
    } else {
        area = CurrentBackend().WorkAreaAt((bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2);
        reference = area;
    }
    int w = bounds.Width(), h = bounds.Height();
    int left = (reference.left + reference.right) / 2 - w / 2;
    int top = (reference.top + reference.bottom) / 2 - h / 2;
    left = std::max(area.left, std::min(left, area.right - w));
    top = std::max(area.top, std::min(top, area.bottom - h));
    native_->SetBounds(Rect{left, top, left + w, top + h});
}

void CWindowWnd::DestroyWindow() {
    if (!native_) return;
    // Windows this one owns go first (a tip dies with its owner).
    std::vector<CWindowWnd*> owned;
    for (CWindowWnd* window : LiveWindows()) {
        if (window->owner_ == this && window->IsWindow()) owned.push_back(window);
    }
    for (CWindowWnd* window : owned) window->DestroyWindow();
    std::shared_ptr<Life> self = life_;
    HandleMessage(kMsgDestroy, 0, 0);
    if (self->window == nullptr) return;
    native_.reset();
    OnFinalMessage();
}

void CWindowWnd::PostMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam, std::function<void()> dropped) {
    std::weak_ptr<Life> life = life_;
    PostToUiThread([life, msg, wParam, lParam, dropped = std::move(dropped)] {
        std::shared_ptr<Life> alive = life.lock();
        if (alive && alive->window != nullptr && alive->window->IsWindow()) {
            alive->window->HandleMessage(msg, wParam, lParam);
        } else if (dropped) {
            dropped();
        }
    });
}

intptr_t CWindowWnd::SendMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    return HandleMessage(msg, wParam, lParam);
}

intptr_t CWindowWnd::DispatchMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    return HandleMessage(msg, wParam, lParam);
}

intptr_t CWindowWnd::HandleMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    return DefWindowProc(msg, wParam, lParam);
}

intptr_t CWindowWnd::DefWindowProc(uint32_t msg, uintptr_t wParam, intptr_t) {
    switch (msg) {
    case kMsgClose:
        closeResult_ = static_cast<int>(wParam);
        DestroyWindow();
        return 0;
    case kMsgSysCommand:
        if (!native_) return 0;
        if ((wParam & 0xFFF0) == kScMinimize) native_->Minimize();
        else if ((wParam & 0xFFF0) == kScRestore) native_->Show(true);
        else if ((wParam & 0xFFF0) == kScClose) Close(1);
        return 0;
    default:
        return 0;
    }
}

void CWindowWnd::PostQuitMessage() {
    g_quit = true;
    PostToUiThread([] {});
}

bool CWindowWnd::QuitRequested() {
    return g_quit;
}

void CWindowWnd::ResetQuit() {
    g_quit = false;
}

// ---- CNotifyPump ------------------------------------------------------------

void CNotifyPump::AddNotifyHandler(const std::wstring& type, const std::wstring& controlName,
                                   std::function<void(NotifyMsg&)> handler) {
    entries_.push_back(Entry{type, controlName, std::move(handler)});
}

bool CNotifyPump::NotifyPump(NotifyMsg& msg) {
    for (const Entry& entry : entries_) {
        if (!EqualsIgnoringCase(entry.type, msg.Type)) continue;
        if (!entry.controlName.empty() && (msg.Sender == nullptr || msg.Sender->GetName() != entry.controlName)) {
            continue;
        }
        entry.handler(msg);
        return true;
    }
    return false;
}

// ---- WindowImplBase ---------------------------------------------------------

WindowImplBase::WindowImplBase() {
    AddNotifyHandler(L"click", L"", [this](NotifyMsg& msg) { OnClick(msg); });
}

WindowImplBase::~WindowImplBase() {
    if (IsWindow()) {
        m_pm.RemoveAllTimers();
        native_.reset();
    }
}

void WindowImplBase::Notify(NotifyMsg& msg) {
    NotifyPump(msg);
}

void WindowImplBase::OnClick(NotifyMsg& msg) {
    if (msg.Sender == nullptr) return;
    const std::wstring& name = msg.Sender->GetName();
    if (name == L"closebtn") Close(1);
    else if (name == L"minbtn") SendMessage(kMsgSysCommand, kScMinimize, 0);
    else if (name == L"maxbtn") SendMessage(kMsgSysCommand, kScMaximize, 0);
    else if (name == L"restorebtn") SendMessage(kMsgSysCommand, kScRestore, 0);
}

intptr_t WindowImplBase::OnSysCommand(uintptr_t command) {
    return DefWindowProc(kMsgSysCommand, command, 0);
}

intptr_t WindowImplBase::HandleCustomMessage(uint32_t, uintptr_t, intptr_t, bool& handled) {
    handled = false;
    return 0;
}

intptr_t WindowImplBase::ResponseDefaultKeyEvent(uintptr_t key, bool& handled) {
    if (key == kKeyEscape) {
        Close(1);
        handled = true;
    } else if (key == kKeyReturn) {
        handled = false;
    }
    return 0;
}

intptr_t WindowImplBase::MessageHandler(uint32_t msg, uintptr_t wParam, intptr_t, bool& handled) {
    if (msg == kMsgKeyDown && (wParam == kKeyReturn || wParam == kKeyEscape)) {
        return ResponseDefaultKeyEvent(wParam, handled);
    }
    return 0;
}

bool WindowImplBase::OnCreate() {
    style_ = (style_ & ~kStyleCaption) | kStyleClipChildrenSiblings;
    m_pm.Init(this);
    m_pm.AddMessageFilter(this);
    if (m_pm.GetResourcePath().empty()) {
        std::wstring folder = Utils::ToWide(platform::ExecutablePath(), Utils::kCodePageAcp);
        size_t slash = folder.rfind(L'/');
        folder = slash == std::wstring::npos ? L"" : folder.substr(0, slash + 1);
        std::wstring path = folder + GetSkinFolder();
        if (path.empty() || path.back() != L'/') path += L'/';
        m_pm.SetResourcePath(path);
    }
    if (GetResourceType() == 4 && !ResourceArchive::OpenShared("ZIPRES", GetResourceID())) return false;
    std::wstring text;
    std::wstring error;
    if (!LoadMarkup(GetSkinFile(), text, error)) {
        FailLoading(GetSkinFile(), error);
        return false;
    }
    CControlUI* root = CMarkupBuilder::Create(text, m_pm, this, &error);
    if (root == nullptr) {
        FailLoading(GetSkinFile(), error);
        return false;
    }
    m_pm.AttachDialog(root);
    m_pm.AddNotifier(this);
    bool nativeEdits = false;
    root->ForEach([&nativeEdits](CControlUI* c) {
        if (c->GetInterface(L"Edit") != nullptr) nativeEdits = true;
    });
    m_pm.SetNativeEdits(nativeEdits && std::string(CurrentBackend().Name()) == "gtk");
    Point size = m_pm.GetInitSize();
    if (size.x > 0 && size.y > 0 && native_) {
        Rect bounds = native_->GetBounds();
        native_->SetBounds(Rect{bounds.left, bounds.top, bounds.left + size.x, bounds.top + size.y});
        m_pm.SetClientSize(size.x, size.y);
    }
    if (native_) native_->SetRoundCorner(m_pm.GetRoundCorner());
    InitWindow();
    return true;
}

intptr_t WindowImplBase::HandleMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    intptr_t result = 0;
    if (msg != kMsgCreate && m_pm.PreMessageHandler(msg, wParam, lParam, result)) return result;
    switch (msg) {
    case kMsgCreate:
        OnCreate();
        return 0;
    case kMsgDestroy:
        m_pm.RemoveAllTimers();
        for (auto& [id, handle] : platformTimers_) CurrentBackend().StopTimer(handle);
        platformTimers_.clear();
        return 0;
    case kMsgClose:
        return DefWindowProc(msg, wParam, lParam);
    case kMsgSize:
        m_pm.SetClientSize(LParamX(lParam), LParamY(lParam));
        return 0;
    case kMsgNotifyWake:
        m_pm.DrainAsyncNotify();
        return 0;
    case kMsgTimer:
        m_pm.OnPlatformTimer(static_cast<unsigned>(wParam));
        return 0;
    case kMsgMouseMove:
        m_pm.OnMouseMove(LParamX(lParam), LParamY(lParam));
        return 0;
    case kMsgMouseLeave:
        m_pm.OnMouseLeave();
        return 0;
    case kMsgLButtonDown:
        OnLButtonDown(LParamX(lParam), LParamY(lParam));
        return 0;
    case kMsgLButtonUp:
        m_pm.OnButtonUp(LParamX(lParam), LParamY(lParam));
        return 0;
    case kMsgKeyDown:
        m_pm.OnKeyDown(static_cast<uint32_t>(wParam));
        return 0;
    case kMsgChar:
        m_pm.OnChar(static_cast<uint32_t>(wParam));
        return 0;
    case kMsgSysCommand:
        return OnSysCommand(wParam);
    default:
        break;
    }
    bool handled = false;
    result = HandleCustomMessage(msg, wParam, lParam, handled);
    if (handled) return result;
    return DefWindowProc(msg, wParam, lParam);
}

void WindowImplBase::OnLButtonDown(int x, int y) {
    m_pm.UpdateLayout();
    const Rect& caption = m_pm.GetCaptionRect();
    Point size = m_pm.GetClientSize();
    bool inCaption = x >= caption.left && x < size.x - caption.right && y >= caption.top && y < caption.bottom;
    if (inCaption) {
        CControlUI* under = m_pm.FindControlAt(x, y);
        std::wstring cls = under != nullptr ? under->GetClass() : L"";
        bool clickable = EqualsIgnoringCase(cls, L"Button") || EqualsIgnoringCase(cls, L"Option") ||
                         EqualsIgnoringCase(cls, L"Text");
        if (!clickable) {
            if (native_) native_->BeginMove(x, y);
            return;
        }
    }
    m_pm.OnButtonDown(x, y);
}

void WindowImplBase::RequestWake() {
    PostMessage(kMsgNotifyWake);
}

bool WindowImplBase::StartPlatformTimer(unsigned platformId, uint32_t periodMs) {
    if (!IsWindow()) return false;
    StopPlatformTimer(platformId);
    std::weak_ptr<Life> life = life_;
    uint64_t handle = CurrentBackend().StartTimer(periodMs, [life, platformId] {
        std::shared_ptr<Life> alive = life.lock();
        if (alive && alive->window != nullptr && alive->window->IsWindow()) {
            alive->window->HandleMessage(kMsgTimer, platformId, 0);
        }
    });
    if (handle == 0) return false;
    platformTimers_[platformId] = handle;
    return true;
}

void WindowImplBase::StopPlatformTimer(unsigned platformId) {
    auto it = platformTimers_.find(platformId);
    if (it == platformTimers_.end()) return;
    CurrentBackend().StopTimer(it->second);
    platformTimers_.erase(it);
}

void WindowImplBase::RequestRepaint() {
    if (native_) native_->Invalidate();
}

void WindowImplBase::PaintClient(cairo_t* cr, int width, int height) {
    m_pm.SetClientSize(width, height);
    PaintTree(m_pm, cr);
    if (!painted_) {
        painted_ = true;
        VQ_LOG(L"first frame of %ls", GetWindowClassName().c_str());
        // What the first frame does not need waits until it is on screen.
        std::weak_ptr<Life> life = life_;
        PostToUiThread([life] {
            std::shared_ptr<Life> alive = life.lock();
            if (alive && alive->window != nullptr && alive->window->IsWindow()) {
                static_cast<WindowImplBase*>(alive->window)->OnFirstFrame();
            }
        });
    }
    if (m_pm.HasNativeEdits()) SyncNativeEntries();
}

void WindowImplBase::SyncNativeEntries() {
    if (!native_ || m_pm.GetRoot() == nullptr) return;
    m_pm.GetRoot()->ForEach([this](CControlUI* c) {
        auto* edit = static_cast<CEditUI*>(c->GetInterface(L"Edit"));
        if (edit == nullptr) return;
        Rect rc = edit->GetPos();
        const Rect& pad = edit->GetTextPadding();
        Rect inner{rc.left + pad.left, rc.top + pad.top, rc.right - pad.right, rc.bottom - pad.bottom};
        const FontInfo& font = m_pm.GetFont(edit->GetFont());
        native_->PlaceEntry(edit, inner, edit->GetText(), edit->IsVisible() && edit->IsEnabled(),
                            FontFamilyFor(font.name), font.size, edit->GetTextColor());
    });
}

void WindowImplBase::EntryTextChanged(void* control, const std::wstring& text) {
    if (m_pm.GetRoot() == nullptr) return;
    m_pm.GetRoot()->ForEach([control, &text](CControlUI* c) {
        if (c == control) static_cast<CEditUI*>(c)->TextChangedByUser(text);
    });
}

// ---- CMarkupFrame -----------------------------------------------------------

CMarkupFrame::CMarkupFrame(FrameParams params) : params_(std::move(params)) {}

CMarkupFrame::~CMarkupFrame() {
    shadow_.reset();
}

void CMarkupFrame::InitWindow() {
    style_ &= ~(kStyleCaption | kStyleMaximizeBox);
    if (Shadows()) shadow_ = Shadows()(m_pm);
}

void CMarkupFrame::OnFirstFrame() {
    // The shadow bitmap is computed once the window is on screen: it only shows
    // where a compositor runs, and the first frame does not wait for it.
    if (shadow_ && native_ && CurrentBackend().IsComposited()) {
        Point size = m_pm.GetInitSize();
        shadow_->Update(*native_, size.x, size.y, m_pm.GetRoundCorner());
    }
}

intptr_t CMarkupFrame::ResponseDefaultKeyEvent(uintptr_t key, bool& handled) {
    if (key == kKeyEscape) {
        handled = true;  // never closes an installer window
        return 0;
    }
    handled = false;
    return 0;
}

intptr_t CMarkupFrame::HandleMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    if (msg == kMsgDestroy) shadow_.reset();
    return WindowImplBase::HandleMessage(msg, wParam, lParam);
}

}  // namespace uilib
