// Building control trees from layout text: tags, window and font attributes, control
// attributes, image descriptions, malformed input and the layout of the children.
#include <gtest/gtest.h>

#include <cwctype>
#include <memory>
#include <string>
#include <vector>

#include "uilib/containers.h"
#include "uilib/controls.h"
#include "uilib/image_description.h"
#include "uilib/markup_builder.h"
#include "uilib/ui_manager.h"
#include "uilib/xml_parser.h"

namespace {

using uilib::CControlUI;
using uilib::CMarkupBuilder;
using uilib::Rect;

// A manager and the tree built from one layout text, attached when it was built.
class Built {
public:
    explicit Built(const std::wstring& text, uilib::IDialogBuilderCallback* callback = nullptr) {
        root = CMarkupBuilder::Create(text, manager, callback, &error);
        if (root != nullptr) manager.AttachDialog(root);
    }
    CControlUI* Find(const std::wstring& name) const { return manager.FindControl(name); }
    // Lays the tree out in a client area of cx × cy.
    void Layout(int cx, int cy) {
        manager.SetClientSize(cx, cy);
        manager.UpdateLayout();
    }

    uilib::CUIManager manager;
    CControlUI* root = nullptr;
    std::wstring error;
};

std::wstring InWindow(const std::wstring& controls) {
    return L"<Window size=\"200,100\">" + controls + L"</Window>";
}

// ---- tags -----------------------------------------------------------------------

struct TagCase {
    const wchar_t* tag;
    const wchar_t* cls;
};

class TagTest : public ::testing::TestWithParam<TagCase> {};

TEST_P(TagTest, CreatesItsClassWhateverTheLetterCase) {
    std::wstring upper = GetParam().tag;
    for (wchar_t& c : upper) c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
    for (const std::wstring& tag : {std::wstring(GetParam().tag), upper}) {
        Built built(InWindow(L"<" + tag + L" name=\"it\" />"));
        ASSERT_NE(built.root, nullptr) << testing::PrintToString(tag) << ": " << testing::PrintToString(built.error);
        EXPECT_EQ(built.root->GetClass(), GetParam().cls);
        EXPECT_NE(built.root->GetInterface(GetParam().cls), nullptr);
        EXPECT_EQ(built.Find(L"it"), built.root);
    }
}

INSTANTIATE_TEST_SUITE_P(Tags, TagTest,
                         ::testing::Values(TagCase{L"Control", L"Control"},
                                           TagCase{L"VerticalLayout", L"VerticalLayout"},
                                           TagCase{L"HorizontalLayout", L"HorizontalLayout"},
                                           TagCase{L"TabLayout", L"TabLayout"}, TagCase{L"Label", L"Label"},
                                           TagCase{L"Button", L"Button"}, TagCase{L"Option", L"Option"},
                                           TagCase{L"CheckBox", L"CheckBox"}, TagCase{L"Edit", L"Edit"},
                                           TagCase{L"Progress", L"Progress"}));

TEST(BuilderTest, ClassFamilyMatchesTheFramework) {
    Built built(InWindow(L"<VerticalLayout><Button name=\"b\"/><CheckBox name=\"c\"/><Progress name=\"p\"/>"
                         L"<TabLayout name=\"t\"/></VerticalLayout>"));
    ASSERT_NE(built.root, nullptr);
    EXPECT_NE(built.Find(L"b")->GetInterface(L"Label"), nullptr);
    EXPECT_NE(built.Find(L"c")->GetInterface(L"Option"), nullptr);
    EXPECT_NE(built.Find(L"c")->GetInterface(L"Button"), nullptr);
    EXPECT_NE(built.Find(L"p")->GetInterface(L"Label"), nullptr);
    EXPECT_NE(built.Find(L"t")->GetInterface(L"Container"), nullptr);
    EXPECT_EQ(built.Find(L"b")->GetInterface(L"Container"), nullptr);
}

TEST(BuilderTest, ChildrenAreAddedInDocumentOrder) {
    Built built(InWindow(L"<HorizontalLayout><Label name=\"a\"/><VerticalLayout name=\"v\"><Button name=\"b\"/>"
                         L"</VerticalLayout><Control name=\"c\"/></HorizontalLayout>"));
    ASSERT_NE(built.root, nullptr);
    auto* row = static_cast<uilib::CContainerUI*>(built.root->GetInterface(L"Container"));
    ASSERT_EQ(row->GetCount(), 3);
    EXPECT_EQ(row->GetItemAt(0)->GetName(), L"a");
    EXPECT_EQ(row->GetItemAt(1)->GetName(), L"v");
    EXPECT_EQ(row->GetItemAt(2)->GetName(), L"c");
    EXPECT_EQ(built.Find(L"b")->GetParent(), built.Find(L"v"));
    EXPECT_EQ(built.Find(L"b")->GetManager(), &built.manager);
}

TEST(BuilderTest, FirstControlOfANameIsFound) {
    Built built(InWindow(L"<VerticalLayout><Label name=\"twin\" text=\"1\"/><Label name=\"twin\" text=\"2\"/>"
                         L"</VerticalLayout>"));
    ASSERT_NE(built.Find(L"twin"), nullptr);
    EXPECT_EQ(built.Find(L"twin")->GetText(), L"1");
    EXPECT_EQ(built.Find(L"Twin"), nullptr);
    EXPECT_EQ(built.Find(L""), nullptr);
}

// The custom-control hook: records what it is offered and answers with a label for
// the tags it knows.
class Hook : public uilib::IDialogBuilderCallback {
public:
    CControlUI* CreateControl(const std::wstring& tag) override {
        offered.push_back(tag);
        return tag == L"SequenceLabel" ? new uilib::CLabelUI() : nullptr;
    }
    std::vector<std::wstring> offered;
};

TEST(BuilderTest, UnknownTagsGoToTheHook) {
    Hook hook;
    Built built(InWindow(L"<VerticalLayout><Mystery name=\"m\"><Label name=\"inside\"/></Mystery>"
                         L"<SequenceLabel name=\"seq\" text=\"s\"/><Label name=\"after\"/></VerticalLayout>"),
                &hook);
    ASSERT_NE(built.root, nullptr);
    EXPECT_EQ(hook.offered, (std::vector<std::wstring>{L"Mystery", L"SequenceLabel"}));
    // The refused tag is skipped with everything inside it.
    EXPECT_EQ(built.Find(L"m"), nullptr);
    EXPECT_EQ(built.Find(L"inside"), nullptr);
    ASSERT_NE(built.Find(L"seq"), nullptr);
    EXPECT_EQ(built.Find(L"seq")->GetText(), L"s");
    EXPECT_EQ(built.Find(L"seq")->GetParent(), built.root);
    auto* column = static_cast<uilib::CContainerUI*>(built.root->GetInterface(L"Container"));
    EXPECT_EQ(column->GetCount(), 2);
}

TEST(BuilderTest, UnknownTagWithoutHookIsSkipped) {
    Built built(InWindow(L"<VerticalLayout><SequenceLabel name=\"seq\"/><Label name=\"l\"/></VerticalLayout>"));
    ASSERT_NE(built.root, nullptr);
    EXPECT_EQ(built.Find(L"seq"), nullptr);
    EXPECT_NE(built.Find(L"l"), nullptr);
}

TEST(BuilderTest, FontsBeforeAndAfterTheTreeAreRegistered) {
    Built built(L"<Window><Font id=\"1\" size=\"18\"/><VerticalLayout/><Font id=\"2\" size=\"30\"/></Window>");
    ASSERT_NE(built.root, nullptr);
    EXPECT_EQ(built.manager.GetFont(1).size, 18);
    EXPECT_EQ(built.manager.GetFont(2).size, 30);
}

// ---- window and font attributes -------------------------------------------------------

TEST(BuilderTest, WindowAttributesIgnoreLetterCase) {
    Built built(L"<window SIZE=\"600,400\" Caption=\"1,2,3,35\" roundCorner=\"4,5\" ShowShadow=\"true\" "
                L"shadowcolor=\"#26003B76\"><control/></window>");
    ASSERT_NE(built.root, nullptr) << testing::PrintToString(built.error);
    EXPECT_EQ(built.manager.GetInitSize().x, 600);
    EXPECT_EQ(built.manager.GetInitSize().y, 400);
    EXPECT_EQ(built.manager.GetCaptionRect(), (Rect{1, 2, 3, 35}));
    EXPECT_EQ(built.manager.GetRoundCorner().x, 4);
    EXPECT_EQ(built.manager.GetRoundCorner().y, 5);
    // The framework's own attributes are not custom ones.
    EXPECT_EQ(built.manager.GetWindowCustomAttribute(L"size"), nullptr);
    ASSERT_NE(built.manager.GetWindowCustomAttribute(L"showshadow"), nullptr);
    EXPECT_EQ(*built.manager.GetWindowCustomAttribute(L"showshadow"), L"true");
    ASSERT_NE(built.manager.GetWindowCustomAttribute(L"SHADOWCOLOR"), nullptr);
    EXPECT_EQ(*built.manager.GetWindowCustomAttribute(L"SHADOWCOLOR"), L"#26003B76");
    EXPECT_EQ(built.manager.GetWindowCustomAttribute(L"shadowsize"), nullptr);
}

TEST(BuilderTest, LaterCustomWindowAttributeWins) {
    Built built(L"<Window shadowsize=\"4\" ShadowSize=\"6\"><Control/></Window>");
    ASSERT_NE(built.manager.GetWindowCustomAttribute(L"shadowsize"), nullptr);
    EXPECT_EQ(*built.manager.GetWindowCustomAttribute(L"shadowsize"), L"6");
}

TEST(BuilderTest, FontsAreReadIgnoringCaseAndTheDefaultIsMarked) {
    Built built(L"<Window><FONT ID=\"0\" Name=\"微软雅黑\" SIZE=\"14\"/>"
                L"<font id=\"3\" name=\"Sans\" size=\"20\" Bold=\"true\" UNDERLINE=\"true\" italic=\"true\" "
                L"default=\"true\"/><Font id=\"4\" name=\"Serif\" bold=\"yes\"/><Label/></Window>");
    ASSERT_NE(built.root, nullptr);
    const uilib::FontInfo& zero = built.manager.GetFont(0);
    EXPECT_EQ(zero.name, L"微软雅黑");
    EXPECT_EQ(zero.size, 14);
    EXPECT_FALSE(zero.bold);
    const uilib::FontInfo& three = built.manager.GetFont(3);
    EXPECT_EQ(three.size, 20);
    EXPECT_TRUE(three.bold);
    EXPECT_TRUE(three.underline);
    EXPECT_TRUE(three.italic);
    const uilib::FontInfo& four = built.manager.GetFont(4);
    EXPECT_EQ(four.size, 12) << "size defaults to 12";
    EXPECT_FALSE(four.bold) << "only \"true\" switches a style on";
    EXPECT_EQ(built.manager.GetDefaultFont().name, L"Sans");
    // An unknown id and the "no font" index fall back to the default font.
    EXPECT_EQ(built.manager.GetFont(9).name, L"Sans");
    EXPECT_EQ(built.manager.GetFont(-1).name, L"Sans");
}

// ---- control attributes -----------------------------------------------------------

TEST(BuilderTest, ControlAttributeNamesAreExact) {
    Built built(InWindow(L"<Label name=\"l\" Width=\"50\" TEXT=\"upper\" text=\"lower\" Visible=\"false\"/>"));
    ASSERT_NE(built.root, nullptr);
    EXPECT_EQ(built.root->GetFixedWidth(), 0);
    EXPECT_EQ(built.root->GetText(), L"lower");
    EXPECT_TRUE(built.root->IsOwnVisible());
}

TEST(BuilderTest, LaterAttributeWins) {
    Built built(InWindow(L"<Button width=\"10\" text=\"a\" width=\"20\" text=\"b\" pos=\"0,0,30,40\" "
                         L"height=\"5\"/>"));
    ASSERT_NE(built.root, nullptr);
    EXPECT_EQ(built.root->GetFixedWidth(), 30);
    EXPECT_EQ(built.root->GetFixedHeight(), 5);
    EXPECT_EQ(built.root->GetText(), L"b");
}

TEST(BuilderTest, UnknownAttributesAreIgnored) {
    Built built(InWindow(L"<Button font=\"2\" hotfont=\"5\" pushedfont=\"6\" hotborercolor=\"#FF000000\" "
                         L"isstretchfore=\"false\" textcolor=\"#FF010203\"/>"));
    ASSERT_NE(built.root, nullptr);
    auto* button = static_cast<uilib::CButtonUI*>(built.root->GetInterface(L"Button"));
    EXPECT_EQ(button->GetFont(), 2);
    EXPECT_EQ(button->GetTextColor(), 0xFF010203u);
    EXPECT_EQ(button->GetHotTextColor(), 0u);
    EXPECT_EQ(button->GetBorderSize(), 0);
}

TEST(BuilderTest, LabelAttributesOnlyApplyToLabels) {
    Built built(InWindow(L"<VerticalLayout><Control name=\"c\" font=\"3\" text=\"t\"/>"
                         L"<Label name=\"l\" font=\"3\" align=\"right\" textpadding=\"1,2,3,4\" multiline=\"true\"/>"
                         L"</VerticalLayout>"));
    ASSERT_NE(built.root, nullptr);
    EXPECT_EQ(built.Find(L"c")->GetText(), L"t");
    auto* label = static_cast<uilib::CLabelUI*>(built.Find(L"l")->GetInterface(L"Label"));
    EXPECT_EQ(label->GetFont(), 3);
    EXPECT_EQ(label->GetTextStyle() & (uilib::kAlignCenter | uilib::kAlignRight), uilib::kAlignRight);
    EXPECT_EQ(label->GetTextPadding(), (Rect{1, 2, 3, 4}));
    EXPECT_TRUE(label->IsMultiLine());
}

struct ColorCase {
    const wchar_t* text;
    uint32_t argb;
};

class ColorTest : public ::testing::TestWithParam<ColorCase> {};

TEST_P(ColorTest, BkcolorReadsHexadecimalArgb) {
    Built built(InWindow(std::wstring(L"<Control bkcolor=\"") + GetParam().text + L"\"/>"));
    ASSERT_NE(built.root, nullptr);
    EXPECT_EQ(built.root->GetBkColor(), GetParam().argb);
    EXPECT_EQ(uilib::ParseColor(GetParam().text), GetParam().argb);
}

INSTANTIATE_TEST_SUITE_P(Colors, ColorTest,
                         ::testing::Values(ColorCase{L"#FF1A1A1A", 0xFF1A1A1A}, ColorCase{L"0xFF1A1A1A", 0xFF1A1A1A},
                                           ColorCase{L"#0xFF1A1A1A", 0xFF1A1A1A}, ColorCase{L"#ff1a1a1a", 0xFF1A1A1A},
                                           ColorCase{L"#26003B76", 0x26003B76}, ColorCase{L"FFFFFFFF", 0xFFFFFFFF},
                                           ColorCase{L"#1A", 0x1A}, ColorCase{L"", 0}));

struct SizeCase {
    const wchar_t* attributes;
    int width;
    int height;
};

class FixedSizeTest : public ::testing::TestWithParam<SizeCase> {};

TEST_P(FixedSizeTest, SetsTheFixedSize) {
    Built built(InWindow(std::wstring(L"<Control ") + GetParam().attributes + L"/>"));
    ASSERT_NE(built.root, nullptr);
    EXPECT_EQ(built.root->GetFixedWidth(), GetParam().width);
    EXPECT_EQ(built.root->GetFixedHeight(), GetParam().height);
}

INSTANTIATE_TEST_SUITE_P(Sizes, FixedSizeTest,
                         ::testing::Values(SizeCase{L"pos=\"10,20,110,70\"", 100, 50},
                                           SizeCase{L"pos=\"0,0,0,40\"", 0, 40},
                                           SizeCase{L"pos=\"5,5,5,5\"", 0, 0},
                                           SizeCase{L"width=\"64\" height=\"30\"", 64, 30},
                                           SizeCase{L"width=\"-4\"", 0, 0},
                                           SizeCase{L"width=\"+12\"", 12, 0},
                                           SizeCase{L"width=\"\"", 0, 0}));

TEST(BuilderTest, PaddingVisibleAndUserData) {
    Built built(InWindow(L"<VerticalLayout><Control name=\"p\" padding=\"1,-2,3,4\" userdata=\"u\"/>"
                         L"<Control name=\"hidden\" visible=\"false\"/><Control name=\"shown\" visible=\"True\"/>"
                         L"</VerticalLayout>"));
    ASSERT_NE(built.root, nullptr);
    EXPECT_EQ(built.Find(L"p")->GetPadding(), (Rect{1, -2, 3, 4}));
    EXPECT_EQ(built.Find(L"p")->GetUserData(), L"u");
    EXPECT_FALSE(built.Find(L"hidden")->IsOwnVisible());
    EXPECT_FALSE(built.Find(L"hidden")->IsVisible());
    // Only "true" is true: any other value hides.
    EXPECT_FALSE(built.Find(L"shown")->IsOwnVisible());
}

TEST(BuilderTest, ProgressAttributes) {
    Built built(InWindow(L"<Progress min=\"10\" max=\"20\" value=\"25\" foreimage=\"res\\a.png\"/>"));
    ASSERT_NE(built.root, nullptr);
    auto* progress = static_cast<uilib::CProgressUI*>(built.root->GetInterface(L"Progress"));
    EXPECT_EQ(progress->GetMinValue(), 10);
    EXPECT_EQ(progress->GetMaxValue(), 20);
    EXPECT_EQ(progress->GetValue(), 20);
    EXPECT_EQ(progress->GetForeImage(), L"res\\a.png");
}

TEST(BuilderTest, EntitiesInValuesAreDecoded) {
    Built built(InWindow(L"<Label text=\"a&amp;b &lt;&gt; &quot;&apos; &#x4E2D;&#25991;\"/>"));
    ASSERT_NE(built.root, nullptr) << testing::PrintToString(built.error);
    EXPECT_EQ(built.root->GetText(), L"a&b <> \"' 中文");
}

// ---- image descriptions ------------------------------------------------------------

TEST(ImageDescriptionTest, PlainNameIsTheFile) {
    for (const wchar_t* text : {L"res\\mainWnd\\bg1.png", L"res/a=b.png", L"it's.png", L""}) {
        uilib::ImageSpec image = uilib::ParseImageSpec(text);
        EXPECT_EQ(image.file, text);
        EXPECT_FALSE(image.hasDest);
        EXPECT_EQ(image.fade, 255);
    }
}

TEST(ImageDescriptionTest, EveryKeyIsRead) {
    uilib::ImageSpec image = uilib::ParseImageSpec(
        L"file='res\\mainWnd\\Cb1.png' dest='0,1,16,17' corner='2,3,4,5' fade='128' mask='#FFFF00FF' hole='true' "
        L"xtiled='true' ytiled='true' source='1,2,30,40'");
    EXPECT_EQ(image.file, L"res\\mainWnd\\Cb1.png");
    EXPECT_TRUE(image.hasDest);
    EXPECT_EQ(image.dest, (Rect{0, 1, 16, 17}));
    EXPECT_EQ(image.corner, (Rect{2, 3, 4, 5}));
    EXPECT_EQ(image.fade, 128);
    EXPECT_TRUE(image.hasMask);
    EXPECT_EQ(image.mask, 0x00FF00FFu);
    EXPECT_TRUE(image.hole);
    EXPECT_TRUE(image.xtiled);
    EXPECT_TRUE(image.ytiled);
    EXPECT_TRUE(image.hasSource);
    EXPECT_EQ(image.source, (Rect{1, 2, 30, 40}));
}

struct DescriptionCase {
    const wchar_t* text;
    const wchar_t* file;
    int fade;
    bool hasDest;
    bool hole;
};

class ImageDescriptionCaseTest : public ::testing::TestWithParam<DescriptionCase> {};

TEST_P(ImageDescriptionCaseTest, Reads) {
    uilib::ImageSpec image = uilib::ParseImageSpec(GetParam().text);
    EXPECT_EQ(image.file, GetParam().file);
    EXPECT_EQ(image.fade, GetParam().fade);
    EXPECT_EQ(image.hasDest, GetParam().hasDest);
    EXPECT_EQ(image.hole, GetParam().hole);
}

INSTANTIATE_TEST_SUITE_P(
    Descriptions, ImageDescriptionCaseTest,
    ::testing::Values(DescriptionCase{L"file='a.png' fade='255'", L"a.png", 255, false, false},
                      DescriptionCase{L"fade='300' file='b.png'", L"b.png", 255, false, false},
                      DescriptionCase{L"file='c.png' fade='-3'", L"c.png", 0, false, false},
                      // keys are exact
                      DescriptionCase{L"FILE='d.png' Hole='true' file='e.png'", L"e.png", 255, false, false},
                      DescriptionCase{L"file = 'f.png'  dest = '1,1,2,2'", L"f.png", 255, true, false},
                      DescriptionCase{L"file='g.png' unknown='x' hole='true'", L"g.png", 255, false, true},
                      DescriptionCase{L"file='h.png' hole='yes'", L"h.png", 255, false, false},
                      // a value without its closing quote ends the list
                      DescriptionCase{L"file='i.png' dest='1,2", L"i.png", 255, false, false},
                      DescriptionCase{L"file='j.png", L"", 255, false, false}));

// ---- malformed layouts --------------------------------------------------------------

class MalformedTest : public ::testing::TestWithParam<std::wstring> {};

TEST_P(MalformedTest, GivesNullWithAReason) {
    uilib::CUIManager manager;
    std::wstring error;
    CControlUI* root = CMarkupBuilder::Create(GetParam(), manager, nullptr, &error);
    EXPECT_EQ(root, nullptr);
    delete root;
    EXPECT_FALSE(error.empty());
    // No error slot: still null, still no crash.
    EXPECT_EQ(CMarkupBuilder::Create(GetParam(), manager, nullptr), nullptr);
}

std::wstring Nested(int depth) {
    std::wstring text = L"<Window>";
    for (int i = 0; i < depth; ++i) text += L"<VerticalLayout>";
    for (int i = 0; i < depth; ++i) text += L"</VerticalLayout>";
    return text + L"</Window>";
}

INSTANTIATE_TEST_SUITE_P(
    Texts, MalformedTest,
    ::testing::Values(L"", L"   ", L"<", L"<Window", L"<Window size=\"1,1\"", L"<Window><Control/>",
                      L"<Window><Control></Window>", L"<Window></window>", L"<Window size=1/>",
                      L"<Window size=\"1/>", L"<Window size=\"<\"/>", L"<Window a=\"&bogus;\"/>",
                      L"<Window a=\"&#xD800;\"/>", L"<Window a=\"&#;\"/>", L"<Window a=\"&#x110000;\"/>",
                      L"<Window a=\"&amp\"/>", L"<Window a/>", L"<Window a=\"1\"b=\"2\"/>",
                      L"<Window/><Window/>", L"text<Window/>", L"<Window/>trailing", L"<!-- open <Window/>",
                      L"<Window><!-- open </Window>", L"<Window><![CDATA[ </Window>", L"<?xml version=\"1.0\"",
                      L"</Window>", L"<Window><Control/></Window></Window>", L"<>", L"< Window/>",
                      L"<Root><Control/></Root>", L"<Window/>", L"<Window><Font id=\"1\"/></Window>",
                      L"<Window><Unknown/></Window>", Nested(uilib::kMaxXmlDepth + 5)));

TEST(BuilderTest, DeepButAllowedNestingBuilds) {
    Built built(Nested(uilib::kMaxXmlDepth - 2));
    ASSERT_NE(built.root, nullptr) << testing::PrintToString(built.error);
}

TEST(BuilderTest, CommentsDeclarationsAndTextAreSkipped) {
    Built built(L"\uFEFF<?xml version=\"1.0\"?>\n<!DOCTYPE w>\n<!-- a -->\n<Window>text<!-- <Control name=\"no\"/> -->"
                L"<![CDATA[<Control name=\"cdata\"/>]]><Label name=\"yes\"/>more</Window>\n<!-- end -->\n");
    ASSERT_NE(built.root, nullptr) << testing::PrintToString(built.error);
    EXPECT_EQ(built.root->GetName(), L"yes");
    EXPECT_EQ(built.Find(L"no"), nullptr);
    EXPECT_EQ(built.Find(L"cdata"), nullptr);
}

TEST(BuilderTest, OnlyTheFirstControlOfTheWindowIsTheTree) {
    Built built(InWindow(L"<Label name=\"first\"/><Label name=\"second\"/>"));
    ASSERT_NE(built.root, nullptr);
    EXPECT_EQ(built.root->GetName(), L"first");
    EXPECT_EQ(built.Find(L"second"), nullptr);
}

// ---- layout of children ---------------------------------------------------------------

struct LayoutCase {
    const char* label;
    std::wstring layout;  // children of the root container, each named c0, c1, …
    int cx, cy;
    std::vector<Rect> expected;
};

void PrintTo(const LayoutCase& c, std::ostream* os) { *os << c.label; }

class LayoutTest : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(LayoutTest, PlacesChildren) {
    Built built(InWindow(GetParam().layout));
    ASSERT_NE(built.root, nullptr) << testing::PrintToString(built.error);
    built.Layout(GetParam().cx, GetParam().cy);
    EXPECT_EQ(built.root->GetPos(), (Rect{0, 0, GetParam().cx, GetParam().cy}));
    for (size_t i = 0; i < GetParam().expected.size(); ++i) {
        const std::wstring name = L"c" + std::to_wstring(i);
        CControlUI* child = built.Find(name);
        ASSERT_NE(child, nullptr) << testing::PrintToString(name);
        const Rect& got = child->GetPos();
        const Rect& want = GetParam().expected[i];
        EXPECT_EQ(got, want) << testing::PrintToString(name) << " at {" << got.left << "," << got.top << ","
                             << got.right << "," << got.bottom << "}, want {" << want.left << "," << want.top
                             << "," << want.right << "," << want.bottom << "}";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, LayoutTest,
    ::testing::Values(
        LayoutCase{"VerticalFixedAndFlexible",
                   L"<VerticalLayout><Control name=\"c0\" height=\"50\"/><Control name=\"c1\"/>"
                   L"<Control name=\"c2\" height=\"30\" padding=\"5,10,5,0\"/><Control name=\"c3\"/></VerticalLayout>",
                   300, 200,
                   {Rect{0, 0, 300, 50}, Rect{0, 50, 300, 105}, Rect{5, 115, 295, 145}, Rect{0, 145, 300, 200}}},
        LayoutCase{"VerticalFixedWidthKeepsLeft",
                   L"<VerticalLayout><Control name=\"c0\" width=\"40\" height=\"20\" padding=\"7,3,0,2\"/>"
                   L"<Control name=\"c1\" width=\"400\"/></VerticalLayout>",
                   100, 100, {Rect{7, 3, 47, 23}, Rect{0, 25, 400, 100}}},
        LayoutCase{"VerticalRemainderToTheLastFlexible",
                   L"<VerticalLayout><Control name=\"c0\"/><Control name=\"c1\"/><Control name=\"c2\"/>"
                   L"</VerticalLayout>",
                   10, 100, {Rect{0, 0, 10, 33}, Rect{0, 33, 10, 66}, Rect{0, 66, 10, 100}}},
        LayoutCase{"VerticalHiddenTakesNoSpace",
                   L"<VerticalLayout><Control name=\"c0\"/><Control name=\"hidden\" height=\"40\" "
                   L"visible=\"false\"/><Control name=\"c1\"/></VerticalLayout>",
                   10, 100, {Rect{0, 0, 10, 50}, Rect{0, 50, 10, 100}}},
        LayoutCase{"VerticalOverfullGivesFlexibleNothing",
                   L"<VerticalLayout><Control name=\"c0\" height=\"80\"/><Control name=\"c1\"/>"
                   L"<Control name=\"c2\" height=\"40\"/></VerticalLayout>",
                   10, 100, {Rect{0, 0, 10, 80}, Rect{0, 80, 10, 80}, Rect{0, 80, 10, 120}}},
        LayoutCase{"HorizontalFixedAndFlexible",
                   L"<HorizontalLayout><Control name=\"c0\" width=\"10\"/><Control name=\"c1\"/>"
                   L"<Control name=\"c2\" width=\"66\" height=\"24\" padding=\"0,10,0,0\"/>"
                   L"<Control name=\"c3\" width=\"12\"/></HorizontalLayout>",
                   600, 45,
                   {Rect{0, 0, 10, 45}, Rect{10, 0, 522, 45}, Rect{522, 10, 588, 34}, Rect{588, 0, 600, 45}}},
        LayoutCase{"HorizontalPaddingOnBothSides",
                   L"<HorizontalLayout><Control name=\"c0\" padding=\"10,0,0,0\"/>"
                   L"<Control name=\"c1\" width=\"24\" height=\"24\" padding=\"0,3,3,0\"/></HorizontalLayout>",
                   360, 30, {Rect{10, 0, 333, 30}, Rect{333, 3, 357, 27}}},
        LayoutCase{"NestedRowsAndColumns",
                   L"<VerticalLayout><HorizontalLayout name=\"c0\" height=\"40\"><Control width=\"20\"/>"
                   L"<Control name=\"c1\"/></HorizontalLayout><Control name=\"c2\"/></VerticalLayout>",
                   100, 100, {Rect{0, 0, 100, 40}, Rect{20, 0, 100, 40}, Rect{0, 40, 100, 100}}},
        LayoutCase{"TabPagesFillTheLayout",
                   L"<TabLayout><Control name=\"c0\" width=\"10\" padding=\"1,2,3,4\"/><Control name=\"c1\"/>"
                   L"</TabLayout>",
                   100, 50, {Rect{1, 2, 97, 46}, Rect{}}}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(LayoutTest, ShowingAControlLaysOutAgain) {
    Built built(InWindow(L"<VerticalLayout><Control name=\"a\"/><Control name=\"b\" height=\"40\" "
                         L"visible=\"false\"/></VerticalLayout>"));
    ASSERT_NE(built.root, nullptr);
    built.Layout(10, 100);
    EXPECT_EQ(built.Find(L"a")->GetPos(), (Rect{0, 0, 10, 100}));
    built.Find(L"b")->SetVisible(true);
    built.manager.UpdateLayout();
    EXPECT_EQ(built.Find(L"a")->GetPos(), (Rect{0, 0, 10, 60}));
    EXPECT_EQ(built.Find(L"b")->GetPos(), (Rect{0, 60, 10, 100}));
    built.Find(L"a")->SetFixedHeight(30);
    built.manager.UpdateLayout();
    EXPECT_EQ(built.Find(L"b")->GetPos(), (Rect{0, 30, 10, 70}));
}

}  // namespace
