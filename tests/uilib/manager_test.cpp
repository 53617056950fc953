// The control manager: name lookup, notification delivery (synchronous, queued,
// from other threads), per-control timers, and the controls that send notifications.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "uilib_test_support.h"
#include "uilib/containers.h"
#include "uilib/controls.h"
#include "uilib/markup_builder.h"

namespace {

using testsupport::Headless;
using testsupport::RecordingFrame;
using uilib::CControlUI;
using uilib::NotifyMsg;

// A host that starts no real timers and records what the manager asks of it.
class FakeHost : public uilib::ManagerHost {
public:
    void RequestWake() override { ++wakes; }
    bool StartPlatformTimer(unsigned platformId, uint32_t periodMs) override {
        started.emplace_back(platformId, periodMs);
        return true;
    }
    void StopPlatformTimer(unsigned platformId) override { stopped.push_back(platformId); }
    bool HostExists() const override { return exists; }
    void RequestRepaint() override {}

    int wakes = 0;
    bool exists = true;
    std::vector<std::pair<unsigned, uint32_t>> started;
    std::vector<unsigned> stopped;
};

// Writes "<who>:<type>" for every notification that reaches it.
class Receiver : public uilib::INotifyUI {
public:
    Receiver(std::wstring who, std::vector<std::wstring>& log) : who_(std::move(who)), log_(log) {}
    void Notify(NotifyMsg& msg) override {
        log_.push_back(who_ + L":" + msg.Type);
        if (onNotify) onNotify(msg);
    }
    std::function<void(NotifyMsg&)> onNotify;

private:
    std::wstring who_;
    std::vector<std::wstring>& log_;
};

// Keeps a copy of every notification.
class Keeper : public uilib::INotifyUI {
public:
    void Notify(NotifyMsg& msg) override { got.push_back(msg); }
    std::vector<NotifyMsg> got;
};

// A manager with a host and a tree built from layout text.
class ManagerFixture : public ::testing::Test {
protected:
    void Build(const std::wstring& controls) {
        manager.Init(&host);
        std::wstring error;
        CControlUI* root =
            uilib::CMarkupBuilder::Create(L"<Window>" + controls + L"</Window>", manager, nullptr, &error);
        ASSERT_NE(root, nullptr) << testing::PrintToString(error);
        manager.AttachDialog(root);
        manager.SetClientSize(200, 100);
        manager.UpdateLayout();
    }
    CControlUI* Find(const std::wstring& name) {
        CControlUI* control = manager.FindControl(name);
        EXPECT_NE(control, nullptr) << testing::PrintToString(name);
        return control;
    }
    void Click(CControlUI* control) {
        const uilib::Rect& rc = control->GetPos();
        manager.OnButtonDown((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
        manager.OnButtonUp((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    }

    FakeHost host;
    uilib::CUIManager manager;
    std::vector<std::wstring> log;
};

// Runs every UI task posted so far (tasks run in posting order).
void Settle() {
    bool done = false;
    uilib::PostToUiThread([&done] { done = true; });
    ASSERT_TRUE(uilib::PumpUntil([&done] { return done; }, 10000));
}

// ---- names ------------------------------------------------------------------------

TEST_F(ManagerFixture, FindControlByExactName) {
    Build(L"<VerticalLayout name=\"root\"><Button name=\"okBtn\"/><HorizontalLayout>"
          L"<Label name=\"textLbl\"/></HorizontalLayout></VerticalLayout>");
    EXPECT_EQ(manager.FindControl(L"root"), manager.GetRoot());
    ASSERT_NE(manager.FindControl(L"textLbl"), nullptr);
    EXPECT_EQ(manager.FindControl(L"textLbl")->GetClass(), L"Label");
    EXPECT_EQ(manager.FindControl(L"okbtn"), nullptr);
    EXPECT_EQ(manager.FindControl(L"missing"), nullptr);
}

TEST_F(ManagerFixture, FindControlAtGivesTheDeepestVisibleControl) {
    Build(L"<VerticalLayout name=\"root\"><Button name=\"top\" height=\"40\"/><HorizontalLayout name=\"row\">"
          L"<Label name=\"left\" width=\"50\"/><Label name=\"gone\" width=\"50\" visible=\"false\"/>"
          L"</HorizontalLayout></VerticalLayout>");
    EXPECT_EQ(manager.FindControlAt(10, 10), Find(L"top"));
    EXPECT_EQ(manager.FindControlAt(10, 50), Find(L"left"));
    EXPECT_EQ(manager.FindControlAt(150, 50), Find(L"row"));
    EXPECT_EQ(manager.FindControlAt(250, 50), nullptr);
}

// ---- synchronous delivery -------------------------------------------------------------

TEST_F(ManagerFixture, DelegatesFirstThenReceiversInRegistrationOrder) {
    Build(L"<Button name=\"b\"/>");
    Receiver first(L"first", log), second(L"second", log);
    manager.AddNotifier(&second);
    manager.AddNotifier(&first);
    manager.AddNotifier(&second);  // once only
    Find(L"b")->OnNotify.push_back([this](NotifyMsg& msg) { log.push_back(L"delegate1:" + msg.Type); });
    Find(L"b")->OnNotify.push_back([this](NotifyMsg& msg) { log.push_back(L"delegate2:" + msg.Type); });
    manager.SendNotify(Find(L"b"), L"custom", 3, -4);
    EXPECT_EQ(log, (std::vector<std::wstring>{L"delegate1:custom", L"delegate2:custom", L"second:custom",
                                              L"first:custom"}));
    manager.RemoveNotifier(&second);
    log.clear();
    manager.SendNotify(Find(L"b"), L"again");
    EXPECT_EQ(log, (std::vector<std::wstring>{L"delegate1:again", L"delegate2:again", L"first:again"}));
}

TEST_F(ManagerFixture, RecordCarriesSenderParametersAndMousePoint) {
    Build(L"<Button name=\"b\"/>");
    Keeper keeper;
    manager.AddNotifier(&keeper);
    manager.OnMouseMove(17, 23);
    manager.SendNotify(Find(L"b"), L"custom", 7, -9);
    ASSERT_EQ(keeper.got.size(), 1u);
    EXPECT_EQ(keeper.got[0].Sender, Find(L"b"));
    EXPECT_EQ(keeper.got[0].WParam, 7u);
    EXPECT_EQ(keeper.got[0].LParam, -9);
    EXPECT_EQ(keeper.got[0].MousePoint.x, 17);
    EXPECT_EQ(keeper.got[0].MousePoint.y, 23);
}

TEST_F(ManagerFixture, NotificationsSentWhileHandlingAreDeliveredDepthFirst) {
    Build(L"<Button name=\"b\"/>");
    Receiver first(L"first", log), second(L"second", log);
    manager.AddNotifier(&first);
    manager.AddNotifier(&second);
    Find(L"b")->OnNotify.push_back([this](NotifyMsg& msg) { log.push_back(L"delegate:" + msg.Type); });
    first.onNotify = [this](NotifyMsg& msg) {
        if (msg.Type == L"outer") manager.SendNotify(msg.Sender, L"inner");
    };
    manager.SendNotify(Find(L"b"), L"outer");
    EXPECT_EQ(log, (std::vector<std::wstring>{L"delegate:outer", L"first:outer", L"delegate:inner",
                                              L"first:inner", L"second:inner", L"second:outer"}));
}

TEST_F(ManagerFixture, ReceiverRemovedWhileHandlingStillCompletesTheRound) {
    Build(L"<Button name=\"b\"/>");
    Receiver first(L"first", log), second(L"second", log);
    manager.AddNotifier(&first);
    manager.AddNotifier(&second);
    first.onNotify = [&](NotifyMsg&) { manager.RemoveNotifier(&second); };
    manager.SendNotify(Find(L"b"), L"one");
    manager.SendNotify(Find(L"b"), L"two");
    EXPECT_EQ(log, (std::vector<std::wstring>{L"first:one", L"second:one", L"first:two"}));
}

// ---- queued delivery -------------------------------------------------------------------

struct CoalesceCase {
    bool allowRepeat;
    std::vector<uintptr_t> delivered;
};

void PrintTo(const CoalesceCase& c, std::ostream* os) { *os << (c.allowRepeat ? "repeats" : "no repeats"); }

class CoalesceTest : public ManagerFixture, public ::testing::WithParamInterface<CoalesceCase> {};

TEST_P(CoalesceTest, QueuedRecordsOfOneSenderAndType) {
    Build(L"<VerticalLayout><Button name=\"a\"/><Button name=\"b\"/></VerticalLayout>");
    Keeper keeper;
    manager.AddNotifier(&keeper);
    manager.SendNotify(Find(L"a"), L"progress", 1, 10, /*async=*/true, GetParam().allowRepeat);
    manager.SendNotify(Find(L"b"), L"progress", 100, 0, true, GetParam().allowRepeat);   // other sender
    manager.SendNotify(Find(L"a"), L"other", 200, 0, true, GetParam().allowRepeat);      // other type
    manager.SendNotify(Find(L"a"), L"progress", 2, 20, true, GetParam().allowRepeat);
    EXPECT_TRUE(keeper.got.empty()) << "queued records wait for the window's wake-up";
    EXPECT_EQ(host.wakes, 1);
    manager.DrainAsyncNotify();
    std::vector<uintptr_t> wParams;
    for (const NotifyMsg& msg : keeper.got) wParams.push_back(msg.WParam);
    EXPECT_EQ(wParams, GetParam().delivered);
    if (!GetParam().allowRepeat) {
        ASSERT_EQ(keeper.got.size(), 3u);
        EXPECT_EQ(keeper.got[0].LParam, 20) << "the merged record takes every parameter of the second send";
    }
    // The queue is empty and the next send wakes the window again.
    manager.DrainAsyncNotify();
    EXPECT_EQ(keeper.got.size(), GetParam().delivered.size());
    manager.SendNotify(Find(L"a"), L"progress", 3, 0, true, GetParam().allowRepeat);
    EXPECT_EQ(host.wakes, 2);
}

INSTANTIATE_TEST_SUITE_P(Repeat, CoalesceTest,
                         ::testing::Values(CoalesceCase{false, {2, 100, 200}}, CoalesceCase{true, {1, 100, 200, 2}}));

TEST_F(ManagerFixture, DrainedRecordNoLongerAbsorbsLaterSends) {
    Build(L"<Button name=\"a\"/>");
    Keeper keeper;
    manager.AddNotifier(&keeper);
    manager.SendNotify(Find(L"a"), L"progress", 1, 0, true, false);
    manager.DrainAsyncNotify();
    manager.SendNotify(Find(L"a"), L"progress", 2, 0, true, false);
    manager.DrainAsyncNotify();
    ASSERT_EQ(keeper.got.size(), 2u);
    EXPECT_EQ(keeper.got[1].WParam, 2u);
}

// A window of the archive, created for one test and destroyed after it.
class FrameFixture : public ::testing::Test {
protected:
    void SetUp() override {
        Headless();
        ASSERT_TRUE(frame.CreateDefault());
        ASSERT_TRUE(frame.initialised);
        frame.GetManager().AddNotifier(&keeper);
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
    long Count(const std::wstring& entry) const {
        return std::count(frame.seen.begin(), frame.seen.end(), entry);
    }

    Keeper keeper;
    RecordingFrame frame{L"ExitTipWnd.xml"};
};

class WindowCoalesceTest : public FrameFixture, public ::testing::WithParamInterface<CoalesceCase> {};

TEST_P(WindowCoalesceTest, DeliveredWhenTheLoopRuns) {
    CControlUI* ok = Find(L"okBtn");
    frame.GetManager().SendNotify(ok, L"checknet", 1, 0, /*async=*/true, GetParam().allowRepeat);
    frame.GetManager().SendNotify(ok, L"checknet", 2, 0, true, GetParam().allowRepeat);
    EXPECT_TRUE(keeper.got.empty());
    ASSERT_TRUE(uilib::PumpUntil([&] { return !keeper.got.empty(); }, 10000));
    Settle();
    std::vector<uintptr_t> wParams;
    for (const NotifyMsg& msg : keeper.got) wParams.push_back(msg.WParam);
    EXPECT_EQ(wParams, GetParam().delivered);
    EXPECT_EQ(Count(L"checknet:okBtn"), static_cast<long>(wParams.size()));
}

INSTANTIATE_TEST_SUITE_P(Repeat, WindowCoalesceTest,
                         ::testing::Values(CoalesceCase{false, {2}}, CoalesceCase{true, {1, 2}}));

TEST_F(FrameFixture, SendsFromOtherThreadsAllArriveOnce) {
    constexpr int kThreads = 4;
    constexpr int kEach = 300;
    CControlUI* ok = Find(L"okBtn");
    uilib::CUIManager& manager = frame.GetManager();
    std::atomic<bool> go{false};
    std::vector<std::thread> senders;
    for (int t = 0; t < kThreads; ++t) {
        senders.emplace_back([&, t] {
            while (!go.load()) std::this_thread::yield();
            for (int i = 0; i < kEach; ++i) {
                manager.SendNotify(ok, L"checknet", static_cast<uintptr_t>(t * kEach + i), 0, /*async=*/true,
                                   /*allowRepeat=*/true);
            }
        });
    }
    go = true;
    // The UI thread drains while the senders are still adding.
    const bool all = uilib::PumpUntil([&] { return keeper.got.size() >= kThreads * kEach; }, 20000);
    for (std::thread& sender : senders) sender.join();
    EXPECT_TRUE(all);
    Settle();
    std::vector<uintptr_t> wParams;
    for (const NotifyMsg& msg : keeper.got) wParams.push_back(msg.WParam);
    std::sort(wParams.begin(), wParams.end());
    std::vector<uintptr_t> expected(kThreads * kEach);
    for (size_t i = 0; i < expected.size(); ++i) expected[i] = i;
    EXPECT_EQ(wParams, expected);
}

TEST_F(FrameFixture, SendsFromAnotherThreadWhileTheMouseMoves) {
    constexpr int kSends = 400;
    CControlUI* ok = Find(L"okBtn");
    uilib::CUIManager& manager = frame.GetManager();
    std::thread sender([&] {
        for (int i = 0; i < kSends; ++i) manager.SendNotify(ok, L"checknet", static_cast<uintptr_t>(i), 0, true, true);
    });
    // The UI thread keeps handling input (which updates the mouse point every record
    // carries) while the other thread sends.
    int x = 0;
    const bool all = uilib::PumpUntil(
        [&] {
            frame.SendMessage(uilib::kMsgMouseMove, 0, uilib::MakeLParam(x, 40));
            x = (x + 7) % 360;
            return keeper.got.size() >= kSends;
        },
        20000);
    sender.join();
    EXPECT_TRUE(all);
    Settle();
    ASSERT_EQ(keeper.got.size(), static_cast<size_t>(kSends));
    for (const NotifyMsg& msg : keeper.got) {
        EXPECT_LT(msg.MousePoint.x, 360);
        EXPECT_TRUE(msg.MousePoint.y == 0 || msg.MousePoint.y == 40) << msg.MousePoint.y;
    }
}

TEST_F(FrameFixture, QueuedRecordsForAWindowClosedMeanwhileAreDropped) {
    frame.GetManager().SendNotify(Find(L"okBtn"), L"checknet", 1, 0, true, true);
    frame.DestroyWindow();
    Settle();
    EXPECT_TRUE(keeper.got.empty());
}

// ---- timers ------------------------------------------------------------------------------

TEST_F(FrameFixture, RunningTimerKeepsItsPeriodAndRestartsWithANewOne) {
    uilib::CUIManager& manager = frame.GetManager();
    CControlUI* ok = Find(L"okBtn");
    ASSERT_TRUE(manager.SetTimer(ok, 7, 100));
    EXPECT_FALSE(manager.SetTimer(ok, 7, 30)) << "the (control, id) pair is running";
    Headless().AdvanceClock(350);
    EXPECT_EQ(Count(L"timer:okBtn"), 3);
    ASSERT_FALSE(keeper.got.empty());
    EXPECT_EQ(keeper.got.back().WParam, 7u);

    ASSERT_TRUE(manager.KillTimer(ok, 7));
    EXPECT_FALSE(manager.KillTimer(ok, 7)) << "already killed";
    Headless().AdvanceClock(500);
    EXPECT_EQ(Count(L"timer:okBtn"), 3);

    ASSERT_TRUE(manager.SetTimer(ok, 7, 40));
    Headless().AdvanceClock(200);
    EXPECT_EQ(Count(L"timer:okBtn"), 8);
    EXPECT_EQ(manager.RunningTimerCount(), 1u);
}

TEST_F(FrameFixture, TimersOfDifferentControlsAndIdsRunApart) {
    uilib::CUIManager& manager = frame.GetManager();
    CControlUI* ok = Find(L"okBtn");
    CControlUI* cancel = Find(L"cancelBtn");
    ASSERT_TRUE(manager.SetTimer(ok, 1, 50));
    ASSERT_TRUE(manager.SetTimer(ok, 2, 100));
    ASSERT_TRUE(manager.SetTimer(cancel, 1, 200));
    Headless().AdvanceClock(400);
    EXPECT_EQ(Count(L"timer:okBtn"), 8 + 4);
    EXPECT_EQ(Count(L"timer:cancelBtn"), 2);
    ASSERT_TRUE(manager.KillTimer(ok, 1));
    Headless().AdvanceClock(400);
    EXPECT_EQ(Count(L"timer:okBtn"), 12 + 4);
    EXPECT_EQ(Count(L"timer:cancelBtn"), 4);
}

TEST_F(FrameFixture, KillTimerOfUnknownPairFails) {
    uilib::CUIManager& manager = frame.GetManager();
    ASSERT_TRUE(manager.SetTimer(Find(L"okBtn"), 1, 50));
    EXPECT_FALSE(manager.KillTimer(Find(L"okBtn"), 2));
    EXPECT_FALSE(manager.KillTimer(Find(L"cancelBtn"), 1));
    EXPECT_FALSE(manager.KillTimer(nullptr, 1));
    EXPECT_EQ(manager.RunningTimerCount(), 1u);
}

TEST_F(FrameFixture, TimersStopWhenTheWindowIsDestroyed) {
    uilib::CUIManager& manager = frame.GetManager();
    ASSERT_TRUE(manager.SetTimer(Find(L"okBtn"), 1, 50));
    ASSERT_TRUE(manager.SetTimer(Find(L"cancelBtn"), 3, 70));
    Headless().AdvanceClock(100);
    const auto before = frame.seen.size();
    ASSERT_GT(before, 0u);
    ASSERT_TRUE(uilib::ClickControl(frame, L"closebtn"));
    ASSERT_TRUE(uilib::PumpUntil([&] { return !frame.IsWindow(); }, 10000));
    const auto afterClose = frame.seen.size();  // the click itself is recorded
    Headless().AdvanceClock(1000);
    EXPECT_EQ(frame.seen.size(), afterClose);
    EXPECT_EQ(manager.RunningTimerCount(), 0u);
    EXPECT_FALSE(manager.SetTimer(Find(L"okBtn"), 1, 50)) << "no window to run it";
}

TEST_F(ManagerFixture, PlatformIdsCountModulo255FromOne) {
    Build(L"<Button name=\"b\"/>");
    CControlUI* button = Find(L"b");
    for (unsigned id = 0; id < 256; ++id) ASSERT_TRUE(manager.SetTimer(button, id, 10 + id));
    ASSERT_EQ(host.started.size(), 256u);
    for (unsigned i = 0; i < 254; ++i) EXPECT_EQ(host.started[i].first, i + 1) << "timer " << i;
    EXPECT_EQ(host.started[254].first, 0u);
    EXPECT_EQ(host.started[255].first, 1u);
    EXPECT_EQ(host.started[255].second, 265u);
}

TEST_F(ManagerFixture, RestartReusesThePlatformIdWithTheNewPeriod) {
    Build(L"<VerticalLayout><Button name=\"a\"/><Button name=\"b\"/></VerticalLayout>");
    ASSERT_TRUE(manager.SetTimer(Find(L"a"), 5, 100));
    ASSERT_TRUE(manager.SetTimer(Find(L"b"), 5, 100));
    ASSERT_TRUE(manager.KillTimer(Find(L"a"), 5));
    EXPECT_EQ(host.stopped, std::vector<unsigned>{1});
    ASSERT_TRUE(manager.SetTimer(Find(L"a"), 5, 30));
    ASSERT_EQ(host.started.size(), 3u);
    EXPECT_EQ(host.started[2], (std::pair<unsigned, uint32_t>{1, 30}));
    // A new pair continues after the last new id.
    ASSERT_TRUE(manager.SetTimer(Find(L"a"), 6, 30));
    EXPECT_EQ(host.started.back().first, 3u);
}

TEST_F(ManagerFixture, PlatformTimerReachesTheOwningControlAsTimerNotification) {
    Build(L"<VerticalLayout><Button name=\"a\"/><Button name=\"b\"/></VerticalLayout>");
    Keeper keeper;
    manager.AddNotifier(&keeper);
    ASSERT_TRUE(manager.SetTimer(Find(L"a"), 9, 100));
    ASSERT_TRUE(manager.SetTimer(Find(L"b"), 4, 100));
    manager.OnPlatformTimer(2);
    manager.OnPlatformTimer(77);  // unknown: nothing
    ASSERT_EQ(keeper.got.size(), 1u);
    EXPECT_EQ(keeper.got[0].Type, L"timer");
    EXPECT_EQ(keeper.got[0].Sender, Find(L"b"));
    EXPECT_EQ(keeper.got[0].WParam, 4u);
    EXPECT_EQ(keeper.got[0].LParam, 0);
    ASSERT_TRUE(manager.KillTimer(Find(L"b"), 4));
    manager.OnPlatformTimer(2);
    EXPECT_EQ(keeper.got.size(), 1u) << "a killed timer that still fires once is ignored";
}

TEST_F(ManagerFixture, NoTimersWithoutAWindow) {
    Build(L"<Button name=\"b\"/>");
    host.exists = false;
    EXPECT_FALSE(manager.SetTimer(Find(L"b"), 1, 10));
    EXPECT_FALSE(manager.SetTimer(nullptr, 1, 10));
    EXPECT_TRUE(host.started.empty());
}

// ---- tab layout ------------------------------------------------------------------------------

class TabFixture : public ManagerFixture {
protected:
    void SetUp() override {
        Build(L"<TabLayout name=\"tabs\"><Control name=\"p0\" visible=\"false\"/><Control name=\"p1\"/>"
              L"<Control name=\"p2\"/><Control name=\"p3\"/></TabLayout>");
        tabs = static_cast<uilib::CTabLayoutUI*>(Find(L"tabs")->GetInterface(L"TabLayout"));
        manager.AddNotifier(&keeper);
    }
    std::vector<bool> Shown() {
        std::vector<bool> shown;
        for (int i = 0; i < tabs->GetCount(); ++i) shown.push_back(tabs->GetItemAt(i)->IsOwnVisible());
        return shown;
    }
    uilib::CTabLayoutUI* tabs = nullptr;
    Keeper keeper;
};

TEST_F(TabFixture, FirstVisibleChildIsCurrentAndTheOthersHidden) {
    EXPECT_EQ(tabs->GetCurSel(), 1);
    EXPECT_EQ(Shown(), (std::vector<bool>{false, true, false, false}));
    EXPECT_EQ(Find(L"p1")->GetPos(), (uilib::Rect{0, 0, 200, 100}));
}

TEST_F(TabFixture, SelectingTheCurrentPageDoesNothing) {
    EXPECT_TRUE(tabs->SelectItem(1));
    EXPECT_TRUE(keeper.got.empty());
    EXPECT_EQ(Shown(), (std::vector<bool>{false, true, false, false}));
}

TEST_F(TabFixture, OutOfRangeFails) {
    for (int index : {-1, 4, 100}) {
        EXPECT_FALSE(tabs->SelectItem(index)) << index;
        EXPECT_EQ(tabs->GetCurSel(), 1);
    }
    EXPECT_TRUE(keeper.got.empty());
}

TEST_F(TabFixture, SelectingAnotherPageShowsFocusesAndNotifies) {
    ASSERT_TRUE(tabs->SelectItem(3));
    EXPECT_EQ(tabs->GetCurSel(), 3);
    EXPECT_EQ(Shown(), (std::vector<bool>{false, false, false, true}));
    EXPECT_EQ(manager.GetFocus(), Find(L"p3"));
    ASSERT_EQ(keeper.got.size(), 1u);
    EXPECT_EQ(keeper.got[0].Type, L"tabselect");
    EXPECT_EQ(keeper.got[0].Sender, tabs);
    EXPECT_EQ(keeper.got[0].WParam, 3u);
    EXPECT_EQ(keeper.got[0].LParam, 1);
    manager.UpdateLayout();
    EXPECT_EQ(Find(L"p3")->GetPos(), (uilib::Rect{0, 0, 200, 100}));

    ASSERT_TRUE(tabs->SelectItem(0, /*sendEvent=*/false));
    EXPECT_EQ(tabs->GetCurSel(), 0);
    EXPECT_EQ(Shown(), (std::vector<bool>{true, false, false, false}));
    EXPECT_EQ(keeper.got.size(), 1u);
}

TEST_F(ManagerFixture, TabWithoutVisiblePagesHasNoCurrentOne) {
    Build(L"<TabLayout name=\"tabs\"><Control visible=\"false\"/></TabLayout>");
    auto* tabs = static_cast<uilib::CTabLayoutUI*>(Find(L"tabs")->GetInterface(L"TabLayout"));
    EXPECT_EQ(tabs->GetCurSel(), -1);
    Keeper keeper;
    manager.AddNotifier(&keeper);
    ASSERT_TRUE(tabs->SelectItem(0));
    ASSERT_EQ(keeper.got.size(), 1u);
    EXPECT_EQ(keeper.got[0].LParam, -1);
}

// ---- check box and button --------------------------------------------------------------------

class CheckBoxFixture : public ManagerFixture {
protected:
    void SetUp() override {
        Build(L"<VerticalLayout><CheckBox name=\"cb\" height=\"20\"/><Button name=\"other\" height=\"20\"/>"
              L"<Control/></VerticalLayout>");
        box = static_cast<uilib::CCheckBoxUI*>(Find(L"cb")->GetInterface(L"CheckBox"));
        manager.AddNotifier(&receiver);
    }
    uilib::CCheckBoxUI* box = nullptr;
    Receiver receiver{L"r", log};
};

TEST_F(CheckBoxFixture, ClickSendsClickThenSelectChangedAndFlips) {
    std::vector<bool> stateSeenByClick;
    receiver.onNotify = [&](NotifyMsg& msg) {
        if (msg.Type == L"click") stateSeenByClick.push_back(box->IsSelected());
    };
    Click(box);
    EXPECT_TRUE(box->IsSelected());
    Click(box);
    EXPECT_FALSE(box->IsSelected());
    EXPECT_EQ(log, (std::vector<std::wstring>{L"r:click", L"r:selectchanged", L"r:click", L"r:selectchanged"}));
    EXPECT_EQ(stateSeenByClick, (std::vector<bool>{false, true})) << "\"click\" comes before the flip";
}

TEST_F(CheckBoxFixture, SelectedWithoutChangeSendsNothing) {
    box->Selected(false);
    EXPECT_TRUE(log.empty());
    box->Selected(true, /*sendEvent=*/false);
    EXPECT_TRUE(box->IsSelected());
    EXPECT_TRUE(log.empty());
    box->Selected(true);
    EXPECT_TRUE(log.empty());
    box->Selected(false);
    EXPECT_EQ(log, std::vector<std::wstring>{L"r:selectchanged"});
}

TEST_F(CheckBoxFixture, KeyboardActivatesTheFocusedControl) {
    box->SetFocus();
    for (uint32_t key : {uilib::kKeySpace, uilib::kKeyReturn, uint32_t{'A'}}) manager.OnKeyDown(key);
    EXPECT_EQ(log, (std::vector<std::wstring>{L"r:click", L"r:selectchanged", L"r:click", L"r:selectchanged"}));
    EXPECT_FALSE(box->IsSelected());
}

TEST_F(CheckBoxFixture, NoClickWhenDisabledHiddenOrReleasedElsewhere) {
    const uilib::Rect rc = box->GetPos();
    manager.OnButtonDown(rc.left + 2, rc.top + 2);
    manager.OnButtonUp(rc.left + 2, rc.bottom + 5);  // released over "other"
    box->SetEnabled(false);
    Click(box);
    box->SetEnabled(true);
    box->SetVisible(false);
    EXPECT_FALSE(box->Activate());
    EXPECT_TRUE(log.empty());
    EXPECT_FALSE(box->IsSelected());
    // Pressing elsewhere and releasing over the control is no click either.
    box->SetVisible(true);
    manager.UpdateLayout();
    const uilib::Rect& other = Find(L"other")->GetPos();
    manager.OnButtonDown(other.left + 2, other.top + 2);
    manager.OnButtonUp(rc.left + 2, rc.top + 2);
    EXPECT_TRUE(log.empty());
}

// ---- progress ------------------------------------------------------------------------------

struct ProgressCase {
    int value;
    int stored;
};

class ProgressTest : public ::testing::TestWithParam<ProgressCase> {};

TEST_P(ProgressTest, ValueIsClamped) {
    uilib::CProgressUI progress;
    EXPECT_EQ(progress.GetMinValue(), 0);
    EXPECT_EQ(progress.GetMaxValue(), 100);
    EXPECT_EQ(progress.GetValue(), 0);
    progress.SetValue(GetParam().value);
    EXPECT_EQ(progress.GetValue(), GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(Values, ProgressTest,
                         ::testing::Values(ProgressCase{150, 100}, ProgressCase{-5, 0}, ProgressCase{42, 42},
                                           ProgressCase{100, 100}, ProgressCase{0, 0},
                                           ProgressCase{INT32_MIN, 0}, ProgressCase{INT32_MAX, 100}));

}  // namespace
