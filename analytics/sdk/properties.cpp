// Property values, property sets and their JSON.
#include "analytics/sdk/properties.h"

#include <cstdio>
#include <ctime>
#include <iostream>

namespace analytics_sdk {

bool IsValidUtf8(const std::string& bytes) {
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t n = bytes.size();
    size_t i = 0;
    auto cont = [&](size_t at, unsigned lo, unsigned hi) {
        return at < n && s[at] >= lo && s[at] <= hi;
    };
    while (i < n) {
        const unsigned c = s[i];
        if (c == 0x09 || c == 0x0A || c == 0x0D || (c >= 0x20 && c <= 0x7E)) {
            i += 1;
        } else if (c >= 0xC2 && c <= 0xDF && cont(i + 1, 0x80, 0xBF)) {
            i += 2;
        } else if (c == 0xE0 && cont(i + 1, 0xA0, 0xBF) && cont(i + 2, 0x80, 0xBF)) {
            i += 3;
        } else if (((c >= 0xE1 && c <= 0xEC) || c == 0xEE || c == 0xEF) &&
                   cont(i + 1, 0x80, 0xBF) && cont(i + 2, 0x80, 0xBF)) {
            i += 3;
        } else if (c == 0xED && cont(i + 1, 0x80, 0x9F) && cont(i + 2, 0x80, 0xBF)) {
            i += 3;
        } else if (c == 0xF0 && cont(i + 1, 0x90, 0xBF) && cont(i + 2, 0x80, 0xBF) &&
                   cont(i + 3, 0x80, 0xBF)) {
            i += 4;
        } else if (c >= 0xF1 && c <= 0xF3 && cont(i + 1, 0x80, 0xBF) && cont(i + 2, 0x80, 0xBF) &&
                   cont(i + 3, 0x80, 0xBF)) {
            i += 4;
        } else if (c == 0xF4 && cont(i + 1, 0x80, 0x8F) && cont(i + 2, 0x80, 0xBF) &&
                   cont(i + 3, 0x80, 0xBF)) {
            i += 4;
        } else {
            return false;
        }
    }
    return true;
}

void AppendEscaped(std::string& out, const std::string& bytes) {
    for (char c : bytes) {
        switch (c) {
            case '\b':
                out += "\\b";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\f':
                out += "\\f";
                break;
            case '\r':
                out += "\\r";
                break;
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    // Only list items and keys can still hold these (string values refuse
                    // them); raw, they would make the record unreadable JSON.
                    char buf[8];
                    snprintf(buf, sizeof buf, "\\u%04x",
                             static_cast<unsigned>(static_cast<unsigned char>(c)));
                    out += buf;
                } else {
                    out += c;
                }
                break;
        }
    }
}

void PropertyValue::AppendJson(std::string& out) const {
    switch (kind) {
        case ValueKind::Number: {
            char buf[64];
            snprintf(buf, sizeof buf, "%g", number);
            out += buf;
            break;
        }
        case ValueKind::Int:
            out += std::to_string(integer);
            break;
        case ValueKind::String:
            out += '"';
            AppendEscaped(out, text);
            out += '"';
            break;
        case ValueKind::List:
            out += '[';
            for (size_t i = 0; i < list.size(); ++i) {
                if (i > 0) {
                    out += ',';
                }
                out += '"';
                AppendEscaped(out, list[i]);
                out += '"';
            }
            out += ']';
            break;
        case ValueKind::DateTime: {
            const time_t t = static_cast<time_t>(seconds);
            tm parts{};
            localtime_r(&t, &parts);
            char buf[64];
            snprintf(buf, sizeof buf, "\"%04d-%02d-%02d %02d:%02d:%02d.%03d\"",
                     parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour,
                     parts.tm_min, parts.tm_sec, milliseconds);
            out += buf;
            break;
        }
        case ValueKind::Bool:
            out += boolean ? "true" : "false";
            break;
        case ValueKind::Object:
            if (object) {
                object->AppendJson(out);
            } else {
                out += "{}";
            }
            break;
    }
}

namespace utils {

void ObjectNode::PutNumber(const std::string& key, double value) {
    PropertyValue v;
    v.kind = ValueKind::Number;
    v.number = value;
    m_entries[key] = std::move(v);
}

void ObjectNode::PutInt(const std::string& key, int64_t value) {
    PropertyValue v;
    v.kind = ValueKind::Int;
    v.integer = value;
    m_entries[key] = std::move(v);
}

void ObjectNode::PutBool(const std::string& key, bool value) {
    PropertyValue v;
    v.kind = ValueKind::Bool;
    v.boolean = value;
    m_entries[key] = std::move(v);
}

void ObjectNode::PutList(const std::string& key, const std::vector<std::string>& value) {
    PropertyValue v;
    v.kind = ValueKind::List;
    v.list = value;
    m_entries[key] = std::move(v);
}

void ObjectNode::PutDateTime(const std::string& key, int64_t seconds, int milliseconds) {
    PropertyValue v;
    v.kind = ValueKind::DateTime;
    v.seconds = seconds;
    v.milliseconds = milliseconds;
    m_entries[key] = std::move(v);
}

void ObjectNode::PutObject(const std::string& key, const ObjectNode& value) {
    PropertyValue v;
    v.kind = ValueKind::Object;
    v.object = std::make_shared<const ObjectNode>(value);
    m_entries[key] = std::move(v);
}

void ObjectNode::PutString(const std::string& key, const std::string& value) {
    if (value.size() > 8192) {
        std::cerr << "String property '" << key << "' is too long, value: " << value << std::endl;
        return;
    }
    if (!IsValidUtf8(value)) {
        std::cerr << "String property '" << key << "' is not valid UTF-8 string, value: " << value
                  << std::endl;
        return;
    }
    PropertyValue v;
    v.kind = ValueKind::String;
    v.text = value;
    m_entries[key] = std::move(v);
}

void ObjectNode::PutString(const std::string& key, const char* value) {
    PutString(key, std::string(value != nullptr ? value : ""));
}

void ObjectNode::MergeFrom(const ObjectNode& other) {
    for (const auto& [key, value] : other.m_entries) {
        m_entries[key] = value;
    }
}

const PropertyValue* ObjectNode::Find(const std::string& key) const {
    auto it = m_entries.find(key);
    return it == m_entries.end() ? nullptr : &it->second;
}

std::string ObjectNode::ToJson() const {
    std::string out;
    AppendJson(out);
    return out;
}

void ObjectNode::AppendJson(std::string& out) const {
    out += '{';
    bool first = true;
    for (const auto& [key, value] : m_entries) {
        if (!first) {
            out += ',';
        }
        first = false;
        out += '"';
        AppendEscaped(out, key);  // identical to the raw key for every valid property name
        out += "\":";
        value.AppendJson(out);
    }
    out += '}';
}

}  // namespace utils
}  // namespace analytics_sdk
