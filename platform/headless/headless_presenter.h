// Keeps the last presented frame for tests to read back; installs itself as the active presenter while it lives.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/window/presenter.h"

namespace platform::headless {

class HeadlessPresenter : public Presenter {
public:
    HeadlessPresenter();
    ~HeadlessPresenter() override;
    HeadlessPresenter(const HeadlessPresenter&) = delete;
    HeadlessPresenter& operator=(const HeadlessPresenter&) = delete;

    void Present(const uint32_t* pixels, int width, int height) override;
    void PresentDiscarding(std::vector<uint32_t>& pixels, int width, int height) override;

    // Words 0xAARRGGBB, rows top to bottom; empty before the first present.
    const std::vector<uint32_t>& Frame() const { return frame_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // 0 outside the frame.
    uint32_t Pixel(int x, int y) const;
    int PresentCount() const { return present_count_; }

    // An RGB PNG of the last frame (the back buffer's alpha is never shown); false when it cannot be written.
    bool SavePng(const std::string& path) const;

private:
    std::vector<uint32_t> frame_;
    int width_ = 0;
    int height_ = 0;
    int present_count_ = 0;
};

// Writes width x height pixels (0x00RRGGBB, row by row) as an 8-bit RGB PNG file; false when it could not.
bool WriteRgbPng(const std::string& path, int width, int height, const std::vector<uint32_t>& pixels);

} // namespace platform::headless
