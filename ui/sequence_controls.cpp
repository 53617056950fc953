// The frame stepping of the image-sequence controls.
#include "ui/sequence_controls.h"

#include <cwchar>


bool FormatFrameName(const std::wstring& pattern, int frame, std::wstring& out) {
    size_t conversionStart = std::wstring::npos;
    size_t conversionEnd = 0;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != L'%') continue;
        if (i + 1 < pattern.size() && pattern[i + 1] == L'%') {
            ++i;
            continue;
        }
        if (conversionStart != std::wstring::npos) return false;  // a second conversion
        size_t j = i + 1;
        while (j < pattern.size() && std::wcschr(L"-+ #0", pattern[j]) != nullptr) ++j;
        while (j < pattern.size() && pattern[j] >= L'0' && pattern[j] <= L'9') ++j;
        if (j < pattern.size() && pattern[j] == L'.') {
            ++j;
            while (j < pattern.size() && pattern[j] >= L'0' && pattern[j] <= L'9') ++j;
        }
        if (j >= pattern.size() || std::wcschr(L"diuxXo", pattern[j]) == nullptr) return false;
        if (j - i > 8) return false;  // width or precision too long to be a frame number
        conversionStart = i;
        conversionEnd = j + 1;
        i = j;
    }
    if (conversionStart == std::wstring::npos) return false;
    wchar_t buffer[260];
    int n = std::swprintf(buffer, 260, pattern.c_str(), frame);
    if (n < 0) return false;
    out.assign(buffer, static_cast<size_t>(n));
    (void)conversionEnd;
    return true;
}

bool StepSequence(SequenceState& s, std::wstring& image, bool& stopTimer) {
    stopTimer = false;
    if (s.SequencePattern.empty()) return false;
    if (s.Forward) {
        if (s.Frame > s.FrameCount - 1) {
            if (s.RoundTrip) {
                s.Forward = false;
                s.Frame = s.FrameCount - 2;
            } else {
                s.Frame = 0;
                if (!s.Loop) {
                    stopTimer = true;
                    return false;
                }
            }
        }
    }
    if (!s.Forward) {
        // "<= 0": with a single frame a round trip would step below 0 for ever.
        if (s.Frame <= 0) {
            if (s.RoundTrip) s.Forward = true;
            s.Frame = 0;
            if (!s.Loop) {
                stopTimer = true;
                return false;
            }
        }
    }
    std::wstring name;
    bool formatted = FormatFrameName(s.SequencePattern, s.Frame, name);
    s.Frame += s.Forward ? 1 : -1;
    if (!formatted) return false;
    image = name;
    return true;
}

bool SetSequenceAttribute(SequenceState& state, const std::wstring& name, const std::wstring& value) {
    using uilib::EqualsIgnoringCase;
    if (name == L"sequencebkimage") state.SequencePattern = value;
    else if (EqualsIgnoringCase(name, L"sequencecount")) state.FrameCount = uilib::ParseInt(value);
    else if (EqualsIgnoringCase(name, L"sequencespan")) state.FrameSpan = uilib::ParseInt(value);
    else if (EqualsIgnoringCase(name, L"sequenceloop")) state.Loop = value != L"false";
    else if (EqualsIgnoringCase(name, L"autostart")) state.AutoStart = value != L"false";
    else if (EqualsIgnoringCase(name, L"sequenceround")) state.RoundTrip = value != L"false";
    else return false;
    return true;
}

void* CSequenceLabelUI::GetInterface(const std::wstring& name) {
    if (name == L"SequenceLabel") return this;
    return CLabelUI::GetInterface(name);
}

CSequenceButtonUI::CSequenceButtonUI() {
    state_.RoundTrip = true;
    state_.FrameSpan = 60;
}

void* CSequenceButtonUI::GetInterface(const std::wstring& name) {
    if (name == L"SequenceButton") return this;
    return CButtonUI::GetInterface(name);
}
