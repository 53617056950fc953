// Shared set-up of the framework tests: the headless backend with a virtual clock,
// and a markup frame that records what reaches it.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "uilib/headless_backend.h"
#include "uilib/window.h"

namespace testsupport {

// The process's backend for the framework tests (installed once).
inline uilib::HeadlessBackend& Headless() {
    static uilib::HeadlessBackend* backend = [] {
        auto owned = std::make_unique<uilib::HeadlessBackend>(/*virtualClock=*/true);
        uilib::HeadlessBackend* raw = owned.get();
        uilib::UseBackend(std::move(owned));
        return raw;
    }();
    return *backend;
}

// A frame for one of the archive's layouts that records every notification.
class RecordingFrame : public uilib::CMarkupFrame {
public:
    explicit RecordingFrame(const std::wstring& layout)
        : CMarkupFrame(uilib::FrameParams{4, 147, L"", layout, layout.substr(0, layout.rfind(L'.'))}) {}

    void Notify(uilib::NotifyMsg& msg) override {
        seen.push_back(msg.Type + L":" + (msg.Sender != nullptr ? msg.Sender->GetName() : L""));
        CMarkupFrame::Notify(msg);
    }
    void InitWindow() override {
        CMarkupFrame::InitWindow();
        initialised = true;
    }
    bool CreateDefault() {
        Headless();
        return Create(nullptr, L"test", 0x00CF0000, 0, uilib::kUseDefault, uilib::kUseDefault, uilib::kUseDefault,
                      uilib::kUseDefault);
    }

    std::vector<std::wstring> seen;
    bool initialised = false;
};

}  // namespace testsupport
