#include "platform/testing/device_faults.h"

#include "platform/d3d9/device_state.h"

namespace platform::headless {

using d3d9::GlobalFaults;

void SimulateDeviceLoss()
{
    ++GlobalFaults().loss_epoch;
}
void FailNextCreateDevice(int count)
{
    GlobalFaults().fail_create_device = count;
}
void FailDirect3DCreate(bool fail)
{
    GlobalFaults().fail_direct3d_create = fail;
}
void FailDisplayMode(bool fail)
{
    GlobalFaults().fail_display_mode = fail;
}
void FailVertexBufferLock(int count)
{
    GlobalFaults().fail_vertex_buffer_lock = count;
}
void FailTextureLock(int count)
{
    GlobalFaults().fail_texture_lock = count;
}
void SetTextureBudget(std::size_t bytes)
{
    GlobalFaults().budget = bytes;
}
std::size_t TextureBytesInUse()
{
    return GlobalFaults().bytes_in_use;
}

void ResetDeviceFaults()
{
    auto& f = GlobalFaults();
    std::size_t in_use = f.bytes_in_use;
    uint64_t epoch = f.loss_epoch;
    f = d3d9::Faults {};
    f.bytes_in_use = in_use;
    f.loss_epoch = epoch;
}

void RecordStateCalls(bool on)
{
    GlobalFaults().record_states = on;
}
const std::vector<StateCall>& StateCalls(IDirect3DDevice9& device)
{
    return d3d9::RecordOf(device).states;
}
void ClearStateCalls(IDirect3DDevice9& device)
{
    d3d9::RecordOf(device).states.clear();
}
int DrawCount(IDirect3DDevice9& device)
{
    return d3d9::RecordOf(device).draws;
}
std::array<DrawnVertex, 4> LastVertices(IDirect3DDevice9& device)
{
    return d3d9::RecordOf(device).last_vertices;
}
IDirect3DTexture9* LastTexture(IDirect3DDevice9& device)
{
    return d3d9::RecordOf(device).last_texture;
}

} // namespace platform::headless
