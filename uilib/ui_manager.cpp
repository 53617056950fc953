// CUIManager: name index, notifications, timers, input routing, image cache.
#include "uilib/ui_manager.h"

#include <algorithm>
#include <cwctype>

#include "platform/clock.h"
#include "uilib/render.h"
#include "uilib/resource_archive.h"

namespace uilib {
CUIManager::CUIManager() {
    defaultFont_.name = L"微软雅黑";
    defaultFont_.size = 12;
}

CUIManager::~CUIManager() {
    RemoveAllTimers();
    // Controls reap themselves on destruction; nothing may point into the tree then.
    hot_ = pushed_ = focus_ = nullptr;
    std::unique_ptr<CControlUI> root = std::move(root_);
    root.reset();
}

void CUIManager::AddWindowCustomAttribute(const std::wstring& name, const std::wstring& value) {
    for (auto& [key, stored] : customAttributes_) {
        if (EqualsIgnoringCase(key, name)) {
            stored = value;
            return;
        }
    }
    customAttributes_.emplace_back(name, value);
}

const std::wstring* CUIManager::GetWindowCustomAttribute(const std::wstring& name) const {
    for (const auto& [key, stored] : customAttributes_) {
        if (EqualsIgnoringCase(key, name)) return &stored;
    }
    return nullptr;
}

void CUIManager::AddFont(int id, const FontInfo& font, bool isDefault) {
    fonts_[id] = font;
    if (isDefault) defaultFont_ = font;
}

const FontInfo& CUIManager::GetFont(int id) const {
    if (id >= 0) {
        auto it = fonts_.find(id);
        if (it != fonts_.end()) return it->second;
    }
    return defaultFont_;
}

bool CUIManager::AttachDialog(CControlUI* root) {
    if (root == nullptr) return false;
    root_.reset(root);
    names_.clear();
    root->SetManager(this, nullptr);
    root->ForEach([this](CControlUI* control) {
        if (!control->GetName().empty()) names_.emplace(control->GetName(), control);
    });
    root->ForEach([](CControlUI* control) { control->DoInit(); });
    NeedUpdate();
    return true;
}

CControlUI* CUIManager::FindControl(const std::wstring& name) const {
    auto it = names_.find(name);
    return it == names_.end() ? nullptr : it->second;
}

CControlUI* CUIManager::FindControlAt(int x, int y) const {
    if (!root_) return nullptr;
    return root_->FindControlAt(x, y);
}

// ---- notifications ----------------------------------------------------------

void CUIManager::SendNotify(CControlUI* control, const std::wstring& type, uintptr_t wParam, intptr_t lParam,
                            bool async, bool allowRepeat) {
    NotifyMsg msg;
    msg.Type = type;
    msg.Sender = control;
    msg.WParam = wParam;
    msg.LParam = lParam;
    SendNotify(msg, async, allowRepeat);
}

void CUIManager::SendNotify(NotifyMsg& msg, bool async, bool allowRepeat) {
    msg.Timestamp = platform::TickCountMs();
    if (!async) {
        msg.MousePoint = mousePos_;
        DeliverNow(msg);
        return;
    }
    bool wake = false;
    {
        std::lock_guard<std::mutex> lock(queueLock_);
        // Any thread: the UI thread writes the mouse point under this lock.
        msg.MousePoint = mousePos_;
        bool merged = false;
        if (!allowRepeat) {
            for (NotifyMsg& queued : asyncQueue_) {
                if (queued.Sender == msg.Sender && queued.Type == msg.Type) {
                    queued.WParam = msg.WParam;
                    queued.LParam = msg.LParam;
                    queued.Timestamp = msg.Timestamp;
                    queued.MousePoint = msg.MousePoint;
                    merged = true;
                    break;
                }
            }
        }
        if (!merged) {
            asyncQueue_.push_back(msg);
            if (!wakePending_) {
                wakePending_ = true;
                wake = true;
            }
        }
    }
    if (wake && host_ != nullptr) host_->RequestWake();
}

void CUIManager::DrainAsyncNotify() {
    for (;;) {
        NotifyMsg msg;
        {
            std::lock_guard<std::mutex> lock(queueLock_);
            if (asyncQueue_.empty()) {
                wakePending_ = false;
                return;
            }
            msg = std::move(asyncQueue_.front());
            asyncQueue_.pop_front();
        }
        DeliverNow(msg);
    }
}

void CUIManager::DeliverNow(NotifyMsg& msg) {
    if (msg.Sender != nullptr) {
        // Copy: a delegate may add another.
        auto delegates = msg.Sender->OnNotify;
        for (auto& delegate : delegates) delegate(msg);
    }
    // Copy: a receiver may register or remove receivers while handling.
    std::vector<INotifyUI*> receivers = notifiers_;
    for (INotifyUI* receiver : receivers) receiver->Notify(msg);
}

void CUIManager::AddNotifier(INotifyUI* notifier) {
    if (std::find(notifiers_.begin(), notifiers_.end(), notifier) == notifiers_.end()) {
        notifiers_.push_back(notifier);
    }
}

void CUIManager::RemoveNotifier(INotifyUI* notifier) {
    notifiers_.erase(std::remove(notifiers_.begin(), notifiers_.end(), notifier), notifiers_.end());
}

void CUIManager::AddMessageFilter(IMessageFilterUI* filter) {
    if (std::find(filters_.begin(), filters_.end(), filter) == filters_.end()) filters_.push_back(filter);
}

void CUIManager::RemoveMessageFilter(IMessageFilterUI* filter) {
    filters_.erase(std::remove(filters_.begin(), filters_.end(), filter), filters_.end());
}

bool CUIManager::PreMessageHandler(uint32_t msg, uintptr_t wParam, intptr_t lParam, intptr_t& result) {
    std::vector<IMessageFilterUI*> filters = filters_;
    for (IMessageFilterUI* filter : filters) {
        bool handled = false;
        intptr_t r = filter->MessageHandler(msg, wParam, lParam, handled);
        if (handled) {
            result = r;
            return true;
        }
    }
    return false;
}

// ---- timers -----------------------------------------------------------------

bool CUIManager::SetTimer(CControlUI* control, unsigned timerId, uint32_t periodMs) {
    if (control == nullptr || host_ == nullptr || !host_->HostExists()) return false;
    for (TimerRecord& record : timers_) {
        if (record.control == control && record.userId == timerId) {
            if (!record.killed) return false;  // the running timer keeps its period
            if (!host_->StartPlatformTimer(record.platformId, periodMs)) return false;
            record.killed = false;
            return true;
        }
    }
    unsigned platformId = (lastPlatformId_ + 1) % 255;
    if (!host_->StartPlatformTimer(platformId, periodMs)) return false;
    lastPlatformId_ = platformId;
    timers_.push_back(TimerRecord{control, timerId, platformId, false});
    return true;
}

bool CUIManager::KillTimer(CControlUI* control, unsigned timerId) {
    for (TimerRecord& record : timers_) {
        if (record.control == control && record.userId == timerId && !record.killed) {
            if (host_ != nullptr && host_->HostExists()) host_->StopPlatformTimer(record.platformId);
            record.killed = true;
            return true;
        }
    }
    return false;
}

void CUIManager::KillTimers(CControlUI* control) {
    for (TimerRecord& record : timers_) {
        if (record.control == control && !record.killed && host_ != nullptr && host_->HostExists()) {
            host_->StopPlatformTimer(record.platformId);
        }
    }
    timers_.erase(std::remove_if(timers_.begin(), timers_.end(),
                                 [control](const TimerRecord& r) { return r.control == control; }),
                  timers_.end());
}

void CUIManager::OnPlatformTimer(unsigned platformId) {
    for (const TimerRecord& record : timers_) {
        if (record.platformId == platformId && !record.killed) {
            TEventUI event;
            event.Type = EventType::Timer;
            event.Sender = record.control;
            event.Timestamp = platform::TickCountMs();
            event.MousePoint = mousePos_;
            event.WParam = record.userId;
            record.control->DoEvent(event);
            return;  // the record may be gone now
        }
    }
}

void CUIManager::RemoveAllTimers() {
    for (TimerRecord& record : timers_) {
        if (!record.killed && host_ != nullptr && host_->HostExists()) host_->StopPlatformTimer(record.platformId);
    }
    timers_.clear();
}

size_t CUIManager::RunningTimerCount() const {
    return static_cast<size_t>(
        std::count_if(timers_.begin(), timers_.end(), [](const TimerRecord& r) { return !r.killed; }));
}

// ---- layout and painting ----------------------------------------------------

void CUIManager::SetClientSize(int cx, int cy) {
    if (clientSize_.x == cx && clientSize_.y == cy) return;
    clientSize_ = Point{cx, cy};
    NeedUpdate();
}

void CUIManager::Invalidate() {
    if (host_ != nullptr) host_->RequestRepaint();
}

void CUIManager::UpdateLayout() {
    if (!needLayout_ || !root_) return;
    needLayout_ = false;
    root_->SetPos(Rect{0, 0, clientSize_.x, clientSize_.y});
}

// ---- input ------------------------------------------------------------------

namespace {

TEventUI MakeEvent(EventType type, CControlUI* sender, Point pt) {
    TEventUI event;
    event.Type = type;
    event.Sender = sender;
    event.Timestamp = platform::TickCountMs();
    event.MousePoint = pt;
    return event;
}

}  // namespace

void CUIManager::OnMouseMove(int x, int y) {
    {
        std::lock_guard<std::mutex> lock(queueLock_);
        mousePos_ = Point{x, y};
    }
    UpdateLayout();
    CControlUI* over = FindControlAt(x, y);
    if (over != hot_) {
        if (hot_ != nullptr) {
            TEventUI leave = MakeEvent(EventType::MouseLeave, hot_, mousePos_);
            hot_->DoEvent(leave);
        }
        hot_ = over;
        if (hot_ != nullptr) {
            TEventUI enter = MakeEvent(EventType::MouseEnter, hot_, mousePos_);
            hot_->DoEvent(enter);
        }
    }
    CControlUI* target = pushed_ != nullptr ? pushed_ : hot_;
    if (target != nullptr) {
        TEventUI move = MakeEvent(EventType::MouseMove, target, mousePos_);
        target->DoEvent(move);
    }
}

void CUIManager::OnMouseLeave() {
    if (hot_ != nullptr) {
        TEventUI leave = MakeEvent(EventType::MouseLeave, hot_, mousePos_);
        CControlUI* was = hot_;
        hot_ = nullptr;
        was->DoEvent(leave);
    }
}

void CUIManager::OnButtonDown(int x, int y) {
    OnMouseMove(x, y);
    CControlUI* target = FindControlAt(x, y);
    if (target == nullptr) return;
    pushed_ = target;
    if (target->IsFocusable()) SetFocus(target);
    TEventUI down = MakeEvent(EventType::ButtonDown, target, mousePos_);
    target->DoEvent(down);
}

void CUIManager::OnButtonUp(int x, int y) {
    {
        std::lock_guard<std::mutex> lock(queueLock_);
        mousePos_ = Point{x, y};
    }
    CControlUI* target = pushed_;
    pushed_ = nullptr;
    if (target == nullptr) return;
    TEventUI up = MakeEvent(EventType::ButtonUp, target, mousePos_);
    target->DoEvent(up);
}

bool CUIManager::OnKeyDown(uint32_t key) {
    if (focus_ == nullptr) return false;
    TEventUI event = MakeEvent(EventType::KeyDown, focus_, mousePos_);
    event.Key = key;
    focus_->DoEvent(event);
    return true;
}

bool CUIManager::OnChar(uint32_t ch) {
    if (focus_ == nullptr) return false;
    TEventUI event = MakeEvent(EventType::Char, focus_, mousePos_);
    event.Key = ch;
    focus_->DoEvent(event);
    return true;
}

void CUIManager::SetFocus(CControlUI* control) {
    if (control == focus_) return;
    if (focus_ != nullptr) {
        TEventUI kill = MakeEvent(EventType::KillFocus, focus_, mousePos_);
        CControlUI* was = focus_;
        focus_ = nullptr;
        was->DoEvent(kill);
    }
    focus_ = control;
    if (focus_ != nullptr) {
        TEventUI set = MakeEvent(EventType::SetFocus, focus_, mousePos_);
        focus_->DoEvent(set);
    }
}

void CUIManager::ReapControl(CControlUI* control) {
    if (hot_ == control) hot_ = nullptr;
    if (pushed_ == control) pushed_ = nullptr;
    if (focus_ == control) focus_ = nullptr;
}

std::shared_ptr<Image> CUIManager::GetImage(const std::wstring& name) {
    std::wstring key = ImageKey(name);
    auto it = images_.find(key);
    if (it != images_.end()) return it->second;
    std::shared_ptr<Image> image = CachedArchiveImage(name);
    images_.emplace(key, image);
    return image;
}

}  // namespace uilib
