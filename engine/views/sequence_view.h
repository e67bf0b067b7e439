// An animation over a list of named frame pictures. Frames are loaded only when shown, and the frame shown before
// is given back, so a sequence holds one texture reference at a time however long it is.
#pragma once

#include <string>
#include <vector>

#include "engine/views/animation_view.h"
#include "engine/views/texture_view.h"

class IMSequenceView : public IMTextureView, public IMAnimationView {
public:
    // Out of 0 .. count - 1 nothing changes.
    void SetFrame(int n) override;
    int GetFrame() const override { return frame_; }
    int GetStart() const override { return start_; }
    int GetEnd() const override { return end_; }
    // Both clamp to 0 .. count; the count itself is accepted.
    void SetStart(int n) override;
    void SetEnd(int n) override;

    // Appends the name, then shows the start frame.
    void AddFrame(const std::wstring& name);
    // Adds one frame per number from first to last inclusive, named by the wide format pattern (positional
    // arguments allowed: "7%1$05d" gives "700003" for 3). Throws boost::io::format_error on a bad pattern.
    void AddFrames(const std::wstring& pattern, int first, int last);

    int GetFrameCount() const { return static_cast<int>(frames_.size()); }
    const std::wstring& GetFrameName(int n) const { return frames_.at(static_cast<size_t>(n)); }

private:
    int Clamp(int n) const;

    int frame_ = 0;
    int start_ = 0;
    int end_ = 0;
    std::vector<std::wstring> frames_;
};
