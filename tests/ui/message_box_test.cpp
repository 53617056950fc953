// Tips as real modal windows on the headless backend: answers, wording, keys, owner.
#include <gtest/gtest.h>

#include "tests/uilib/uilib_test_support.h"
#include "ui/message_box.h"
#include "uilib/headless_backend.h"

namespace {

// Runs `act` on the open tip once its modal loop is running.
void WhenTipOpens(std::function<void(CMessageBoxWnd&)> act) {
    uilib::PostToUiThread([act] {
        CMessageBoxWnd* box = CMessageBoxWnd::Active();
        ASSERT_NE(box, nullptr);
        act(*box);
    });
}

struct AnswerCase {
    const wchar_t* layout;
    const wchar_t* control;
    int answer;
};

class TipAnswerTest : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(TipAnswerTest, TheClickedButtonDecides) {
    testsupport::Headless();
    const AnswerCase& c = GetParam();
    uilib::FrameParams params{4, 147, L"", c.layout, L"Tip"};
    std::wstring control = c.control;
    WhenTipOpens([control](CMessageBoxWnd& box) { EXPECT_TRUE(uilib::ClickControl(box, control)); });
    EXPECT_EQ(ShowMessageBox(nullptr, params, nullptr, nullptr), c.answer);
    EXPECT_EQ(CMessageBoxWnd::Active(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, TipAnswerTest,
    ::testing::Values(AnswerCase{L"ExitTipWnd.xml", L"okBtn", 0}, AnswerCase{L"ExitTipWnd.xml", L"cancelBtn", 1},
                      AnswerCase{L"ExitTipWnd.xml", L"closebtn", 2},
                      AnswerCase{L"InstalledPathTipWnd.xml", L"okBtn", 0},
                      AnswerCase{L"InstalledPathTipWnd.xml", L"cancelBtn", 1},
                      AnswerCase{L"NetworkTipWnd.xml", L"cancelBtn", 1},
                      AnswerCase{L"NetworkTipWnd.xml", L"okBtn", 0},
                      AnswerCase{L"MessageBox1Wnd.xml", L"closebtn", 2},
                      AnswerCase{L"MessageBox2Wnd.xml", L"closebtn", 2}));

TEST(MessageBoxTest, EscapeAndEnterDoNotCloseATip) {
    testsupport::Headless();
    std::vector<std::wstring> wording;
    WhenTipOpens([&wording](CMessageBoxWnd& box) {
        uilib::PressKey(box, uilib::kKeyEscape);
        uilib::PressKey(box, uilib::kKeyReturn);
        uilib::PostToUiThread([&wording] {
            CMessageBoxWnd* still = CMessageBoxWnd::Active();
            ASSERT_NE(still, nullptr);
            wording.push_back(TipWording(*still));
            uilib::ClickControl(*still, L"cancelBtn");
        });
    });
    EXPECT_EQ(ShowMessageBox(nullptr, ExitTipParams(), nullptr, nullptr), 1);
    ASSERT_EQ(wording.size(), 1u);
    EXPECT_EQ(wording[0], L"温馨提示 | 您确定要退出安装吗？ [是] [否]");
}

TEST(MessageBoxTest, LayoutWordingStaysWithoutTextAndCaption) {
    testsupport::Headless();
    std::wstring shown;
    WhenTipOpens([&shown](CMessageBoxWnd& box) {
        shown = TipWording(box);
        box.Close(1);
    });
    EXPECT_EQ(ShowMessageBox(nullptr, MessageBox1Params(), nullptr, nullptr), 1);
    EXPECT_EQ(shown, L"CAPTION | TEXT");

    WhenTipOpens([&shown](CMessageBoxWnd& box) {
        shown = TipWording(box);
        box.Close(1);
    });
    ShowMessageBox(nullptr, MessageBox2Params(), L"无效路径", L"温馨提示");
    EXPECT_EQ(shown, L"温馨提示 | 无效路径");
}

class OwnerFrame : public uilib::CMarkupFrame {
public:
    OwnerFrame() : CMarkupFrame(uilib::FrameParams{4, 147, L"", L"MainWnd.xml", L"MainWnd"}) {}
};

TEST(MessageBoxTest, DestroyingTheOwnerEndsTheTipWithTheInitialAnswer) {
    testsupport::Headless();
    OwnerFrame owner;
    ASSERT_TRUE(owner.Create(nullptr, L"Velquin", 0, 0, uilib::kUseDefault, uilib::kUseDefault, uilib::kUseDefault,
                             uilib::kUseDefault));
    WhenTipOpens([&owner](CMessageBoxWnd& box) {
        EXPECT_FALSE(owner.GetNative()->IsEnabled());  // the owner takes no input meanwhile
        (void)box;
        owner.DestroyWindow();
    });
    EXPECT_EQ(ShowMessageBox(&owner, ExitTipParams(), nullptr, nullptr), 1);
    EXPECT_FALSE(owner.IsWindow());
}

TEST(MessageBoxTest, OwnerIsEnabledAgainAfterTheTip) {
    testsupport::Headless();
    OwnerFrame owner;
    ASSERT_TRUE(owner.Create(nullptr, L"Velquin", 0, 0, uilib::kUseDefault, uilib::kUseDefault, uilib::kUseDefault,
                             uilib::kUseDefault));
    WhenTipOpens([](CMessageBoxWnd& box) { uilib::ClickControl(box, L"okBtn"); });
    EXPECT_EQ(ShowMessageBox(&owner, ExitTipParams(), nullptr, nullptr), 0);
    EXPECT_TRUE(owner.GetNative()->IsEnabled());
    owner.DestroyWindow();
}

}  // namespace
