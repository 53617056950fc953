// The markup window classes: CWindowWnd (platform window, modal loop, messages),
// WindowImplBase (manager, notification table, default click handling) and
// CMarkupFrame (a window built from a layout of the resource archive).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "uilib/notify.h"
#include "uilib/ui_manager.h"
#include "uilib/window_backend.h"

namespace uilib {

// Messages in the platform's numbering.
constexpr uint32_t kMsgCreate = 0x0001;
constexpr uint32_t kMsgDestroy = 0x0002;
constexpr uint32_t kMsgSize = 0x0005;
constexpr uint32_t kMsgClose = 0x0010;
constexpr uint32_t kMsgKeyDown = 0x0100;
constexpr uint32_t kMsgChar = 0x0102;
constexpr uint32_t kMsgSysCommand = 0x0112;
constexpr uint32_t kMsgTimer = 0x0113;
constexpr uint32_t kMsgMouseMove = 0x0200;
constexpr uint32_t kMsgLButtonDown = 0x0201;
constexpr uint32_t kMsgLButtonUp = 0x0202;
constexpr uint32_t kMsgMouseLeave = 0x02A3;
constexpr uint32_t kMsgUser = 0x0400;
constexpr uint32_t kMsgApp = 0x8000;
constexpr uint32_t kMsgNotifyWake = kMsgApp + 1;  // drains the asynchronous notifications

constexpr uintptr_t kScMinimize = 0xF020;
constexpr uintptr_t kScMaximize = 0xF030;
constexpr uintptr_t kScClose = 0xF060;
constexpr uintptr_t kScRestore = 0xF120;

// Window style bits the frames adjust (informational on this platform).
constexpr uint32_t kStyleCaption = 0x00C00000;
constexpr uint32_t kStyleMaximizeBox = 0x00010000;
constexpr uint32_t kStyleClipChildrenSiblings = 0x06000000;
constexpr uint32_t kExStyleTopmost = 0x00000008;

constexpr int kUseDefault = static_cast<int>(0x80000000);

inline intptr_t MakeLParam(int x, int y) {
    return static_cast<intptr_t>((static_cast<uint32_t>(y & 0xFFFF) << 16) | static_cast<uint32_t>(x & 0xFFFF));
}
inline int LParamX(intptr_t l) { return static_cast<int16_t>(l & 0xFFFF); }
inline int LParamY(intptr_t l) { return static_cast<int16_t>((l >> 16) & 0xFFFF); }

class CWindowWnd : public NativeWindowHost {
public:
    CWindowWnd();
    ~CWindowWnd() override;
    CWindowWnd(const CWindowWnd&) = delete;
    CWindowWnd& operator=(const CWindowWnd&) = delete;

    // Creates the platform window, hidden until ShowWindow or ShowModal (so that it
    // is centred before it first appears); the content is built during creation, so InitWindow has run when
    // this returns. kUseDefault for x or cx takes the layout's size and position.
    bool Create(CWindowWnd* parent, const std::wstring& title, uint32_t style, uint32_t exStyle, int x, int y,
                int cx, int cy);
    void ShowWindow(bool show = true, bool takeFocus = true);
    // Shows the window, disables the owner, runs the loop until the window is gone
    // or a quit was requested, re-enables and focuses the owner, and returns the
    // result of the last close request addressed to the window.
    int ShowModal();
    // Posts a close request carrying `result`; the window is destroyed when it is
    // handled.
    void Close(int result = 1);
    // Centres over the owner (or the monitor's work area without a visible owner),
    // kept inside the work area.
    void CenterWindow();
    void DestroyWindow();
    bool IsWindow() const { return native_ != nullptr; }
    NativeWindow* GetNative() const { return native_.get(); }
    CWindowWnd* GetOwner() const { return owner_; }

    // Any thread. Handled on the UI thread in posting order; when the window no
    // longer exists then, `dropped` runs instead (to free what the message carries).
    void PostMessage(uint32_t msg, uintptr_t wParam = 0, intptr_t lParam = 0, std::function<void()> dropped = {});
    intptr_t SendMessage(uint32_t msg, uintptr_t wParam = 0, intptr_t lParam = 0);

    uint32_t GetStyle() const { return style_; }
    void SetStyle(uint32_t style) { style_ = style; }
    uint32_t GetExStyle() const { return exStyle_; }
    void SetExStyle(uint32_t exStyle) { exStyle_ = exStyle; }

    virtual std::wstring GetWindowClassName() const = 0;
    virtual intptr_t HandleMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam);
    // Called after the window was destroyed.
    virtual void OnFinalMessage() {}

    // Ends every modal loop (the platform's quit message).
    static void PostQuitMessage();
    static bool QuitRequested();
    static void ResetQuit();

protected:
    intptr_t DefWindowProc(uint32_t msg, uintptr_t wParam, intptr_t lParam);

    // NativeWindowHost
    intptr_t DispatchMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam) override;
    void PaintClient(cairo_t*, int, int) override {}
    void EntryTextChanged(void*, const std::wstring&) override {}

    struct Life {
        CWindowWnd* window = nullptr;  // null once the object is gone (UI thread only)
    };
    std::shared_ptr<Life> life_;
    std::unique_ptr<NativeWindow> native_;
    CWindowWnd* owner_ = nullptr;
    uint32_t style_ = 0;
    uint32_t exStyle_ = 0;
    int closeResult_ = 0;
    std::wstring title_;
};

