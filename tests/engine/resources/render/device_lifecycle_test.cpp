#include <stdexcept>

#include "platform/testing/debug_capture.h"
#include "platform/testing/test_clock.h"
#include "tests/engine/resources/render/manager_fixture.h"

namespace {

using namespace platform::headless;

TEST_F(ManagerTest, LostDeviceStaysLostThroughAFailedResetAndRecoversLater)
{
    DWORD id = Picture(L"picture", 8, 8);
    // Drawn into after creation: this stroke is not in the pixel copy and must not survive the loss.
    rm_->WriteTexturePixels(id, [](BYTE* p, int, int) { reinterpret_cast<uint32_t*>(p)[0] = 0xFFFF0000u; });
    EXPECT_FALSE(rm_->IsDeviceLost());
    SimulateDeviceLoss();
    EXPECT_TRUE(rm_->IsDeviceLost());

    FailNextCreateDevice(1);
    EXPECT_FALSE(rm_->ResetDevice());
    EXPECT_EQ(rm_->GetDevice(), nullptr);
    EXPECT_TRUE(rm_->IsDeviceLost());
    EXPECT_EQ(rm_->GetTextureRecord(id)->texture, nullptr);
    // Without a device nothing draws and nothing new can be made, but nothing breaks either.
    rm_->DrawQuad(id, RECT { 0, 0, 8, 8 }, nullptr, 0xFFFFFFFF, 0.0f);
    EXPECT_EQ(rm_->CreateFrameTexture(L"video", 8, 8, D3DFMT_X8R8G8B8), IMResourceManager::kNoTexture);
    EXPECT_EQ(rm_->GetTexturePitch(id), 0);

    EXPECT_TRUE(rm_->ResetDevice());
    ASSERT_NE(rm_->GetDevice(), nullptr);
    EXPECT_FALSE(rm_->IsDeviceLost());
    ClearScreen();
    rm_->DrawQuad(id, RECT { 0, 0, 8, 8 }, nullptr, 0xFFFFFFFF, 0.0f);
    EXPECT_EQ(Shown(0, 0), Opaque(0, 0));
    EXPECT_EQ(Shown(7, 7), Opaque(7, 7));
}

TEST_F(ManagerTest, VideoTextureComesBackAsAPictureFormatHoldingItsZeroCopy)
{
    DWORD id = rm_->CreateFrameTexture(L"video", 4, 4, D3DFMT_X8R8G8B8);
    rm_->WriteTexturePixels(id, [](BYTE* p, int, int) { reinterpret_cast<uint32_t*>(p)[0] = 0x00FFFFFFu; });
    SimulateDeviceLoss();
    ASSERT_TRUE(rm_->IsDeviceLost());
    ASSERT_TRUE(rm_->ResetDevice());
    rm_->RestoreTexture(id);
    D3DSURFACE_DESC desc;
    ASSERT_EQ(rm_->GetTextureRecord(id)->texture->GetLevelDesc(0, &desc), D3D_OK);
    EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
    ClearScreen(0xFF0000FF);
    rm_->DrawQuad(id, RECT { 0, 0, 4, 4 }, nullptr, 0xFFFFFFFF, 0.0f);
    EXPECT_EQ(Shown(0, 0), 0xFF0000FFu) << "zero alpha now: the frame is transparent";
}

TEST_F(ManagerTest, ResetWhileNotLostOnlyReleasesTextures)
{
    DWORD id = Picture(L"p", 4, 4);
    IDirect3DDevice9* device = rm_->GetDevice();
    EXPECT_TRUE(rm_->ResetDevice());
    EXPECT_EQ(rm_->GetDevice(), device);
    EXPECT_EQ(rm_->GetTextureRecord(id)->texture, nullptr);
}

TEST(ResourceManagerStart, FramesPerSecondAreWrittenAtShutDown)
{
    platform::TestClock clock;
    platform::DebugCapture capture;
    IMResourceManager::StartGraphics(false);
    for (int k = 0; k < 3000; ++k)
        IMResourceManager::Instance()->CountFrame();
    clock.Advance(60000);
    IMResourceManager::StopGraphics();
    EXPECT_EQ(IMResourceManager::Instance(), nullptr);
    EXPECT_EQ(capture.Text(), L"FPS: 50\n");
}

TEST(ResourceManagerStart, NoTimePassedWritesZeroInsteadOfDividing)
{
    platform::TestClock clock;
    platform::DebugCapture capture;
    IMResourceManager::StartGraphics(false);
    IMResourceManager::Instance()->CountFrame();
    IMResourceManager::StopGraphics();
    EXPECT_EQ(capture.Text(), L"FPS: 0\n");
}

TEST(ResourceManagerStart, LongSessionsDoNotWrapTheFrameRate)
{
    platform::TestClock clock;
    platform::DebugCapture capture;
    IMResourceManager::StartGraphics(false);
    for (int k = 0; k < 5000000; ++k)
        IMResourceManager::Instance()->CountFrame();
    clock.Advance(100000000);
    IMResourceManager::StopGraphics();
    EXPECT_EQ(capture.Text(), L"FPS: 50\n");
}

void ExpectStartFailure(const char* message)
{
    try {
        IMResourceManager::StartGraphics(false);
        ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), message);
    }
    EXPECT_EQ(IMResourceManager::Instance(), nullptr);
}

TEST(ResourceManagerStart, StartUpFailuresThrowTheirMessagesAndLeaveNoManager)
{
    FailDirect3DCreate(true);
    ExpectStartFailure("Can't init Direct3D");
    ResetDeviceFaults();
    FailDisplayMode(true);
    ExpectStartFailure("Can't init DisplayMode");
    ResetDeviceFaults();
    FailNextCreateDevice(1);
    ExpectStartFailure("Не могу создать устройство Direct3D");
    IMResourceManager::StartGraphics(false);
    EXPECT_NE(IMResourceManager::Instance(), nullptr);
    IMResourceManager::StopGraphics();
}

TEST(ResourceManagerStart, StartUpMakesAFullScreenSizedDeviceWithAnEmptyTable)
{
    IMResourceManager::StartGraphics(false);
    IMResourceManager* rm = IMResourceManager::Instance();
    ASSERT_NE(rm, nullptr);
    D3DVIEWPORT9 vp;
    rm->GetDevice()->GetViewport(&vp);
    EXPECT_EQ(vp.Width, 800u);
    EXPECT_EQ(vp.Height, 600u);
    EXPECT_EQ(rm->GetTextureCount(), 0u);
    EXPECT_EQ(rm->GetOrigin().x, 0);
    IMResourceManager::StopGraphics();
    IMResourceManager::StopGraphics();
}

} // namespace
