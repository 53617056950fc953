// A small XML reader for layout files: elements and attributes only; text content,
// comments, processing instructions, CDATA and document types are skipped.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace uilib {

struct XmlNode {
    std::wstring name;
    std::vector<std::pair<std::wstring, std::wstring>> attributes;  // document order
    std::vector<XmlNode> children;
};

// Parses a whole document into its root element. False with a short reason in
// `error` for malformed input (unbalanced tags, bad quoting, unknown entity, no or
// several root elements, nesting deeper than kMaxXmlDepth); never throws on input.
bool ParseXml(const std::wstring& text, XmlNode& root, std::wstring& error);

constexpr int kMaxXmlDepth = 200;

}  // namespace uilib