// A per-class table mapping a notification type (ignoring case) and an optional
// control name to a handler; the first match runs.
class CNotifyPump {
public:
    virtual ~CNotifyPump() = default;
    void AddNotifyHandler(const std::wstring& type, const std::wstring& controlName,
                          std::function<void(NotifyMsg&)> handler);
    bool NotifyPump(NotifyMsg& msg);

private:
    struct Entry {
        std::wstring type;
        std::wstring controlName;
        std::function<void(NotifyMsg&)> handler;
    };
    std::vector<Entry> entries_;
};

class WindowImplBase : public CWindowWnd,
                       public INotifyUI,
                       public IMessageFilterUI,
                       public IDialogBuilderCallback,
                       public CNotifyPump,
                       protected ManagerHost {
public:
    WindowImplBase();
    ~WindowImplBase() override;

    CUIManager& GetManager() { return m_pm; }
    CControlUI* FindControl(const std::wstring& name) const { return m_pm.FindControl(name); }

    // Called once the control tree is attached.
    virtual void InitWindow() {}
    // The window's INotifyUI receiver: passes the record to the notification table.
    void Notify(NotifyMsg& msg) override;
    // Default click handling by the sender's name: "closebtn" closes (result 1),
    // "minbtn" minimises, "maxbtn" maximises, "restorebtn" restores.
    virtual void OnClick(NotifyMsg& msg);
    virtual std::wstring GetSkinFolder() const { return L""; }
    virtual std::wstring GetSkinFile() const = 0;
    virtual int GetResourceType() const { return 4; }
    virtual int GetResourceID() const { return 147; }
    virtual intptr_t OnSysCommand(uintptr_t command);
    // Messages the framework does not handle itself; default: not handled.
    virtual intptr_t HandleCustomMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam, bool& handled);
    // Enter (13) and Escape (27) key-downs; default: Escape closes, Enter nothing.
    virtual intptr_t ResponseDefaultKeyEvent(uintptr_t key, bool& handled);

    CControlUI* CreateControl(const std::wstring&) override { return nullptr; }
    intptr_t MessageHandler(uint32_t msg, uintptr_t wParam, intptr_t lParam, bool& handled) override;
    intptr_t HandleMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam) override;

    // Runs once, soon after the window's first frame was painted.
    virtual void OnFirstFrame() {}

    // Builds the content: the creation steps of a markup window. False (no content,
    // InitWindow not called) when the archive resource is missing.
    virtual bool OnCreate();

protected:
    // ManagerHost
    void RequestWake() override;
    bool StartPlatformTimer(unsigned platformId, uint32_t periodMs) override;
    void StopPlatformTimer(unsigned platformId) override;
    bool HostExists() const override { return IsWindow(); }
    void RequestRepaint() override;

    // NativeWindowHost
    void PaintClient(cairo_t* cr, int width, int height) override;
    void EntryTextChanged(void* control, const std::wstring& text) override;

    void OnLButtonDown(int x, int y);
    void SyncNativeEntries();

    CUIManager m_pm;
    std::map<unsigned, uint64_t> platformTimers_;
    bool painted_ = false;
};

// What a markup frame is built from.
struct FrameParams {
    int ResourceType = 4;
    int ResourceId = 147;
    std::wstring SkinFolder;
    std::wstring SkinFile;
    std::wstring ClassName;
};

// The drop shadow of a frame, supplied by the installer at framework set-up.
class FrameShadow {
public:
    virtual ~FrameShadow() = default;
    // Computes the shadow for a parent of this size and outline and hands it to the
    // parent's platform window, which keeps it in step from then on.
    virtual void Update(NativeWindow& parent, int width, int height, Point roundCorner) = 0;
};
using ShadowFactory = std::function<std::unique_ptr<FrameShadow>(const CUIManager& manager)>;
void RegisterShadowFactory(ShadowFactory factory);

class CMarkupFrame : public WindowImplBase {
public:
    explicit CMarkupFrame(FrameParams params);
    ~CMarkupFrame() override;

    std::wstring GetWindowClassName() const override { return params_.ClassName; }
    std::wstring GetSkinFolder() const override { return params_.SkinFolder; }
    std::wstring GetSkinFile() const override { return params_.SkinFile; }
    int GetResourceType() const override { return params_.ResourceType; }
    int GetResourceID() const override { return params_.ResourceId; }

    // Clears the caption and maximise-box style bits and sets up the drop shadow
    // from the layout's window attributes (shown after the first frame). Derived
    // windows call it first.
    void InitWindow() override;
    // Shows the shadow once the window is on screen.
    void OnFirstFrame() override;
    // Escape is consumed (never closes a frame); Enter does nothing.
    intptr_t ResponseDefaultKeyEvent(uintptr_t key, bool& handled) override;
    intptr_t HandleMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam) override;

    FrameShadow* GetShadow() const { return shadow_.get(); }

protected:
    FrameParams params_;
    std::unique_ptr<FrameShadow> shadow_;
};

// Framework set-up: the resource kind is the archive linked into the executable;
// the load-failure action (message box "加载资源文件失败", exit code 1) may be
// replaced for tests.
void SetLoadFailureAction(std::function<void()> action);

}  // namespace uilib
