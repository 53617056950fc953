// Typed property values and the key-ordered property sets that analytics records are
// made of, with their compact JSON form.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace analytics_sdk {

// True when the bytes split completely into well-formed UTF-8 sequences (tab, line
// feed and carriage return are the only control bytes allowed).
bool IsValidUtf8(const std::string& bytes);

// The seven JSON escapes; other control bytes as \u00XX; every other byte as it is.
void AppendEscaped(std::string& out, const std::string& bytes);

namespace utils {
class ObjectNode;
}

enum class ValueKind { Number, Int, String, List, DateTime, Bool, Object };

class PropertyValue {
public:
    ValueKind kind = ValueKind::Int;
    double number = 0.0;
    int64_t integer = 0;
    std::string text;
    std::vector<std::string> list;
    int64_t seconds = 0;
    int milliseconds = 0;
    bool boolean = false;
    std::shared_ptr<const utils::ObjectNode> object;

    void AppendJson(std::string& out) const;
};

namespace utils {

class ObjectNode {
public:
    virtual ~ObjectNode() = default;

    void PutNumber(const std::string& key, double value);
    void PutInt(const std::string& key, int64_t value);
    void PutBool(const std::string& key, bool value);
    void PutList(const std::string& key, const std::vector<std::string>& value);
    void PutDateTime(const std::string& key, int64_t seconds, int milliseconds);
    void PutObject(const std::string& key, const ObjectNode& value);
    // Stores only a value of at most 8192 bytes that is valid UTF-8; otherwise writes
    // its message to standard error and leaves the set unchanged.
    void PutString(const std::string& key, const std::string& value);
    void PutString(const std::string& key, const char* value);
    void MergeFrom(const ObjectNode& other);

    bool Has(const std::string& key) const { return m_entries.count(key) != 0; }
    const PropertyValue* Find(const std::string& key) const;
    void Remove(const std::string& key) { m_entries.erase(key); }
    void Clear() { m_entries.clear(); }
    const std::map<std::string, PropertyValue>& Entries() const { return m_entries; }

    std::string ToJson() const;
    void AppendJson(std::string& out) const;

private:
    std::map<std::string, PropertyValue> m_entries;  // byte order
};

}  // namespace utils

class PropertiesNode : public utils::ObjectNode {};

}  // namespace analytics_sdk
