// Image-sequence controls: a label or button that steps its background image
// through numbered frames ("res\mainWnd\installBtnAnimate\%.3d.png") on timer 2100.
#pragma once

#include <string>

#include "uilib/controls.h"
#include "uilib/ui_manager.h"

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

// The sequence machinery on top of a label or a button: attributes, timer 2100 from
// initialisation when it starts by itself, a frame per tick, the timer stopped with
// the control.
template <typename Base>
class SequenceControl : public Base {
public:
    ~SequenceControl() override {
        if (this->manager_ != nullptr) this->manager_->KillTimer(this, kSequenceTimerId);
    }
    void SetAttribute(const std::wstring& name, const std::wstring& value) override {
        if (!SetSequenceAttribute(state_, name, value)) Base::SetAttribute(name, value);
    }
    void DoInit() override {
        if (state_.AutoStart) StartTimer();
    }
    void DoEvent(uilib::TEventUI& event) override {
        Base::DoEvent(event);  // a tick is also a "timer" notification to the window
        if (event.Type != uilib::EventType::Timer) return;
        std::wstring image;
        bool stop = false;
        // Setting the same image again repaints nothing: a one-frame animation costs
        // no drawing while the window sits idle.
        if (StepSequence(state_, image, stop)) this->SetBkImage(image);
        if (stop && this->manager_ != nullptr) this->manager_->KillTimer(this, kSequenceTimerId);
    }

    // Frame 0, then timer 2100 with FrameSpan (a running timer keeps running).
    void Start() {
        state_.Frame = 0;
        StartTimer();
    }
    void SetSequencePattern(const std::wstring& pattern) { state_.SequencePattern = pattern; }
    const std::wstring& GetSequencePattern() const { return state_.SequencePattern; }
    void SetFrameCount(int count) { state_.FrameCount = count; }
    int GetFrameCount() const { return state_.FrameCount; }
    void SetFrameSpan(int span) { state_.FrameSpan = span; }
    int GetFrameSpan() const { return state_.FrameSpan; }
    const SequenceState& State() const { return state_; }

protected:
    void StartTimer() {
        if (this->manager_ != nullptr) {
            this->manager_->SetTimer(this, kSequenceTimerId, static_cast<uint32_t>(state_.FrameSpan));
        }
    }
    SequenceState state_;
};

class CSequenceLabelUI : public SequenceControl<uilib::CLabelUI> {
public:
    std::wstring GetClass() const override { return L"SequenceLabel"; }
    void* GetInterface(const std::wstring& name) override;

protected:
    void PaintStatusImage(uilib::Painter&) override {}
};

class CSequenceButtonUI : public SequenceControl<uilib::CButtonUI> {
public:
    CSequenceButtonUI();
    std::wstring GetClass() const override { return L"SequenceButton"; }
    void* GetInterface(const std::wstring& name) override;
};
