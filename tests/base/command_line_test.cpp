// Splitting command lines by the Windows rules.
#include "utils/command_line.h"

#include <gtest/gtest.h>

#include "utils/text.h"

#include <vector>

namespace {

struct SplitCase {
    const wchar_t* commandLine;
    std::vector<std::wstring> args;
};

void PrintTo(const SplitCase& c, std::ostream* os) {
    *os << Utils::ToNarrow(c.commandLine, Utils::kCodePageUtf8);
}

class SplitCommandLineTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitCommandLineTest, SplitsAsWindowsDoes) {
    EXPECT_EQ(Utils::SplitCommandLine(GetParam().commandLine), GetParam().args);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitCommandLineTest,
    ::testing::Values(
        SplitCase{L"", {}}, SplitCase{L"prog", {L"prog"}}, SplitCase{L"prog   ", {L"prog"}},
        SplitCase{L"prog \"\"", {L"prog", L""}},
        SplitCase{L"prog a\tb  c", {L"prog", L"a", L"b", L"c"}},
        // The program: quotes group, backslashes are plain, a quote inside ends it.
        SplitCase{L"\"/opt/my dir/x\" /S", {L"/opt/my dir/x", L"/S"}},
        SplitCase{L"C:\\a\\\"b c", {L"C:\\a\\\"b", L"c"}},
        SplitCase{L"\"unterminated prog", {L"unterminated prog"}},
        // Backslashes and quotes in the other arguments.
        SplitCase{L"p \"a b c\" d e", {L"p", L"a b c", L"d", L"e"}},
        SplitCase{L"p \"ab\\\"c\" \"\\\\\" d", {L"p", L"ab\"c", L"\\", L"d"}},
        SplitCase{L"p a\\\\\\b d\"e f\"g h", {L"p", L"a\\\\\\b", L"de fg", L"h"}},
        SplitCase{L"p a\\\\\\\"b c d", {L"p", L"a\\\"b", L"c", L"d"}},
        SplitCase{L"p a\\\\\\\\\"b c\" d e", {L"p", L"a\\\\b c", L"d", L"e"}},
        // Runs of quotes: every third inside quotes is literal.
        SplitCase{L"p \"a\"\"\"b\"", {L"p", L"a\"b"}},
        SplitCase{L"p a\"b\"\" c d", {L"p", L"ab\"", L"c", L"d"}},
        // Unbalanced quote: the rest of the line is one argument.
        SplitCase{L"p \"a b", {L"p", L"a b"}},
        // An uninstaller line: the unquoted "_?=" argument keeps its blanks-free path.
        SplitCase{L"\"/tmp/x y/un.exe\" /S _?=/opt/Velquin",
                  {L"/tmp/x y/un.exe", L"/S", L"_?=/opt/Velquin"}},
        SplitCase{L"p trailing\\", {L"p", L"trailing\\"}}));

}  // namespace
