#include <cstdio>
#include <filesystem>

#include <png.h>
#include <unistd.h>

#include "tests/platform/render/device_fixture.h"

namespace {

using namespace platform::headless;

TEST_F(DeviceTest, LossFailsTheCooperativeTestAndPresentUntilANewDeviceIsMade)
{
    EXPECT_EQ(device_->TestCooperativeLevel(), D3D_OK);
    SimulateDeviceLoss();
    EXPECT_NE(device_->TestCooperativeLevel(), D3D_OK);
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    EXPECT_EQ(presenter_.PresentCount(), 0);

    D3DPRESENT_PARAMETERS pp {};
    IDirect3DDevice9* fresh = nullptr;
    FailNextCreateDevice(1);
    EXPECT_TRUE(FAILED(d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr, 0, &pp, &fresh)));
    EXPECT_EQ(fresh, nullptr);
    ASSERT_EQ(d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr, 0, &pp, &fresh), D3D_OK);
    EXPECT_EQ(fresh->TestCooperativeLevel(), D3D_OK);
    EXPECT_EQ(fresh->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    EXPECT_EQ(presenter_.PresentCount(), 1);
    EXPECT_EQ(presenter_.Width(), 800);
    EXPECT_EQ(presenter_.Height(), 600);
    fresh->Release();
}

TEST_F(DeviceTest, TextureLocksGiveZeroedWritableMemoryWithTightPitch)
{
    IDirect3DTexture9* t = nullptr;
    ASSERT_EQ(
        device_->CreateTexture(64, 8, 0, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &t, nullptr), D3D_OK);
    textures_.push_back(t);
    D3DSURFACE_DESC desc;
    ASSERT_EQ(t->GetLevelDesc(0, &desc), D3D_OK);
    EXPECT_EQ(desc.Width, 64u);
    EXPECT_EQ(desc.Height, 8u);
    D3DLOCKED_RECT lr;
    ASSERT_EQ(t->LockRect(0, &lr, nullptr, 0), D3D_OK);
    EXPECT_EQ(lr.Pitch, 256);
    const BYTE* bytes = static_cast<BYTE*>(lr.pBits);
    EXPECT_TRUE(std::all_of(bytes, bytes + 256 * 8, [](BYTE b) { return b == 0; }));
    static_cast<BYTE*>(lr.pBits)[256 * 7 + 3] = 0xAB;
    D3DLOCKED_RECT again;
    EXPECT_TRUE(FAILED(t->LockRect(0, &again, nullptr, 0))) << "a locked texture cannot be locked twice";
    ASSERT_EQ(t->UnlockRect(0), D3D_OK);
    EXPECT_TRUE(FAILED(t->UnlockRect(0)));

    FailTextureLock(1);
    EXPECT_TRUE(FAILED(t->LockRect(0, &lr, nullptr, 0)));
    ASSERT_EQ(t->LockRect(0, &lr, nullptr, 0), D3D_OK);
    EXPECT_EQ(static_cast<BYTE*>(lr.pBits)[256 * 7 + 3], 0xAB);
    t->UnlockRect(0);
}

TEST_F(DeviceTest, TextureBudgetRefusesWhatDoesNotFitAndFreesOnRelease)
{
    const size_t before = TextureBytesInUse();
    SetTextureBudget(before + 2 * 1024);
    IDirect3DTexture9 *a = nullptr, *b = nullptr, *c = nullptr;
    ASSERT_EQ(device_->CreateTexture(16, 16, 0, 0, D3DFMT_A8R8G8B8, 0, &a, nullptr), D3D_OK);
    ASSERT_EQ(device_->CreateTexture(16, 16, 0, 0, D3DFMT_A8R8G8B8, 0, &b, nullptr), D3D_OK);
    EXPECT_EQ(TextureBytesInUse(), before + 2048);
    EXPECT_EQ(device_->CreateTexture(16, 16, 0, 0, D3DFMT_A8R8G8B8, 0, &c, nullptr), D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(c, nullptr);
    a->Release();
    ASSERT_EQ(device_->CreateTexture(16, 16, 0, 0, D3DFMT_A8R8G8B8, 0, &c, nullptr), D3D_OK);
    b->Release();
    c->Release();
    EXPECT_EQ(TextureBytesInUse(), before);
}

TEST_F(DeviceTest, FailedVertexBufferLockFailsOnlyTheNextLock)
{
    void* p = nullptr;
    FailVertexBufferLock(1);
    EXPECT_TRUE(FAILED(buffer_->Lock(0, 0, &p, 0)));
    ASSERT_EQ(buffer_->Lock(0, 0, &p, 0), D3D_OK);
    buffer_->Unlock();
}

TEST_F(DeviceTest, DrawsReachingPastTheVertexBufferAreRefusedEvenWhenTheCountWraps)
{
    device_->SetFVF(0x144);
    device_->SetStreamSource(0, buffer_, 0, 28);
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLEFAN, 2, 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLEFAN, 0xFFFFFFFFu, 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 0xFFFFFFFEu), D3DERR_INVALIDCALL);
    EXPECT_EQ(Shown(0, 0), kBackground);
}

