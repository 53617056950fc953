// Offscreen windows: state only, frames rendered on request.
#include "uilib/headless_backend.h"

#include <glib.h>

#include <cstdio>

#include "uilib/render.h"
#include "utils/text.h"

namespace uilib {
namespace {

class HeadlessWindow : public NativeWindow {
public:
    HeadlessWindow(NativeWindowHost* host, const WindowCreateParams& params)
        : host_(host), bounds_(params.bounds), shown_(params.visible) {}
    void Show(bool visible) override {
        shown_ = visible;
        if (visible) minimized_ = false;
    }
    bool IsShown() const override { return shown_; }
    void SetBounds(const Rect& screen) override {
        bool resized = screen.Width() != bounds_.Width() || screen.Height() != bounds_.Height();
        bounds_ = screen;
        if (resized) host_->DispatchMessage(0x0005, 0, MakeLParam(screen.Width(), screen.Height()));
    }
    Rect GetBounds() const override { return bounds_; }
    void SetRoundCorner(Point) override {}
    void Invalidate() override {}
    void SetEnabled(bool enabled) override { enabled_ = enabled; }
    bool IsEnabled() const override { return enabled_; }
    void Minimize() override { minimized_ = true; }
    bool IsMinimized() const override { return minimized_; }
    void Raise() override {}
    void Focus() override {}
    void BeginMove(int, int) override {}
    void SetIconPng(const std::string&) override {}
    void PlaceEntry(void*, const Rect&, const std::wstring&, bool, const std::string&, int, uint32_t) override {}
    void RemoveEntry(void*) override {}
    void SetShadow(std::shared_ptr<const ShadowImage> shadow) override { shadow_ = std::move(shadow); }
    bool SaveFramePng(const std::string& path) override {
        return SaveClientPng(*host_, bounds_.Width(), bounds_.Height(), path);
    }

private:
    NativeWindowHost* host_;
    Rect bounds_;
    bool shown_;
    bool enabled_ = true;
    bool minimized_ = false;
    std::shared_ptr<const ShadowImage> shadow_;
};

struct RealTimer {
    std::function<void()> fire;
};

gboolean FireRealTimer(gpointer data) {
    static_cast<RealTimer*>(data)->fire();
    return G_SOURCE_CONTINUE;
}

}  // namespace

std::unique_ptr<NativeWindow> HeadlessBackend::CreateNativeWindow(NativeWindowHost* host, NativeWindow*,
                                                                  const WindowCreateParams& params) {
    return std::make_unique<HeadlessWindow>(host, params);
}

bool HeadlessBackend::ChooseFolder(NativeWindow*, const std::wstring& title, std::wstring& folder) {
    folderTitle_ = title;
    if (!folderAnswer_) return false;
    folder = *folderAnswer_;
    return true;
}

uint64_t HeadlessBackend::StartTimer(uint32_t periodMs, std::function<void()> fire) {
    uint64_t handle = nextHandle_++;
    if (virtualClock_) {
        virtualTimers_[handle] = VirtualTimer{periodMs, now_ + periodMs, std::move(fire)};
        return handle;
    }
    auto* timer = new RealTimer{std::move(fire)};
    unsigned id = g_timeout_add_full(G_PRIORITY_DEFAULT, std::max<uint32_t>(1, periodMs), FireRealTimer, timer,
                                     [](gpointer data) { delete static_cast<RealTimer*>(data); });
    realTimers_[handle] = id;
    return handle;
}

void HeadlessBackend::StopTimer(uint64_t handle) {
    virtualTimers_.erase(handle);
    auto it = realTimers_.find(handle);
    if (it != realTimers_.end()) {
        g_source_remove(it->second);
        realTimers_.erase(it);
    }
}

void HeadlessBackend::AdvanceClock(uint32_t ms) {
    uint64_t end = now_ + ms;
    for (;;) {
        uint64_t bestHandle = 0;
        uint64_t bestDue = end + 1;
        for (const auto& [handle, timer] : virtualTimers_) {
            if (timer.due < bestDue) {
                bestDue = timer.due;
                bestHandle = handle;
            }
        }
        if (bestHandle == 0) break;
        now_ = bestDue;
        VirtualTimer& timer = virtualTimers_[bestHandle];
        timer.due += std::max<uint32_t>(1, timer.period);
        std::function<void()> fire = timer.fire;  // the timer may be stopped while firing
        fire();
    }
    now_ = end;
}

void HeadlessBackend::ShowPlatformMessage(const std::wstring& text, const std::wstring& title) {
    std::fprintf(stderr, "%s: %s\n", Utils::ToNarrow(title, Utils::kCodePageUtf8).c_str(),
                 Utils::ToNarrow(text, Utils::kCodePageUtf8).c_str());
}

// ---- helpers ----------------------------------------------------------------

bool ClickAt(WindowImplBase& window, int x, int y) {
    if (!window.IsWindow()) return false;
    window.SendMessage(kMsgMouseMove, 0, MakeLParam(x, y));
    window.SendMessage(kMsgLButtonDown, 1, MakeLParam(x, y));
    if (!window.IsWindow()) return true;
    window.SendMessage(kMsgLButtonUp, 0, MakeLParam(x, y));
    return true;
}

bool ClickControl(WindowImplBase& window, const std::wstring& name) {
    if (!window.IsWindow()) return false;
    window.GetManager().UpdateLayout();
    CControlUI* control = window.FindControl(name);
    if (control == nullptr || !control->IsVisible() || control->GetPos().Empty()) return false;
    const Rect& rc = control->GetPos();
    return ClickAt(window, (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
}

void PressKey(WindowImplBase& window, uint32_t key) {
    window.SendMessage(kMsgKeyDown, key, 0);
}

cairo_surface_t* RenderWindow(WindowImplBase& window) {
    return RenderFrame(window.GetManager());
}

uint32_t PixelAt(cairo_surface_t* frame, int x, int y) {
    cairo_surface_flush(frame);
    const unsigned char* data = cairo_image_surface_get_data(frame);
    int stride = cairo_image_surface_get_stride(frame);
    return reinterpret_cast<const uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride)[x];
}

bool SaveWindowPng(WindowImplBase& window, const std::string& path) {
    return window.GetNative() != nullptr && window.GetNative()->SaveFramePng(path);
}

}  // namespace uilib
