// Markup windows on the headless backend: creation from the archive's layouts, the
// default click and key handling, modal loops, the caption band, rendered pixels and
// the load-failure path.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "uilib/containers.h"
#include "uilib/controls.h"
#include "uilib/render.h"
#include "uilib_test_support.h"

// Rendering text loads fontconfig's configuration, which it keeps (unreachable to the
// leak checker) until the process ends; not a leak of ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

namespace {

using testsupport::Headless;
using testsupport::RecordingFrame;
using uilib::CControlUI;

// Runs every UI task posted so far (tasks run in posting order).
void Settle() {
    bool done = false;
    uilib::PostToUiThread([&done] { done = true; });
    ASSERT_TRUE(uilib::PumpUntil([&done] { return done; }, 10000));
}

bool WaitClosed(uilib::CWindowWnd& window) {
    return uilib::PumpUntil([&window] { return !window.IsWindow(); }, 10000);
}

long Count(const RecordingFrame& frame, const std::wstring& entry) {
    return std::count(frame.seen.begin(), frame.seen.end(), entry);
}

// A rendered frame, destroyed with the object.
class Rendered {
public:
    explicit Rendered(uilib::WindowImplBase& window) : surface_(uilib::RenderWindow(window)) {}
    ~Rendered() { cairo_surface_destroy(surface_); }
    Rendered(const Rendered&) = delete;
    Rendered& operator=(const Rendered&) = delete;
    uint32_t At(int x, int y) const { return uilib::PixelAt(surface_, x, y); }
    int Width() const { return cairo_image_surface_get_width(surface_); }
    int Height() const { return cairo_image_surface_get_height(surface_); }

private:
    cairo_surface_t* surface_;
};

// ---- the six layouts -----------------------------------------------------------------

struct LayoutCase {
    const wchar_t* layout;
    int width;
    int height;
    int round;
    const wchar_t* shadowDarkness;
};

class LayoutWindowTest : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(LayoutWindowTest, CreatesWithTheLayoutsSizeAndAttributes) {
    RecordingFrame frame(GetParam().layout);
    ASSERT_TRUE(frame.CreateDefault());
    ASSERT_TRUE(frame.IsWindow());
    EXPECT_TRUE(frame.initialised);
    const uilib::Rect bounds = frame.GetNative()->GetBounds();
    EXPECT_EQ(bounds.Width(), GetParam().width);
    EXPECT_EQ(bounds.Height(), GetParam().height);
    uilib::CUIManager& manager = frame.GetManager();
    EXPECT_EQ(manager.GetClientSize().x, GetParam().width);
    EXPECT_EQ(manager.GetRoundCorner().x, GetParam().round);
    ASSERT_NE(manager.GetWindowCustomAttribute(L"showshadow"), nullptr);
    EXPECT_EQ(*manager.GetWindowCustomAttribute(L"showshadow"), L"true");
    ASSERT_NE(manager.GetWindowCustomAttribute(L"shadowsize"), nullptr);
    EXPECT_EQ(*manager.GetWindowCustomAttribute(L"shadowsize"), L"6");
    ASSERT_NE(manager.GetWindowCustomAttribute(L"shadowdarkness"), nullptr);
    EXPECT_EQ(*manager.GetWindowCustomAttribute(L"shadowdarkness"), GetParam().shadowDarkness);
    EXPECT_EQ(frame.GetWindowClassName(), std::wstring(GetParam().layout).substr(0, wcslen(GetParam().layout) - 4));
    ASSERT_NE(frame.FindControl(L"closebtn"), nullptr);
    EXPECT_EQ(frame.FindControl(L"closebtn")->GetClass(), L"Button");
    // The caption and maximise-box bits are gone once the window is initialised.
    EXPECT_EQ(frame.GetStyle() & (uilib::kStyleCaption | uilib::kStyleMaximizeBox), 0u);
    EXPECT_TRUE(frame.seen.empty());
}

INSTANTIATE_TEST_SUITE_P(Layouts, LayoutWindowTest,
                         ::testing::Values(LayoutCase{L"MainWnd.xml", 600, 400, 2, L"20"},
                                           LayoutCase{L"MessageBox1Wnd.xml", 360, 180, 2, L"20"},
                                           LayoutCase{L"MessageBox2Wnd.xml", 360, 180, 2, L"20"},
                                           LayoutCase{L"ExitTipWnd.xml", 360, 180, 4, L"20"},
                                           LayoutCase{L"InstalledPathTipWnd.xml", 360, 180, 4, L"10"},
                                           LayoutCase{L"NetworkTipWnd.xml", 360, 180, 2, L"20"}));

// ---- a created exit tip for each test -------------------------------------------------

class TipFixture : public ::testing::Test {
protected:
    void SetUp() override {
        Headless();
        ASSERT_TRUE(frame.CreateDefault());
    }
    void TearDown() override {
        frame.DestroyWindow();
        Settle();
    }
    RecordingFrame frame{L"ExitTipWnd.xml"};
};

TEST_F(TipFixture, CloseButtonClosesThroughTheQueue) {
    ASSERT_TRUE(uilib::ClickControl(frame, L"closebtn"));
    EXPECT_EQ(frame.seen, std::vector<std::wstring>{L"click:closebtn"});
    EXPECT_TRUE(frame.IsWindow()) << "closing is asynchronous";
    ASSERT_TRUE(WaitClosed(frame));
}

TEST_F(TipFixture, OtherButtonsOnlyNotify) {
    ASSERT_TRUE(uilib::ClickControl(frame, L"okBtn"));
    ASSERT_TRUE(uilib::ClickControl(frame, L"cancelBtn"));
    Settle();
    EXPECT_TRUE(frame.IsWindow());
    EXPECT_EQ(frame.seen, (std::vector<std::wstring>{L"click:okBtn", L"click:cancelBtn"}));
}

// A window derived from WindowImplBase directly: the framework's own key defaults.
class PlainWindow : public uilib::WindowImplBase {
public:
    std::wstring GetWindowClassName() const override { return L"exitTipWnd"; }
    std::wstring GetSkinFile() const override { return L"exitTipWnd.xml"; }
};

struct KeyCase {
    const char* label;
    bool markupFrame;
    uint32_t key;
    bool closes;
};

void PrintTo(const KeyCase& c, std::ostream* os) { *os << c.label; }

class KeyTest : public ::testing::TestWithParam<KeyCase> {};

TEST_P(KeyTest, DefaultKeys) {
    Headless();
    std::unique_ptr<uilib::WindowImplBase> window;
    if (GetParam().markupFrame) window = std::make_unique<RecordingFrame>(L"ExitTipWnd.xml");
    else window = std::make_unique<PlainWindow>();
    ASSERT_TRUE(window->Create(nullptr, L"keys", 0, 0, uilib::kUseDefault, uilib::kUseDefault, uilib::kUseDefault,
                               uilib::kUseDefault));
    uilib::PressKey(*window, GetParam().key);
    Settle();
    EXPECT_EQ(!window->IsWindow(), GetParam().closes);
    window->DestroyWindow();
}

INSTANTIATE_TEST_SUITE_P(Keys, KeyTest,
                         ::testing::Values(KeyCase{"FrameEscape", true, uilib::kKeyEscape, false},
                                           KeyCase{"FrameEnter", true, uilib::kKeyReturn, false},
                                           KeyCase{"PlainEscape", false, uilib::kKeyEscape, true},
                                           KeyCase{"PlainEnter", false, uilib::kKeyReturn, false}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(TipFixture, EnterOnAFocusedButtonClicksItButEscapeStillDoesNotClose) {
    frame.FindControl(L"okBtn")->SetFocus();
    uilib::PressKey(frame, uilib::kKeyReturn);
    uilib::PressKey(frame, uilib::kKeyEscape);
    Settle();
    EXPECT_TRUE(frame.IsWindow());
    EXPECT_EQ(frame.seen, std::vector<std::wstring>{L"click:okBtn"});
}

// ---- modal loops -----------------------------------------------------------------------

struct ModalCase {
    const char* label;
    std::function<void(RecordingFrame&)> closeIt;
    int result;
};

void PrintTo(const ModalCase& c, std::ostream* os) { *os << c.label; }

class ModalTest : public ::testing::TestWithParam<ModalCase> {};

TEST_P(ModalTest, ReturnsTheCloseRequestsResult) {
    Headless();
    RecordingFrame owner(L"MainWnd.xml");
    ASSERT_TRUE(owner.CreateDefault());
    RecordingFrame tip(L"ExitTipWnd.xml");
    ASSERT_TRUE(tip.Create(&owner, L"tip", 0, 0, uilib::kUseDefault, uilib::kUseDefault, uilib::kUseDefault,
                           uilib::kUseDefault));
    bool ownerDisabledMeanwhile = false;
    uilib::PostToUiThread([&] {
        ownerDisabledMeanwhile = !owner.GetNative()->IsEnabled();
        GetParam().closeIt(tip);
    });
    EXPECT_EQ(tip.ShowModal(), GetParam().result);
    EXPECT_FALSE(tip.IsWindow());
    EXPECT_TRUE(ownerDisabledMeanwhile);
    EXPECT_TRUE(owner.GetNative()->IsEnabled());
    owner.DestroyWindow();
}

INSTANTIATE_TEST_SUITE_P(
    Closes, ModalTest,
    ::testing::Values(ModalCase{"CloseButton", [](RecordingFrame& w) { uilib::ClickControl(w, L"closebtn"); }, 1},
                      ModalCase{"CloseWithResult", [](RecordingFrame& w) { w.Close(7); }, 7},
                      ModalCase{"SystemClose",
                                [](RecordingFrame& w) { w.SendMessage(uilib::kMsgSysCommand, uilib::kScClose, 0); },
                                1}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(ModalWindowTest, DestroyingTheOwnerEndsTheChildsLoop) {
    Headless();
    auto owner = std::make_unique<RecordingFrame>(L"MainWnd.xml");
    ASSERT_TRUE(owner->CreateDefault());
    RecordingFrame tip(L"ExitTipWnd.xml");
    ASSERT_TRUE(tip.Create(owner.get(), L"tip", 0, 0, uilib::kUseDefault, uilib::kUseDefault, uilib::kUseDefault,
                           uilib::kUseDefault));
    uilib::PostToUiThread([&] { owner->DestroyWindow(); });
    tip.ShowModal();
    EXPECT_FALSE(tip.IsWindow());
    EXPECT_FALSE(owner->IsWindow());
    owner.reset();
    Settle();
}

TEST(ModalWindowTest, QuitEndsTheLoopAndTheWindowStays) {
    Headless();
    RecordingFrame tip(L"ExitTipWnd.xml");
    ASSERT_TRUE(tip.CreateDefault());
    uilib::CWindowWnd::PostQuitMessage();
    tip.ShowModal();
    EXPECT_TRUE(tip.IsWindow());
    uilib::CWindowWnd::ResetQuit();
    tip.DestroyWindow();
    Settle();
}

// ---- caption band ------------------------------------------------------------------------

// A plain control that records presses reaching it.
class PressProbe : public uilib::CControlUI {
public:
    explicit PressProbe(int& presses) : presses_(presses) {}
    void DoEvent(uilib::TEventUI& event) override {
        if (event.Type == uilib::EventType::ButtonDown) ++presses_;
        CControlUI::DoEvent(event);
    }

private:
    int& presses_;
};

struct CaptionCase {
    const char* label;
    const wchar_t* sibling;  // the probe joins this control's container
    int presses;
};

void PrintTo(const CaptionCase& c, std::ostream* os) { *os << c.label; }

class CaptionTest : public TipFixture, public ::testing::WithParamInterface<CaptionCase> {};

TEST_P(CaptionTest, PressesInTheBandDragUnlessOnAButton) {
    int presses = 0;
    auto* probe = new PressProbe(presses);
    probe->SetFixedWidth(20);
    probe->SetFixedHeight(20);
    probe->SetName(L"probe");
    CControlUI* sibling = frame.FindControl(GetParam().sibling);
    ASSERT_NE(sibling, nullptr);
    auto* container = static_cast<uilib::CContainerUI*>(sibling->GetParent()->GetInterface(L"Container"));
    ASSERT_NE(container, nullptr);
    ASSERT_TRUE(container->Add(probe));
    frame.GetManager().UpdateLayout();
    const uilib::Rect rc = probe->GetPos();
    ASSERT_FALSE(rc.Empty());
    ASSERT_TRUE(uilib::ClickAt(frame, rc.left + 5, rc.top + 5));
    EXPECT_EQ(presses, GetParam().presses);
    // The button in the band still clicks.
    ASSERT_TRUE(uilib::ClickControl(frame, L"closebtn"));
    EXPECT_EQ(Count(frame, L"click:closebtn"), 1);
}

INSTANTIATE_TEST_SUITE_P(Band, CaptionTest,
                         ::testing::Values(CaptionCase{"InBand", L"captionLbl", 0},
                                           CaptionCase{"BelowBand", L"okBtn", 1}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(TipFixture, ButtonInTheBandReceivesThePress) {
    auto* close = static_cast<uilib::CButtonUI*>(frame.FindControl(L"closebtn")->GetInterface(L"Button"));
    frame.GetManager().UpdateLayout();
    const uilib::Rect rc = close->GetPos();
    ASSERT_LT(rc.top, frame.GetManager().GetCaptionRect().bottom);
    frame.SendMessage(uilib::kMsgLButtonDown, 1, uilib::MakeLParam(rc.left + 3, rc.top + 3));
    EXPECT_TRUE(close->IsPushed());
    frame.SendMessage(uilib::kMsgLButtonUp, 0, uilib::MakeLParam(rc.left + 3, rc.top + 3));
    EXPECT_EQ(frame.seen, std::vector<std::wstring>{L"click:closebtn"});
}

// ---- rendered pixels -------------------------------------------------------------------------

class MainFixture : public ::testing::Test {
protected:
    void SetUp() override {
        Headless();
        ASSERT_TRUE(frame.CreateDefault());
        frame.GetManager().UpdateLayout();
    }
    void TearDown() override {
        frame.DestroyWindow();
        Settle();
    }
    CControlUI* Find(const std::wstring& name) {
        CControlUI* control = frame.FindControl(name);
        EXPECT_NE(control, nullptr) << testing::PrintToString(name);
        return control;
    }
    RecordingFrame frame{L"MainWnd.xml"};
};

constexpr uint32_t kPrimaryBlue = 0xFF227EFA;
constexpr uint32_t kHotBlue = 0xFF4896FF;
constexpr uint32_t kPushedBlue = 0xFF066AF2;

struct ButtonStateCase {
    const char* label;
    uint32_t message;  // sent at the button's centre first; 0: none
    uint32_t colour;
};

void PrintTo(const ButtonStateCase& c, std::ostream* os) { *os << c.label; }

class ButtonStateTest : public MainFixture, public ::testing::WithParamInterface<ButtonStateCase> {};

TEST_P(ButtonStateTest, InstallButtonFillFollowsItsState) {
    const uilib::Rect rc = Find(L"defaultInstallBtn")->GetPos();
    ASSERT_EQ(rc.Width(), 232);
    ASSERT_EQ(rc.Height(), 50);
    const int cx = (rc.left + rc.right) / 2, cy = (rc.top + rc.bottom) / 2;
    if (GetParam().message == uilib::kMsgLButtonDown) frame.SendMessage(uilib::kMsgMouseMove, 0, uilib::MakeLParam(cx, cy));
    if (GetParam().message != 0) frame.SendMessage(GetParam().message, 0, uilib::MakeLParam(cx, cy));
    Rendered frameNow(frame);
    // Away from the text and the rounded corners.
    EXPECT_EQ(frameNow.At(rc.left + 6, cy), GetParam().colour);
    EXPECT_EQ(frameNow.At(rc.right - 6, rc.top + 6), GetParam().colour);
}

INSTANTIATE_TEST_SUITE_P(States, ButtonStateTest,
                         ::testing::Values(ButtonStateCase{"Normal", 0, kPrimaryBlue},
                                           ButtonStateCase{"Hot", uilib::kMsgMouseMove, kHotBlue},
                                           ButtonStateCase{"Pushed", uilib::kMsgLButtonDown, kPushedBlue}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(MainFixture, LeavingTheButtonDropsTheHotColour) {
    const uilib::Rect rc = Find(L"defaultInstallBtn")->GetPos();
    const int cy = (rc.top + rc.bottom) / 2;
    frame.SendMessage(uilib::kMsgMouseMove, 0, uilib::MakeLParam(rc.left + 10, cy));
    frame.SendMessage(uilib::kMsgMouseMove, 0, uilib::MakeLParam(5, 200));
    Rendered after(frame);
    EXPECT_EQ(after.At(rc.left + 6, cy), kPrimaryBlue);
}

TEST_F(MainFixture, HiddenControlIsNotDrawn) {
    CControlUI* button = Find(L"defaultInstallBtn");
    const uilib::Rect rc = button->GetPos();
    button->SetVisible(false);
    Rendered hidden(frame);
    EXPECT_NE(hidden.At(rc.left + 6, (rc.top + rc.bottom) / 2), kPrimaryBlue);
    EXPECT_NE(hidden.At(rc.right - 6, rc.top + 6), kPrimaryBlue);
}

TEST_F(MainFixture, FrameIsTheClientSizeAndTransparentOutsideTheOutline) {
    Rendered rendered(frame);
    ASSERT_EQ(rendered.Width(), 600);
    ASSERT_EQ(rendered.Height(), 400);
    for (auto [x, y] : {std::pair{0, 0}, std::pair{599, 0}, std::pair{0, 399}, std::pair{599, 399}}) {
        EXPECT_LT(rendered.At(x, y) >> 24, 0xFFu) << x << "," << y << " lies on the rounded corner";
    }
    // The background image covers the inside.
    EXPECT_EQ(rendered.At(300, 200) >> 24, 0xFFu);
    EXPECT_EQ(rendered.At(2, 2) >> 24, 0xFFu);
}

TEST(TipPixelsTest, CornersOutsideTheRoundedOutlineAreTransparent) {
    Headless();
    RecordingFrame tip(L"ExitTipWnd.xml");  // round corners 4,4 over a white client area
    ASSERT_TRUE(tip.CreateDefault());
    Rendered rendered(tip);
    // The corner pixels are cut (partly, with anti-aliasing); the straight edges are not.
    EXPECT_LT(rendered.At(0, 0) >> 24, 0xFFu);
    EXPECT_LT(rendered.At(359, 179) >> 24, 0xFFu);
    EXPECT_EQ(rendered.At(180, 0), 0xFFF5FAFEu);
    EXPECT_EQ(rendered.At(0, 100), 0xFFFFFFFFu);
    EXPECT_EQ(rendered.At(180, 100), 0xFFFFFFFFu);
    EXPECT_EQ(rendered.At(180, 5), 0xFFF5FAFEu) << "title bar background";
    tip.DestroyWindow();
    Settle();
}

TEST_F(MainFixture, ProgressFillCoversTheValuesFraction) {
    auto* tabs = static_cast<uilib::CTabLayoutUI*>(Find(L"mainTabLt")->GetInterface(L"TabLayout"));
    ASSERT_TRUE(tabs->SelectItem(2));
    auto* progress = static_cast<uilib::CProgressUI*>(Find(L"installPrg")->GetInterface(L"Progress"));
    frame.GetManager().UpdateLayout();
    const uilib::Rect rc = progress->GetPos();
    ASSERT_EQ(rc.Width(), 410);
    const int y = (rc.top + rc.bottom) / 2;
    const int leftX = rc.left + rc.Width() / 4, rightX = rc.left + rc.Width() * 3 / 4;

    Rendered empty(frame);
    progress->SetValue(50);
    Rendered half(frame);
    progress->SetValue(100);
    Rendered full(frame);
    EXPECT_NE(half.At(leftX, y), empty.At(leftX, y)) << "the left half is filled";
    EXPECT_EQ(half.At(rightX, y), empty.At(rightX, y)) << "the right half is not";
    EXPECT_NE(full.At(rightX, y), empty.At(rightX, y));
    EXPECT_EQ(full.At(leftX, y), half.At(leftX, y)) << "the fill is one image, not rescaled by the value";
}

// ---- load failure -------------------------------------------------------------------------

TEST(LoadFailureTest, MissingLayoutRunsTheActionAndSkipsInitWindow) {
    Headless();
    int failures = 0;
    uilib::SetLoadFailureAction([&failures] { ++failures; });
    RecordingFrame frame(L"NoSuchWnd.xml");
    frame.CreateDefault();
    uilib::SetLoadFailureAction({});
    EXPECT_EQ(failures, 1);
    EXPECT_FALSE(frame.initialised);
    EXPECT_EQ(frame.GetManager().GetRoot(), nullptr);
    EXPECT_EQ(frame.FindControl(L"closebtn"), nullptr);
    frame.DestroyWindow();
}

}  // namespace
