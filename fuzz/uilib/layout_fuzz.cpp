// Fuzz target: layout text (UTF-8) built into a control tree with a fresh manager.
// Malformed text must give no tree and a reason, never a crash.
#include <cstdint>
#include <memory>
#include <string>

#include "uilib/markup_builder.h"
#include "uilib/ui_manager.h"
#include "utils/text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::wstring text = Utils::ToWide(bytes, Utils::kCodePageUtf8);
    uilib::CUIManager manager;
    std::wstring error;
    std::unique_ptr<uilib::CControlUI> root(uilib::CMarkupBuilder::Create(text, manager, nullptr, &error));
    if (root == nullptr && error.empty()) {
        __builtin_trap();  // a refused layout always says why
    }
    if (root != nullptr) {
        // Attaching and laying out walks the whole tree the way a window does.
        manager.AttachDialog(root.release());
        manager.SetClientSize(600, 400);
        manager.UpdateLayout();
    }
    return 0;
}
