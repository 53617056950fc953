// The image-sequence controls: frame orders, attributes, pattern guard, timers.
#include <gtest/gtest.h>

#include "tests/uilib/uilib_test_support.h"
#include "ui/sequence_controls.h"
#include "uilib/markup_builder.h"

namespace {

// The frames shown by `ticks` ticks, and whether the timer was stopped.
std::vector<int> Frames(SequenceState state, int ticks, bool& stopped) {
    state.SequencePattern = L"%d";
    std::vector<int> shown;
    stopped = false;
    for (int i = 0; i < ticks && !stopped; ++i) {
        std::wstring image;
        if (StepSequence(state, image, stopped)) shown.push_back(std::stoi(image));
    }
    return shown;
}

struct OrderCase {
    const char* name;
    bool loop;
    bool roundTrip;
    int count;
    std::vector<int> frames;
    bool stops;
};

class SequenceOrderTest : public ::testing::TestWithParam<OrderCase> {};

TEST_P(SequenceOrderTest, FramesComeInOrder) {
    const OrderCase& c = GetParam();
    SequenceState state;
    state.Loop = c.loop;
    state.RoundTrip = c.roundTrip;
    state.FrameCount = c.count;
    bool stopped = false;
    EXPECT_EQ(Frames(state, 8, stopped), c.frames) << c.name;
    EXPECT_EQ(stopped, c.stops) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Orders, SequenceOrderTest,
    ::testing::Values(OrderCase{"loop", true, false, 3, {0, 1, 2, 0, 1, 2, 0, 1}, false},
                      OrderCase{"round trip with loop", true, true, 3, {0, 1, 2, 1, 0, 1, 2, 1}, false},
                      OrderCase{"once", false, false, 3, {0, 1, 2}, true},
                      OrderCase{"round trip once", false, true, 3, {0, 1, 2, 1}, true},
                      OrderCase{"one frame", true, false, 1, {0, 0, 0, 0, 0, 0, 0, 0}, false},
                      OrderCase{"no count", true, false, 0, {0, 0, 0, 0, 0, 0, 0, 0}, false},
                      // A round trip over one frame would otherwise count below zero.
                      OrderCase{"round trip over one frame", true, true, 1, {0, 0, 0, 0, 0, 0, 0, 0}, false}));

TEST(SequenceTest, EmptyPatternShowsNothing) {
    SequenceState state;
    std::wstring image;
    bool stop = true;
    EXPECT_FALSE(StepSequence(state, image, stop));
    EXPECT_FALSE(stop);
}

TEST(SequenceTest, PatternNeedsExactlyOneIntegerConversion) {
    struct Case {
        const wchar_t* pattern;
        bool ok;
        const wchar_t* text;
    } cases[] = {
        {L"res\\mainWnd\\installBtnAnimate\\%.3d.png", true, L"res\\mainWnd\\installBtnAnimate\\007.png"},
        {L"100%%_%d.png", true, L"100%_7.png"},
        {L"%s.png", false, L""},
        {L"%d_%d.png", false, L""},
        {L"plain.png", false, L""},
        {L"%n", false, L""},
        {L"%", false, L""},
        {L"%.999999999d", false, L""},
    };
    for (const Case& c : cases) {
        std::wstring out;
        EXPECT_EQ(FormatFrameName(c.pattern, 7, out), c.ok) << c.pattern;
        if (c.ok) {
            EXPECT_EQ(out, c.text);
        }
    }
}

TEST(SequenceTest, AttributesAndTheirNameRules) {
    SequenceState state;
    EXPECT_TRUE(SetSequenceAttribute(state, L"sequencebkimage", L"%d.png"));
    EXPECT_FALSE(SetSequenceAttribute(state, L"SequenceBkImage", L"x"));  // exact name only
    EXPECT_TRUE(SetSequenceAttribute(state, L"SEQUENCECOUNT", L"4"));
    EXPECT_TRUE(SetSequenceAttribute(state, L"SequenceSpan", L"45"));
    EXPECT_TRUE(SetSequenceAttribute(state, L"AutoStart", L"TRUE"));  // only "false" switches off
    EXPECT_TRUE(SetSequenceAttribute(state, L"sequenceloop", L"False"));
    EXPECT_TRUE(SetSequenceAttribute(state, L"sequenceround", L"false"));
    EXPECT_EQ(state.SequencePattern, L"%d.png");
    EXPECT_EQ(state.FrameCount, 4);
    EXPECT_EQ(state.FrameSpan, 45);
    EXPECT_TRUE(state.AutoStart);
    EXPECT_TRUE(state.Loop);
    EXPECT_FALSE(state.RoundTrip);
    EXPECT_FALSE(SetSequenceAttribute(state, L"text", L"x"));
}

class SequenceFrame : public testsupport::RecordingFrame {
public:
    SequenceFrame() : RecordingFrame(L"MainWnd.xml") {}
    uilib::CControlUI* CreateControl(const std::wstring& tag) override {
        if (uilib::EqualsIgnoringCase(tag, L"SequenceLabel")) return new CSequenceLabelUI();
        return nullptr;
    }
};

TEST(SequenceTest, TheInstallAnimationTicksFromCreationAndStopsWithTheWindow) {
    testsupport::Headless();
    SequenceFrame frame;
    ASSERT_TRUE(frame.CreateDefault());
    auto* label = static_cast<CSequenceLabelUI*>(frame.FindControl(L"progressAnLb")->GetInterface(L"SequenceLabel"));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->GetClass(), L"SequenceLabel");
    EXPECT_EQ(frame.GetManager().RunningTimerCount(), 1u);  // autostart
    testsupport::Headless().AdvanceClock(static_cast<uint32_t>(label->GetFrameSpan()) * 3);
    EXPECT_EQ(label->GetBkImage(), L"res\\mainWnd\\installBtnAnimate\\000.png");
    EXPECT_EQ(std::count(frame.seen.begin(), frame.seen.end(), L"timer:progressAnLb"), 3);

    // Start while running: back to frame 0, same period, still one timer.
    label->Start();
    EXPECT_EQ(label->State().Frame, 0);
    EXPECT_EQ(frame.GetManager().RunningTimerCount(), 1u);

    frame.DestroyWindow();
    EXPECT_EQ(frame.GetManager().RunningTimerCount(), 0u);
    size_t ticks = frame.seen.size();
    testsupport::Headless().AdvanceClock(1000);
    EXPECT_EQ(frame.seen.size(), ticks);
}

}  // namespace
