// Process-wide state shared by the software device's objects: injected faults, texture memory, and the
// per-device record read by the test controls.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/testing/device_faults.h"

namespace platform::d3d9 {

struct Faults {
    uint64_t loss_epoch = 0;
    int fail_create_device = 0;
    bool fail_direct3d_create = false;
    bool fail_display_mode = false;
    int fail_vertex_buffer_lock = 0;
    int fail_texture_lock = 0;
    std::size_t budget = headless::kUnlimitedTextureMemory;
    std::size_t bytes_in_use = 0;
    bool record_states = false;
};

Faults& GlobalFaults();

// Uses up one injected failure of a counter; true when this call is to fail.
bool TakeFailure(int& counter);

struct DeviceRecord {
    std::vector<headless::StateCall> states;
    int draws = 0;
    std::array<headless::DrawnVertex, 4> last_vertices {};
    IDirect3DTexture9* last_texture = nullptr;
};

} // namespace platform::d3d9
