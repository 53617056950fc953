// A markup window on the GTK backend for the GUI smoke test: shows the exit prompt,
// says where its "okBtn" is on the screen and reports the clicks it receives.
//
//   velquin_uilib_gui_probe [timeout seconds]      (default 90)
//
// Prints "ready X Y" (the button's centre in screen coordinates) once the window has
// been painted, then "click <name>" for every click notification. Exits 0 after the
// click on okBtn, 2 when none came in time, 3 without a display, 4 when the window
// could not be built.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "uilib/gtk_backend.h"
#include "uilib/window.h"
#include "utils/text.h"

namespace {

class ProbeFrame : public uilib::CMarkupFrame {
public:
    ProbeFrame()
        : CMarkupFrame(uilib::FrameParams{4, 147, L"", L"ExitTipWnd.xml", L"ExitTipWnd"}) {}

    void Notify(uilib::NotifyMsg& msg) override {
        if (msg.Type == L"click" && msg.Sender != nullptr) {
            std::string name = Utils::ToNarrow(msg.Sender->GetName(), Utils::kCodePageUtf8);
            std::printf("click %s\n", name.c_str());
            std::fflush(stdout);
            if (name == "okBtn")
                okClicked = true;
        }
        CMarkupFrame::Notify(msg);
    }

    bool painted = false;
    bool okClicked = false;

protected:
    void PaintClient(cairo_t* cr, int width, int height) override {
        CMarkupFrame::PaintClient(cr, width, height);
        painted = true;
    }
};

}  // namespace

int main(int argc, char** argv) {
    unsigned timeoutMs = (argc > 1 ? static_cast<unsigned>(std::atoi(argv[1])) : 90u) * 1000u;
    std::unique_ptr<uilib::WindowBackend> gtk = uilib::CreateGtkBackend();
    if (!gtk) {
        std::fprintf(stderr, "no display\n");
        return 3;
    }
    uilib::UseBackend(std::move(gtk));

    ProbeFrame frame;
    if (!frame.Create(nullptr, L"velquin gui probe", 0x00CF0000, 0, 200, 150, uilib::kUseDefault,
                      uilib::kUseDefault)) {
        std::fprintf(stderr, "the window was not created\n");
        return 4;
    }
    frame.ShowWindow(true);
    if (!uilib::PumpUntil([&] { return frame.painted; }, timeoutMs)) {
        std::fprintf(stderr, "the window was never painted\n");
        return 2;
    }
    uilib::CControlUI* ok = frame.FindControl(L"okBtn");
    if (ok == nullptr) {
        std::fprintf(stderr, "the layout has no okBtn\n");
        return 4;
    }
    // Without a window manager the window sits exactly where it was placed.
    uilib::Rect bounds = frame.GetNative()->GetBounds();
    const uilib::Rect& pos = ok->GetPos();
    std::printf("ready %d %d\n", bounds.left + (pos.left + pos.right) / 2,
                bounds.top + (pos.top + pos.bottom) / 2);
    std::fflush(stdout);

    if (!uilib::PumpUntil([&] { return frame.okClicked; }, timeoutMs)) {
        std::fprintf(stderr, "no click on okBtn arrived\n");
        return 2;
    }
    frame.DestroyWindow();
    return 0;
}
