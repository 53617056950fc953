// The headless window backend: offscreen windows on the same GLib loop, driven by
// scripted clicks and keys, rendering a frame on request. Serves tests and the
// unattended front end.
#pragma once

#include <cairo.h>

#include <map>
#include <optional>
#include <vector>

#include "uilib/window.h"
#include "uilib/window_backend.h"

namespace uilib {

class HeadlessBackend : public WindowBackend {
public:
    // With `virtualClock`, timers fire only when AdvanceClock moves the clock.
    explicit HeadlessBackend(bool virtualClock = false) : virtualClock_(virtualClock) {}
    const char* Name() const override { return "headless"; }
    std::unique_ptr<NativeWindow> CreateNativeWindow(NativeWindowHost* host, NativeWindow* owner,
                                                     const WindowCreateParams& params) override;
    Rect WorkAreaAt(int, int) const override { return Rect{0, 0, 1920, 1040}; }
    bool ChooseFolder(NativeWindow* owner, const std::wstring& title, std::wstring& folder) override;
    uint64_t StartTimer(uint32_t periodMs, std::function<void()> fire) override;
    void StopTimer(uint64_t handle) override;
    void ShowPlatformMessage(const std::wstring& text, const std::wstring& title) override;
    bool IsComposited() const override { return false; }

    // The folder the next folder dialog answers (nothing: cancel).
    void SetFolderAnswer(std::optional<std::wstring> folder) { folderAnswer_ = std::move(folder); }
    const std::wstring& LastFolderDialogTitle() const { return folderTitle_; }

    // Virtual clock: fires every timer that falls due within `ms`, in time order.
    void AdvanceClock(uint32_t ms);
    uint64_t Now() const { return now_; }

private:
    struct VirtualTimer {
        uint32_t period;
        uint64_t due;
        std::function<void()> fire;
    };
    bool virtualClock_;
    uint64_t now_ = 0;
    uint64_t nextHandle_ = 1;
    std::map<uint64_t, VirtualTimer> virtualTimers_;
    std::map<uint64_t, unsigned> realTimers_;  // handle → GLib source id
    std::optional<std::wstring> folderAnswer_;
    std::wstring folderTitle_;
};

// Test and front-end helpers that act on a window like a user would.
// Clicks the centre of the named control (press and release); false when the
// control is missing, hidden or zero-sized.
bool ClickControl(WindowImplBase& window, const std::wstring& name);
bool ClickAt(WindowImplBase& window, int x, int y);
void PressKey(WindowImplBase& window, uint32_t key);
// Renders the window's current frame (the caller destroys the surface).
cairo_surface_t* RenderWindow(WindowImplBase& window);
// The ARGB pixel at x, y of a rendered frame.
uint32_t PixelAt(cairo_surface_t* frame, int x, int y);
bool SaveWindowPng(WindowImplBase& window, const std::string& path);

}  // namespace uilib
