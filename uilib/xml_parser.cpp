// The layout XML reader: a recursive-descent parser over wide text.
#include "uilib/xml_parser.h"

#include <cwchar>
#include <cwctype>

namespace uilib {
namespace {

class Parser {
public:
    explicit Parser(const std::wstring& text) : text_(text) {}

    bool Document(XmlNode& root, std::wstring& error) {
        if (pos_ < text_.size() && text_[pos_] == 0xFEFF) ++pos_;
        bool haveRoot = false;
        for (;;) {
            SkipSpace();
            if (pos_ >= text_.size()) break;
            if (text_[pos_] != L'<') return Fail(error, L"text outside the root element");
            if (SkipMarkup(error)) continue;
            if (!error.empty()) return false;
            if (haveRoot) return Fail(error, L"more than one root element");
            if (!Element(root, 0, error)) return false;
            haveRoot = true;
        }
        if (!haveRoot) return Fail(error, L"no root element");
        return true;
    }

private:
    bool Fail(std::wstring& error, const wchar_t* what) {
        error = std::wstring(what) + L" at offset " + std::to_wstring(pos_);
        return false;
    }

    bool StartsAt(const wchar_t* token) const { return text_.compare(pos_, std::wcslen(token), token) == 0; }

    void SkipSpace() {
        while (pos_ < text_.size() && std::iswspace(static_cast<wint_t>(text_[pos_]))) ++pos_;
    }

    bool SkipPast(const wchar_t* terminator) {
        size_t end = text_.find(terminator, pos_);
        if (end == std::wstring::npos) return false;
        pos_ = end + std::wcslen(terminator);
        return true;
    }

    // Comments, processing instructions, CDATA and document types at pos_. True when
    // one was skipped; false with `error` set when it is unterminated; false with an
    // empty error when pos_ holds a tag.
    bool SkipMarkup(std::wstring& error) {
        struct Kind {
            const wchar_t* open;
            const wchar_t* close;
        };
        static const Kind kinds[] = {
            {L"<!--", L"-->"}, {L"<?", L"?>"}, {L"<![CDATA[", L"]]>"}, {L"<!", L">"}};
        for (const Kind& kind : kinds) {
            if (StartsAt(kind.open)) {
                pos_ += std::wcslen(kind.open);
                if (!SkipPast(kind.close)) {
                    Fail(error, L"unterminated markup");
                    return false;
                }
                return true;
            }
        }
        return false;
    }

    static bool IsNameChar(wchar_t c) {
        return std::iswalnum(static_cast<wint_t>(c)) || c == L'_' || c == L':' || c == L'-' || c == L'.' ||
               c > 0x7F;
    }

    bool Name(std::wstring& out) {
        size_t start = pos_;
        while (pos_ < text_.size() && IsNameChar(text_[pos_])) ++pos_;
        out.assign(text_, start, pos_ - start);
        return !out.empty();
    }

    bool Entity(std::wstring& out, std::wstring& error) {
        size_t end = text_.find(L';', pos_);
        if (end == std::wstring::npos || end - pos_ > 12) return Fail(error, L"bad entity");
        std::wstring name = text_.substr(pos_ + 1, end - pos_ - 1);
        pos_ = end + 1;
        if (name == L"lt") out += L'<';
        else if (name == L"gt") out += L'>';
        else if (name == L"amp") out += L'&';
        else if (name == L"quot") out += L'"';
        else if (name == L"apos") out += L'\'';
        else if (name.size() > 1 && name[0] == L'#') {
            bool hex = name[1] == L'x' || name[1] == L'X';
            std::wstring digits = name.substr(hex ? 2 : 1);
            if (digits.empty()) return Fail(error, L"bad character reference");
            unsigned long value = 0;
            for (wchar_t c : digits) {
                int d;
                if (c >= L'0' && c <= L'9') d = c - L'0';
                else if (hex && c >= L'a' && c <= L'f') d = c - L'a' + 10;
                else if (hex && c >= L'A' && c <= L'F') d = c - L'A' + 10;
                else return Fail(error, L"bad character reference");
                value = value * (hex ? 16 : 10) + static_cast<unsigned long>(d);
                if (value > 0x10FFFF) return Fail(error, L"bad character reference");
            }
            if (value == 0 || (value >= 0xD800 && value <= 0xDFFF)) return Fail(error, L"bad character reference");
            out += static_cast<wchar_t>(value);
        } else {
            return Fail(error, L"unknown entity");
        }
        return true;
    }

    bool AttributeValue(std::wstring& out, std::wstring& error) {
        if (pos_ >= text_.size() || (text_[pos_] != L'"' && text_[pos_] != L'\'')) {
            return Fail(error, L"attribute value not quoted");
        }
        wchar_t quote = text_[pos_++];
        while (pos_ < text_.size() && text_[pos_] != quote) {
            if (text_[pos_] == L'<') return Fail(error, L"'<' in attribute value");
            if (text_[pos_] == L'&') {
                if (!Entity(out, error)) return false;
                continue;
            }
            out += text_[pos_++];
        }
        if (pos_ >= text_.size()) return Fail(error, L"unterminated attribute value");
        ++pos_;
        return true;
    }

    bool Element(XmlNode& node, int depth, std::wstring& error) {
        if (depth >= kMaxXmlDepth) return Fail(error, L"nesting too deep");
        ++pos_;  // '<'
        if (!Name(node.name)) return Fail(error, L"element without a name");
        for (;;) {
            size_t before = pos_;
            SkipSpace();
            if (pos_ >= text_.size()) return Fail(error, L"unterminated tag");
            if (StartsAt(L"/>")) {
                pos_ += 2;
                return true;
            }
            if (text_[pos_] == L'>') {
                ++pos_;
                break;
            }
            if (before == pos_) return Fail(error, L"no blank before attribute");
            std::wstring name;
            if (!Name(name)) return Fail(error, L"bad attribute name");
            SkipSpace();
            if (pos_ >= text_.size() || text_[pos_] != L'=') return Fail(error, L"attribute without value");
            ++pos_;
            SkipSpace();
            std::wstring value;
            if (!AttributeValue(value, error)) return false;
            node.attributes.emplace_back(std::move(name), std::move(value));
        }
        // Content: child elements; text is skipped.
        for (;;) {
            size_t lt = text_.find(L'<', pos_);
            if (lt == std::wstring::npos) return Fail(error, L"unterminated element");
            pos_ = lt;
            if (StartsAt(L"</")) {
                pos_ += 2;
                std::wstring closing;
                if (!Name(closing) || closing != node.name) return Fail(error, L"mismatched closing tag");
                SkipSpace();
                if (pos_ >= text_.size() || text_[pos_] != L'>') return Fail(error, L"bad closing tag");
                ++pos_;
                return true;
            }
            if (SkipMarkup(error)) continue;
            if (!error.empty()) return false;
            node.children.emplace_back();
            if (!Element(node.children.back(), depth + 1, error)) return false;
        }
    }

    const std::wstring& text_;
    size_t pos_ = 0;
};

}  // namespace

bool ParseXml(const std::wstring& text, XmlNode& root, std::wstring& error) {
    root = XmlNode();
    error.clear();
    Parser parser(text);
    if (!parser.Document(root, error)) {
        root = XmlNode();
        return false;
    }
    return true;
}

}  // namespace uilib
