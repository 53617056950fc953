// Building control trees from layouts: window attributes, fonts, controls.
#include "uilib/markup_builder.h"

#include <memory>

#include "uilib/containers.h"
#include "uilib/controls.h"
#include "uilib/xml_parser.h"

namespace uilib {
namespace {

void ApplyWindowAttributes(const XmlNode& window, CUIManager& manager) {
    for (const auto& [name, value] : window.attributes) {
        int v[4];
        if (EqualsIgnoringCase(name, L"size")) {
            ParseIntList(value, v, 2);
            manager.SetInitSize(v[0], v[1]);
        } else if (EqualsIgnoringCase(name, L"caption")) {
            manager.SetCaptionRect(ParseRect(value));
        } else if (EqualsIgnoringCase(name, L"roundcorner")) {
            ParseIntList(value, v, 2);
            manager.SetRoundCorner(v[0], v[1]);
        } else {
            manager.AddWindowCustomAttribute(name, value);
        }
    }
}

void AddFont(const XmlNode& node, CUIManager& manager) {
    int id = -1;
    FontInfo font;
    bool isDefault = false;
    for (const auto& [name, value] : node.attributes) {
        if (EqualsIgnoringCase(name, L"id")) id = ParseInt(value);
        else if (EqualsIgnoringCase(name, L"name")) font.name = value;
        else if (EqualsIgnoringCase(name, L"size")) font.size = ParseInt(value);
        else if (EqualsIgnoringCase(name, L"bold")) font.bold = ParseBool(value);
        else if (EqualsIgnoringCase(name, L"underline")) font.underline = ParseBool(value);
        else if (EqualsIgnoringCase(name, L"italic")) font.italic = ParseBool(value);
        else if (EqualsIgnoringCase(name, L"default")) isDefault = ParseBool(value);
    }
    manager.AddFont(id, font, isDefault);
}

CControlUI* CreateControlFor(const XmlNode& node, IDialogBuilderCallback* callback) {
    CControlUI* control = CreateBuiltinControl(node.name);
    if (control == nullptr && callback != nullptr) control = callback->CreateControl(node.name);
    if (control == nullptr) return nullptr;
    for (const auto& [name, value] : node.attributes) control->SetAttribute(name, value);
    auto* container = static_cast<CContainerUI*>(control->GetInterface(L"Container"));
    if (container != nullptr) {
        for (const XmlNode& child : node.children) {
            if (CControlUI* item = CreateControlFor(child, callback)) container->Add(item);
        }
    }
    return control;
}

}  // namespace

CControlUI* CreateBuiltinControl(const std::wstring& tag) {
    if (EqualsIgnoringCase(tag, L"Control")) return new CControlUI();
    if (EqualsIgnoringCase(tag, L"VerticalLayout")) return new CVerticalLayoutUI();
    if (EqualsIgnoringCase(tag, L"HorizontalLayout")) return new CHorizontalLayoutUI();
    if (EqualsIgnoringCase(tag, L"TabLayout")) return new CTabLayoutUI();
    if (EqualsIgnoringCase(tag, L"Label")) return new CLabelUI();
    if (EqualsIgnoringCase(tag, L"Button")) return new CButtonUI();
    if (EqualsIgnoringCase(tag, L"Option")) return new COptionUI();
    if (EqualsIgnoringCase(tag, L"CheckBox")) return new CCheckBoxUI();
    if (EqualsIgnoringCase(tag, L"Edit")) return new CEditUI();
    if (EqualsIgnoringCase(tag, L"Progress")) return new CProgressUI();
    return nullptr;
}

CControlUI* CMarkupBuilder::Create(const std::wstring& text, CUIManager& manager, IDialogBuilderCallback* callback,
                                   std::wstring* error) {
    XmlNode document;
    std::wstring reason;
    if (!ParseXml(text, document, reason)) {
        if (error != nullptr) *error = reason;
        return nullptr;
    }
    if (!EqualsIgnoringCase(document.name, L"Window")) {
        if (error != nullptr) *error = L"the root element is not Window";
        return nullptr;
    }
    ApplyWindowAttributes(document, manager);
    CControlUI* root = nullptr;
    for (const XmlNode& child : document.children) {
        if (EqualsIgnoringCase(child.name, L"Font")) {
            AddFont(child, manager);
            continue;
        }
        if (root != nullptr) continue;  // one tree per window: later roots are ignored
        root = CreateControlFor(child, callback);
    }
    if (root == nullptr && error != nullptr) *error = L"the layout holds no control";
    return root;
}

}  // namespace uilib