TEST_F(DeviceTest, ViewportBeyondTheBackBufferIsRefusedAndClearFillsOnlyTheViewport)
{
    D3DVIEWPORT9 outside { 700, 0, 200, 100, 0, 1 };
    EXPECT_TRUE(FAILED(device_->SetViewport(&outside)));
    D3DVIEWPORT9 vp;
    device_->GetViewport(&vp);
    EXPECT_EQ(vp.Width, 800u);
    D3DVIEWPORT9 inside { 10, 10, 5, 5, 0, 1 };
    ASSERT_EQ(device_->SetViewport(&inside), D3D_OK);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0);
    EXPECT_EQ(Shown(10, 10), 0xFFFF0000u);
    EXPECT_EQ(Shown(14, 14), 0xFFFF0000u);
    EXPECT_EQ(Shown(15, 14), kBackground);
    EXPECT_EQ(Shown(9, 10), kBackground);
}

TEST_F(DeviceTest, StateCallsAreRecordedOnlyWhileRecordingIsOn)
{
    device_->SetRenderState(D3DRS_LIGHTING, FALSE);
    EXPECT_TRUE(StateCalls(*device_).empty());
    RecordStateCalls(true);
    device_->SetRenderState(D3DRS_LIGHTING, FALSE);
    device_->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    std::vector<StateCall> expected = { { StateKind::Render, 0, D3DRS_LIGHTING, FALSE },
        { StateKind::Sampler, 0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR } };
    EXPECT_EQ(StateCalls(*device_), expected);
}

TEST(Direct3D, InjectedFailuresOfCreationAndDisplayMode)
{
    FailDirect3DCreate(true);
    EXPECT_EQ(Direct3DCreate9(D3D_SDK_VERSION), nullptr);
    FailDirect3DCreate(false);
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    D3DDISPLAYMODE mode;
    EXPECT_EQ(d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode), D3D_OK);
    FailDisplayMode(true);
    EXPECT_TRUE(FAILED(d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode)));
    d3d->Release();
}

std::vector<uint32_t> ReadPngRgb(const std::string& path, int* w, int* h)
{
    png_image image {};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return {};
    image.format = PNG_FORMAT_BGRA;
    std::vector<uint32_t> pixels(size_t(image.width) * image.height);
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr))
        return {};
    *w = int(image.width);
    *h = int(image.height);
    return pixels;
}

TEST_F(DeviceTest, SavedPngHoldsTheLastPresentedFrame)
{
    IDirect3DTexture9* tex = MakeTexture(1, 1, [](int, int) { return 0xFFC08040u; });
    DrawRect(tex, 790, 590, 800, 600, 0, 0, 1, 1);
    device_->Present(nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(presenter_.Pixel(800, 0), 0u);
    EXPECT_EQ(presenter_.Pixel(-1, 0), 0u);
    // Named by the process: another run of the tests may be saving its frame at the same time.
    const std::string path
        = (std::filesystem::temp_directory_path() / ("render_frame_test-" + std::to_string(getpid()) + ".png"))
              .string();
    ASSERT_TRUE(presenter_.SavePng(path));
    int w = 0, h = 0;
    std::vector<uint32_t> read = ReadPngRgb(path, &w, &h);
    std::remove(path.c_str());
    ASSERT_EQ(w, 800);
    ASSERT_EQ(h, 600);
    EXPECT_EQ(read[599 * 800 + 799], 0xFFC08040u);
    EXPECT_EQ(read[0], kBackground);
    EXPECT_FALSE(presenter_.SavePng("/nonexistent-folder/frame.png"));
}

} // namespace
