// Renders each layout of the linked resource archive on the headless backend to a PNG,
// for documentation and for reviewing the skin without a display:
//
//   velquin-render-layouts OUTDIR
//
// Writes OUTDIR/<layout>.png for every layout at the archive's top level, and for the
// main window also OUTDIR/mainWnd_page0.png … page3.png, one per page of mainTabLt.
// Exits 1 when the archive or a layout cannot be loaded or a file cannot be written.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "ui/sequence_controls.h"
#include "uilib/containers.h"
#include "uilib/headless_backend.h"
#include "uilib/resource_archive.h"
#include "uilib/window.h"
#include "utils/text.h"

namespace {

bool IsTopLevelLayout(const std::wstring& name) {
    return name.find(L'/') == std::wstring::npos && name.size() > 4 &&
           (name.ends_with(L".xml") || name.ends_with(L".XML"));
}

// A frame that knows the installer's sequence controls, as the main window does.
class DocFrame : public uilib::CMarkupFrame {
public:
    using CMarkupFrame::CMarkupFrame;
    uilib::CControlUI* CreateControl(const std::wstring& tag) override {
        if (uilib::EqualsIgnoringCase(tag, L"SequenceLabel")) return new CSequenceLabelUI();
        if (uilib::EqualsIgnoringCase(tag, L"SequenceButton")) return new CSequenceButtonUI();
        return nullptr;
    }
};

// Creates the frame of one layout; null (with a message) when it cannot be built.
std::unique_ptr<uilib::CMarkupFrame> Build(const std::wstring& layout) {
    std::wstring stem = layout.substr(0, layout.size() - 4);
    auto frame = std::make_unique<DocFrame>(uilib::FrameParams{4, 147, L"", layout, stem});
    if (!frame->Create(nullptr, stem, 0x00CF0000, 0, uilib::kUseDefault, uilib::kUseDefault,
                       uilib::kUseDefault, uilib::kUseDefault)) {
        std::fprintf(stderr, "%s: the window was not built\n",
                     Utils::ToNarrow(layout, Utils::kCodePageUtf8).c_str());
        return nullptr;
    }
    return frame;
}

bool Save(uilib::CMarkupFrame& frame, const std::filesystem::path& path) {
    if (!uilib::SaveWindowPng(frame, path.string())) {
        std::fprintf(stderr, "%s: not written\n", path.string().c_str());
        return false;
    }
    std::printf("%s\n", path.string().c_str());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: velquin-render-layouts OUTDIR\n");
        return 2;
    }
    std::filesystem::path outDir = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(outDir, ec);
    if (ec) {
        std::fprintf(stderr, "%s: %s\n", argv[1], ec.message().c_str());
        return 1;
    }

    uilib::UseBackend(std::make_unique<uilib::HeadlessBackend>(/*virtualClock=*/true));
    uilib::SetLoadFailureAction([] {});  // report and go on instead of the message box
    if (!uilib::ResourceArchive::OpenShared("ZIPRES", 147)) {
        std::fprintf(stderr, "the linked resource archive does not open\n");
        return 1;
    }
    std::vector<std::wstring> layouts;
    for (const auto& entry : uilib::ResourceArchive::Shared().Entries()) {
        if (IsTopLevelLayout(entry.name))
            layouts.push_back(entry.name);
    }
    if (layouts.empty()) {
        std::fprintf(stderr, "the archive holds no layouts\n");
        return 1;
    }

    bool ok = true;
    for (const std::wstring& layout : layouts) {
        std::string stem =
            Utils::ToNarrow(layout.substr(0, layout.size() - 4), Utils::kCodePageUtf8);
        std::unique_ptr<uilib::CMarkupFrame> frame = Build(layout);
        if (!frame) {
            ok = false;
            continue;
        }
        // One tick of the virtual clock shows the first animation frame.
        static_cast<uilib::HeadlessBackend&>(uilib::CurrentBackend()).AdvanceClock(100);
        ok = Save(*frame, outDir / (stem + ".png")) && ok;

        uilib::CControlUI* tabs = frame->FindControl(L"mainTabLt");
        auto* pages = tabs != nullptr
                          ? static_cast<uilib::CTabLayoutUI*>(tabs->GetInterface(L"TabLayout"))
                          : nullptr;
        if (pages != nullptr) {
            for (int i = 0; i < pages->GetCount(); ++i) {
                if (!pages->SelectItem(i, /*sendEvent=*/false)) {
                    std::fprintf(stderr, "%s: page %d cannot be selected\n", stem.c_str(), i);
                    ok = false;
                    continue;
                }
                ok = Save(*frame, outDir / (stem + "_page" + std::to_string(i) + ".png")) && ok;
            }
        }
        frame->DestroyWindow();
    }
    return ok ? 0 : 1;
}
