// The window backend family: GTK 3 (real windows) and headless (offscreen windows on
// the same GLib loop). The markup windows talk to a platform window only through
// NativeWindow; the backend is chosen once at start-up.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "uilib/geometry.h"

namespace uilib {

// What a platform window reports to the markup window that owns it (UI thread).
class NativeWindowHost {
public:
    virtual ~NativeWindowHost() = default;
    // Input and system messages in the platform's numbering (see window.h).
    virtual intptr_t DispatchMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam) = 0;
    // Paint the client area (width × height) onto `cr`.
    virtual void PaintClient(cairo_t* cr, int width, int height) = 0;
    // A native text entry over an edit control changed its text.
    virtual void EntryTextChanged(void* control, const std::wstring& text) = 0;
};

struct WindowCreateParams {
    std::wstring title;
    Rect bounds;           // screen position and size
    Point roundCorner;     // outline ellipse size
    bool visible = false;
    bool shadowCapable = false;
};

// A drop shadow bitmap shown by a separate click-through window behind the parent,
// placed at the parent's position plus the offset.
struct ShadowImage {
    int width = 0;
    int height = 0;
    int offsetX = 0;
    int offsetY = 0;
    std::vector<uint32_t> pixels;  // premultiplied ARGB, row 0 at the top
};

class NativeWindow {
public:
    virtual ~NativeWindow() = default;
    virtual void Show(bool visible) = 0;
    virtual bool IsShown() const = 0;
    virtual void SetBounds(const Rect& screen) = 0;
    virtual Rect GetBounds() const = 0;
    virtual void SetRoundCorner(Point round) = 0;
    virtual void Invalidate() = 0;
    virtual void SetEnabled(bool enabled) = 0;
    virtual bool IsEnabled() const = 0;
    virtual void Minimize() = 0;
    virtual bool IsMinimized() const = 0;
    virtual void Raise() = 0;  // bring to the foreground
    virtual void Focus() = 0;
    // Moves the window with the pointer (caption drag), from a press at client x, y.
    virtual void BeginMove(int x, int y) = 0;
    virtual void SetIconPng(const std::string& pngBytes) = 0;
    // A native text entry over an edit control at client rectangle `rc`; an empty
    // rectangle hides it. Backends without native entries ignore this.
    virtual void PlaceEntry(void* control, const Rect& rc, const std::wstring& text, bool visible,
                            const std::string& fontFamily, int fontPx, uint32_t textColor) = 0;
    virtual void RemoveEntry(void* control) = 0;
    // The last frame as PNG (headless: rendered on request).
    virtual bool SaveFramePng(const std::string& path) = 0;
    // Shows `shadow` behind the window while it is shown (null removes it).
    // Backends without a compositor ignore it.
    virtual void SetShadow(std::shared_ptr<const ShadowImage> shadow) = 0;
};

// Work area of the monitor a point lies on.
class WindowBackend {
public:
    virtual ~WindowBackend() = default;
    virtual const char* Name() const = 0;
    virtual std::unique_ptr<NativeWindow> CreateNativeWindow(NativeWindowHost* host, NativeWindow* owner,
                                                             const WindowCreateParams& params) = 0;
    virtual Rect WorkAreaAt(int x, int y) const = 0;
    // Folder chooser owned by `owner`; false on cancel.
    virtual bool ChooseFolder(NativeWindow* owner, const std::wstring& title, std::wstring& folder) = 0;
    // Platform timers: `fire` runs on the UI thread every `periodMs` until stopped.
    // The id is the caller's and unique among its running timers.
    virtual uint64_t StartTimer(uint32_t periodMs, std::function<void()> fire) = 0;
    virtual void StopTimer(uint64_t handle) = 0;
    // A platform message box without owner (used when a layout cannot be loaded).
    virtual void ShowPlatformMessage(const std::wstring& text, const std::wstring& title) = 0;
    virtual bool IsComposited() const = 0;
};

// The process's backend. UseBackend is called once, before the first window.
WindowBackend& CurrentBackend();
void UseBackend(std::unique_ptr<WindowBackend> backend);
bool HasBackend();

// Runs `task` on the UI thread (the default GLib main context) soon; safe from any
// thread. Tasks run in the order they were posted.
void PostToUiThread(std::function<void()> task);

// Paints `host`'s client area (width × height) into a new image and writes it as PNG.
bool SaveClientPng(NativeWindowHost& host, int width, int height, const std::string& path);

// One iteration step of the UI loop; true when something was dispatched.
bool PumpOnce(bool mayBlock);
// Handles pending UI work for up to `ms` milliseconds (the short message pump).
void PumpMessagesFor(unsigned ms);
// Pumps until `done` holds or `timeoutMs` passes; true when it held.
bool PumpUntil(const std::function<bool()>& done, unsigned timeoutMs);

}  // namespace uilib
