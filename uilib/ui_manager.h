// CUIManager: one per markup window. Holds the control tree, fonts, window
// attributes, the name index, notification delivery, per-control timers, input
// routing (hot, pushed, focus) and the image cache.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "uilib/control.h"
#include "uilib/geometry.h"
#include "uilib/notify.h"

namespace uilib {

class Image;

// What the manager needs from the window that hosts it. Called on the UI thread,
// except RequestWake, which any thread may call.
class ManagerHost {
public:
    virtual ~ManagerHost() = default;
    // Post the window the asynchronous-notification message (0x8001).
    virtual void RequestWake() = 0;
    virtual bool StartPlatformTimer(unsigned platformId, uint32_t periodMs) = 0;
    virtual void StopPlatformTimer(unsigned platformId) = 0;
    virtual bool HostExists() const = 0;
    virtual void RequestRepaint() = 0;
};

struct FontInfo {
    std::wstring name;
    int size = 12;  // pixel height
    bool bold = false;
    bool underline = false;
    bool italic = false;
};

class CUIManager {
public:
    CUIManager();
    ~CUIManager();
    CUIManager(const CUIManager&) = delete;
    CUIManager& operator=(const CUIManager&) = delete;

    void Init(ManagerHost* host) { host_ = host; }

    // Window attributes (set by the builder).
    void SetInitSize(int cx, int cy) { initSize_ = Point{cx, cy}; }
    Point GetInitSize() const { return initSize_; }
    void SetCaptionRect(const Rect& rc) { caption_ = rc; }
    const Rect& GetCaptionRect() const { return caption_; }
    void SetRoundCorner(int cx, int cy) { roundCorner_ = Point{cx, cy}; }
    Point GetRoundCorner() const { return roundCorner_; }
    // Attributes of `Window` the framework does not know; names compared ignoring case.
    void AddWindowCustomAttribute(const std::wstring& name, const std::wstring& value);
    // The value, or null when the layout did not set it.
    const std::wstring* GetWindowCustomAttribute(const std::wstring& name) const;

    // Fonts by layout id; the default font serves controls without a font.
    void AddFont(int id, const FontInfo& font, bool isDefault);
    // The font of an id, or the default one (a 12-pixel system font when none).
    const FontInfo& GetFont(int id) const;
    const FontInfo& GetDefaultFont() const { return defaultFont_; }

    // Takes ownership of the tree, builds the name index (the first control of a
    // name wins), then initialises every control.
    bool AttachDialog(CControlUI* root);
    CControlUI* GetRoot() const { return root_.get(); }
    CControlUI* FindControl(const std::wstring& name) const;
    // The deepest visible control at a point of the window.
    CControlUI* FindControlAt(int x, int y) const;

    void SetResourcePath(const std::wstring& path) { resourcePath_ = path; }
    const std::wstring& GetResourcePath() const { return resourcePath_; }

    // Notifications. Synchronous delivery goes to the sender's delegates, then every
    // receiver in registration order, before returning. Asynchronous delivery (any
    // thread) queues a copy, coalescing with a queued record of the same sender and
    // type unless repeats are allowed, and wakes the window once.
    void SendNotify(NotifyMsg& msg, bool async = false, bool allowRepeat = true);
    void SendNotify(CControlUI* control, const std::wstring& type, uintptr_t wParam = 0,
                    intptr_t lParam = 0, bool async = false, bool allowRepeat = true);
    // On the window's wake message: delivers and removes every queued record.
    void DrainAsyncNotify();
    void AddNotifier(INotifyUI* notifier);
    void RemoveNotifier(INotifyUI* notifier);
    void AddMessageFilter(IMessageFilterUI* filter);
    void RemoveMessageFilter(IMessageFilterUI* filter);
    // Runs the filters in order; the first that handles the message wins.
    bool PreMessageHandler(uint32_t msg, uintptr_t wParam, intptr_t lParam, intptr_t& result);

    // Per-control timers (platform ids (previous + 1) mod 255, starting at 0).
    bool SetTimer(CControlUI* control, unsigned timerId, uint32_t periodMs);
    bool KillTimer(CControlUI* control, unsigned timerId);
    void KillTimers(CControlUI* control);
    // A platform timer fired: the owning control receives a timer event.
    void OnPlatformTimer(unsigned platformId);
    // The host window is going away: every platform timer is stopped.
    void RemoveAllTimers();
    size_t RunningTimerCount() const;

    // Layout and painting.
    void SetClientSize(int cx, int cy);
    Point GetClientSize() const { return clientSize_; }
    void NeedUpdate() { needLayout_ = true; Invalidate(); }
    void Invalidate();
    // Lays out when needed. Call before painting.
    void UpdateLayout();

    // Input (window coordinates). Returns true when a control took the event.
    void OnMouseMove(int x, int y);
    void OnMouseLeave();
    void OnButtonDown(int x, int y);
    void OnButtonUp(int x, int y);
    bool OnKeyDown(uint32_t key);
    bool OnChar(uint32_t ch);
    Point GetMousePos() const { return mousePos_; }

    void SetFocus(CControlUI* control);
    CControlUI* GetFocus() const { return focus_; }
    // A control is leaving the tree: forget it as hot, pushed or focused.
    void ReapControl(CControlUI* control);

    // Decoded images by archive name (cached, misses too); null when the archive has
    // no such image or it does not decode.
    std::shared_ptr<Image> GetImage(const std::wstring& name);

    // The window backend places native entries over edit controls (they draw the text).
    void SetNativeEdits(bool native) { nativeEdits_ = native; }
    bool HasNativeEdits() const { return nativeEdits_; }

private:
    void DeliverNow(NotifyMsg& msg);

    ManagerHost* host_ = nullptr;
    std::unique_ptr<CControlUI> root_;
    std::unordered_map<std::wstring, CControlUI*> names_;
    Point initSize_;
    Rect caption_;
    Point roundCorner_;
    std::vector<std::pair<std::wstring, std::wstring>> customAttributes_;
    std::map<int, FontInfo> fonts_;
    FontInfo defaultFont_;
    std::wstring resourcePath_;

    std::vector<INotifyUI*> notifiers_;
    std::vector<IMessageFilterUI*> filters_;
    mutable std::mutex queueLock_;
    std::deque<NotifyMsg> asyncQueue_;
    bool wakePending_ = false;

    struct TimerRecord {
        CControlUI* control;
        unsigned userId;
        unsigned platformId;
        bool killed;
    };
    std::vector<TimerRecord> timers_;
    unsigned lastPlatformId_ = 0;

    Point clientSize_;
    bool needLayout_ = true;
    Point mousePos_;
    CControlUI* hot_ = nullptr;
    CControlUI* pushed_ = nullptr;
    CControlUI* focus_ = nullptr;

    std::unordered_map<std::wstring, std::shared_ptr<Image>> images_;
    bool nativeEdits_ = false;
};

}  // namespace uilib
