// Process-wide state shared by the software device's objects: failures it is told to report, texture memory, and
// the per-device record of what it was asked to draw.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/d3d9/d3d9.h"

namespace platform::d3d9 {

constexpr std::size_t kUnlimitedTextureMemory = SIZE_MAX;

enum class StateKind { Render, TextureStage, Sampler };

struct StateCall {
    StateKind kind;
    DWORD stage; // 0 for render states
    UINT type;
    DWORD value;
    bool operator==(const StateCall&) const = default;
};

// The vertex layout 0x144 as the device read it.
struct DrawnVertex {
    float x, y, z, rhw;
    D3DCOLOR diffuse;
    float u, v;
};

struct Faults {
    uint64_t loss_epoch = 0;
    int fail_create_device = 0;
    bool fail_direct3d_create = false;
    bool fail_display_mode = false;
    int fail_vertex_buffer_lock = 0;
    int fail_texture_lock = 0;
    std::size_t budget = kUnlimitedTextureMemory;
    std::size_t bytes_in_use = 0;
    bool record_states = false;
};

Faults& GlobalFaults();

// Uses up one injected failure of a counter; true when this call is to fail.
bool TakeFailure(int& counter);

struct DeviceRecord {
    std::vector<StateCall> states;
    int draws = 0;
    std::array<DrawnVertex, 4> last_vertices {};
    IDirect3DTexture9* last_texture = nullptr;
};

} // namespace platform::d3d9
