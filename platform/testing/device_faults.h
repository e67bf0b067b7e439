// Test controls of the software device: injected failures, the texture memory budget, and a record of what the
// device was asked to draw. Process-wide; each test runs in its own process.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/device_state.h"

namespace platform::headless {

// Every device that exists now fails TestCooperativeLevel (and Present) from now on; devices created later
// are usable.
void SimulateDeviceLoss();
// The next count IDirect3D9::CreateDevice calls fail.
void FailNextCreateDevice(int count = 1);
void FailDirect3DCreate(bool fail);
void FailDisplayMode(bool fail);
// The next count vertex-buffer or texture locks fail.
void FailVertexBufferLock(int count = 1);
void FailTextureLock(int count = 1);

using d3d9::kUnlimitedTextureMemory;
// CreateTexture answers D3DERR_OUTOFVIDEOMEMORY when the live textures' bytes would exceed the budget.
void SetTextureBudget(std::size_t bytes);
std::size_t TextureBytesInUse();

// Back to no faults and an unlimited budget (the bytes in use are kept).
void ResetDeviceFaults();

using d3d9::DrawnVertex;
using d3d9::StateCall;
using d3d9::StateKind;

// State calls are only kept while recording is on (off by default, so a running program keeps nothing).
void RecordStateCalls(bool on);
const std::vector<StateCall>& StateCalls(IDirect3DDevice9& device);
void ClearStateCalls(IDirect3DDevice9& device);

// Primitives drawn since the device was created.
int DrawCount(IDirect3DDevice9& device);
// The first four vertices of the last draw.
std::array<DrawnVertex, 4> LastVertices(IDirect3DDevice9& device);
IDirect3DTexture9* LastTexture(IDirect3DDevice9& device);

} // namespace platform::headless
