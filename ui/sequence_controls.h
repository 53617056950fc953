// Image-sequence controls: a label or button that steps its background image
// through numbered frames ("res\mainWnd\installBtnAnimate\%.3d.png") on timer 2100.
#pragma once

#include <string>

#include "uilib/controls.h"

// The sequence state both controls share.
struct SequenceState {
    std::wstring SequencePattern;
    bool AutoStart = false;
    bool Loop = true;
    bool Forward = true;
    bool RoundTrip = false;
    int Frame = 0;
    int FrameCount = 0;
    int FrameSpan = 30;
};

constexpr unsigned kSequenceTimerId = 2100;

// Formats `pattern` with `frame`. The pattern must hold exactly one integer
// conversion (flags, width and precision allowed; "%%" is a literal percent);
// anything else gives false, so a bad pattern never reaches printf.
bool FormatFrameName(const std::wstring& pattern, int frame, std::wstring& out);

// One tick of the sequence: the frame name to show next, or false when nothing is
// shown (empty pattern, or the sequence stopped: `stopTimer` then tells to stop).
bool StepSequence(SequenceState& state, std::wstring& image, bool& stopTimer);

// Applies a sequence attribute; false when `name` is not one of them.
bool SetSequenceAttribute(SequenceState& state, const std::wstring& name, const std::wstring& value);

class CSequenceLabelUI : public uilib::CLabelUI {
public:
    ~CSequenceLabelUI() override;
    std::wstring GetClass() const override { return L"SequenceLabel"; }
    void* GetInterface(const std::wstring& name) override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
    void DoInit() override;
    void DoEvent(uilib::TEventUI& event) override;

    // Frame 0, then timer 2100 with FrameSpan (a running timer keeps running).
    void Start();
    void SetSequencePattern(const std::wstring& pattern) { state_.SequencePattern = pattern; }
    const std::wstring& GetSequencePattern() const { return state_.SequencePattern; }
    void SetFrameCount(int count) { state_.FrameCount = count; }
    int GetFrameCount() const { return state_.FrameCount; }
    void SetFrameSpan(int span) { state_.FrameSpan = span; }
    int GetFrameSpan() const { return state_.FrameSpan; }
    const SequenceState& State() const { return state_; }

protected:
    void PaintStatusImage(uilib::Painter&) override {}

private:
    SequenceState state_;
};

class CSequenceButtonUI : public uilib::CButtonUI {
public:
    CSequenceButtonUI();
    ~CSequenceButtonUI() override;
    std::wstring GetClass() const override { return L"SequenceButton"; }
    void* GetInterface(const std::wstring& name) override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
    void DoInit() override;
    void DoEvent(uilib::TEventUI& event) override;

    void Start();
    void SetSequencePattern(const std::wstring& pattern) { state_.SequencePattern = pattern; }
    const std::wstring& GetSequencePattern() const { return state_.SequencePattern; }
    void SetFrameCount(int count) { state_.FrameCount = count; }
    int GetFrameCount() const { return state_.FrameCount; }
    void SetFrameSpan(int span) { state_.FrameSpan = span; }
    int GetFrameSpan() const { return state_.FrameSpan; }
    const SequenceState& State() const { return state_; }

private:
    SequenceState state_;
};
