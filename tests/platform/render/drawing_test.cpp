#include <cmath>

#include "platform/d3d9/rasterizer.h"
#include "tests/platform/render/device_fixture.h"

namespace {

uint32_t Pattern(int x, int y)
{
    return 0xFF000000u | uint32_t(x * 16) << 16 | uint32_t(y * 16) << 8 | 0x55u;
}

TEST_F(DeviceTest, OneToOneDrawCopiesTexelsExactlyAndCoversOnlyTheRectangle)
{
    IDirect3DTexture9* tex = MakeTexture(16, 16, Pattern);
    DrawRect(tex, 10, 20, 20, 30, 0, 0, 0.625f, 0.625f);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            ASSERT_EQ(Shown(10 + x, 20 + y), Pattern(x, y)) << x << "," << y;
    EXPECT_EQ(presenter_.Pixel(9, 20), kBackground);
    EXPECT_EQ(presenter_.Pixel(20, 20), kBackground);
    EXPECT_EQ(presenter_.Pixel(10, 19), kBackground);
    EXPECT_EQ(presenter_.Pixel(10, 30), kBackground);
}

TEST_F(DeviceTest, SharedEdgesAreDrawnOnceWhetherStraightOrDiagonal)
{
    // Half-transparent white over black: a pixel drawn twice would come out brighter.
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    IDirect3DTexture9* tex = MakeTexture(1, 1, [](int, int) { return 0x80FFFFFFu; });
    DrawRect(tex, 0, 0, 10, 10, 0, 0, 1, 1);
    DrawRect(tex, 10, 0, 20, 10, 0, 0, 1, 1);
    // A turned square: its two triangles share a diagonal that crosses many pixel centres.
    Vertex q[4] = { { 100, 40, 0, 1, 0xFFFFFFFF, 0, 0 }, { 140, 80, 0, 1, 0xFFFFFFFF, 1, 0 },
        { 100, 120, 0, 1, 0xFFFFFFFF, 1, 1 }, { 60, 80, 0, 1, 0xFFFFFFFF, 0, 1 } };
    DrawVertices(tex, q);
    device_->Present(nullptr, nullptr, nullptr, nullptr);
    const uint32_t once = presenter_.Pixel(5, 5);
    EXPECT_NEAR(Channel(once, 16), 128, 1);
    int covered = 0;
    for (int y = 0; y < 130; ++y)
        for (int x = 0; x < 150; ++x) {
            uint32_t p = presenter_.Pixel(x, y) & 0xFFFFFF;
            ASSERT_TRUE(p == 0 || p == (once & 0xFFFFFF)) << x << "," << y;
            covered += p != 0;
        }
    // 200 pixels of the two rectangles and the diamond's area of 3200.
    EXPECT_EQ(covered, 200 + 3200);
}

TEST_F(DeviceTest, TintModulatesAndSourceAlphaBlendsOverTheBackBuffer)
{
    IDirect3DTexture9* tex = MakeTexture(1, 1, [](int, int) { return 0xC0FF8040u; });
    DrawRect(tex, 0, 0, 4, 4, 0, 0, 1, 1, 0x80FFFF80);
    // source = texel * tint: alpha 0xC0 * 0x80 / 255, blue 0x40 * 0x80 / 255; then over 0x102030.
    double a = 0xC0 * 0x80 / 255.0 / 255.0;
    auto over = [&](double s, double d) { return uint32_t(std::lround(s * a + d * (1 - a))); };
    uint32_t expected = over(0xFF, 0x10) << 16 | over(0x80, 0x20) << 8 | over(0x40 * 0x80 / 255.0, 0x30);
    EXPECT_TRUE(RgbNear(Shown(2, 2), expected));
}

TEST_F(DeviceTest, FullyTransparentTexelsLeaveTheBackBufferAndOpaqueOnesReplaceIt)
{
    IDirect3DTexture9* tex = MakeTexture(2, 1, [](int x, int) { return x == 0 ? 0x00FFFFFFu : 0xFF123456u; });
    DrawRect(tex, 0, 0, 2, 1, 0, 0, 1, 1);
    EXPECT_EQ(Shown(0, 0), kBackground);
    EXPECT_EQ(Shown(1, 0), 0xFF123456u);
}

TEST_F(DeviceTest, RelockedTexelsDrawAsTheyNowAre)
{
    IDirect3DTexture9* tex = MakeTexture(2, 2, [](int, int) { return 0x00FFFFFFu; });
    D3DLOCKED_RECT locked;
    RECT lower { 1, 1, 2, 2 };
    ASSERT_EQ(tex->LockRect(0, &locked, &lower, 0), D3D_OK);
    *static_cast<uint32_t*>(locked.pBits) = 0xFF654321u;
    tex->UnlockRect(0);
    DrawRect(tex, 0, 0, 2, 2, 0, 0, 1, 1);
    EXPECT_EQ(Shown(0, 1), kBackground);
    EXPECT_EQ(Shown(1, 1), 0xFF654321u);
}

TEST_F(DeviceTest, ViewportClipsWithoutMovingTheQuad)
{
    IDirect3DTexture9* tex = MakeTexture(32, 32, Pattern);
    D3DVIEWPORT9 vp { 5, 6, 10, 10, 0, 1 };
    ASSERT_EQ(device_->SetViewport(&vp), D3D_OK);
    DrawRect(tex, 0, 0, 32, 32, 0, 0, 1, 1);
    EXPECT_EQ(Shown(5, 6), Pattern(5, 6));
    EXPECT_EQ(Shown(14, 15), Pattern(14, 15));
    EXPECT_EQ(Shown(4, 6), kBackground);
    EXPECT_EQ(Shown(15, 6), kBackground);
    EXPECT_EQ(Shown(5, 16), kBackground);
}

TEST_F(DeviceTest, MagnificationPicksTheNearestTexelAndMinificationAverages)
{
    IDirect3DTexture9* tex = MakeTexture(2, 2, [](int x, int y) { return (x + y) % 2 ? 0xFFFFFFFFu : 0xFF000000u; });
    DrawRect(tex, 0, 0, 8, 8, 0, 0, 1, 1); // 4x larger: hard edges
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            ASSERT_EQ(Shown(x, y), ((x / 4 + y / 4) % 2) ? 0xFFFFFFFFu : 0xFF000000u) << x << "," << y;
    DrawRect(tex, 20, 0, 21, 1, 0, 0, 1, 1); // 2x2 texels into one pixel
    EXPECT_NEAR(Channel(Shown(20, 0), 8), 128, 1);
}

TEST_F(DeviceTest, CoordinatesBeyondTheTextureWrapAround)
{
    IDirect3DTexture9* tex = MakeTexture(4, 1, [](int x, int) { return 0xFF000000u | uint32_t(x + 1); });
    DrawRect(tex, 0, 0, 4, 1, 0.5f, 0, 1.5f, 1);
    EXPECT_EQ(Shown(0, 0), 0xFF000003u);
    EXPECT_EQ(Shown(1, 0), 0xFF000004u);
    EXPECT_EQ(Shown(2, 0), 0xFF000001u);
    EXPECT_EQ(Shown(3, 0), 0xFF000002u);
}

TEST_F(DeviceTest, VideoFormatTexturesDrawOpaqueWhateverTheirFourthByte)
{
    IDirect3DTexture9* tex = MakeTexture(
        1, 1, [](int, int) { return 0x00336699u; }, D3DFMT_X8R8G8B8);
    DrawRect(tex, 0, 0, 1, 1, 0, 0, 1, 1);
    EXPECT_EQ(Shown(0, 0), 0xFF336699u);
}

TEST_F(DeviceTest, CounterClockwiseQuadsAreCulledUnlessCullingIsOff)
{
    IDirect3DTexture9* tex = MakeTexture(1, 1, [](int, int) { return 0xFFFFFFFFu; });
    Vertex q[4] = { { -0.5f, -0.5f, 0, 1, 0xFFFFFFFF, 0, 0 }, { -0.5f, 3.5f, 0, 1, 0xFFFFFFFF, 0, 1 },
        { 3.5f, 3.5f, 0, 1, 0xFFFFFFFF, 1, 1 }, { 3.5f, -0.5f, 0, 1, 0xFFFFFFFF, 1, 0 } };
    DrawVertices(tex, q);
    EXPECT_EQ(Shown(1, 1), kBackground);
    device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    DrawVertices(tex, q);
    EXPECT_EQ(Shown(1, 1), 0xFFFFFFFFu);
}

TEST_F(DeviceTest, WithoutBlendingTheTexelIsWrittenAsItIs)
{
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    IDirect3DTexture9* tex = MakeTexture(1, 1, [](int, int) { return 0x40ABCDEFu; });
    DrawRect(tex, 0, 0, 1, 1, 0, 0, 1, 1);
    EXPECT_EQ(Shown(0, 0), 0x40ABCDEFu);
}

// The fast path for axis-aligned rectangles must agree with the general triangle path.
TEST(Rasterizer, RectanglePathMatchesTrianglePath)
{
    using namespace platform::d3d9;
    std::vector<uint32_t> texels(64 * 32);
    for (size_t k = 0; k < texels.size(); ++k)
        texels[k] = uint32_t(k * 2654435761u) | (k % 3 ? 0xFF000000u : 0);
    RasterSource src { texels.data(), 64, 32, false };
    struct Case {
        float l, t, r, b, u0, v0, u1, v1;
        uint32_t tint;
    };
    const Case cases[] = {
        { 3, 4, 35, 20, 0, 0, 0.5f, 0.5f, 0xFFFFFFFF }, // 1:1
        { 3, 4, 131, 68, 0, 0, 1, 1, 0x80FF8040 }, // 2x magnified, tinted
        { 3, 4, 35, 20, 0, 0, 1, 1, 0xFFFFFFFF }, // halved: linear
        { 0, 0, 50, 20, 0.25f, 0.125f, 1.0f, 0.75f, 0xFFFFFFFF }, // odd scale
        { -10, -7, 40, 30, 0.75f, 0.5f, 1.5f, 1.25f, 0xC0FFFFFF }, // clipped and wrapping
    };
    for (const Case& c : cases) {
        std::vector<uint32_t> fast(100 * 80, 0xFF445566u), slow = fast;
        RasterVertex v[4] = { { c.l - 0.5f, c.t - 0.5f, c.u0, c.v0 }, { c.r - 0.5f, c.t - 0.5f, c.u1, c.v0 },
            { c.r - 0.5f, c.b - 0.5f, c.u1, c.v1 }, { c.l - 0.5f, c.b - 0.5f, c.u0, c.v1 } };
        RasterState state;
        state.tint = c.tint;
        DrawQuadFan({ fast.data(), 100, RECT { 0, 0, 100, 80 } }, src, state, v, true);
        DrawQuadFan({ slow.data(), 100, RECT { 0, 0, 100, 80 } }, src, state, v, false);
        int differing = 0;
        for (size_t k = 0; k < fast.size(); ++k)
            differing += fast[k] != slow[k];
        EXPECT_EQ(differing, 0) << "case l=" << c.l << " r=" << c.r;
    }
}

// Rows whose coverage is known skip transparent texels and copy opaque ones; the pixels must be those of blending
// every texel.
TEST(Rasterizer, KnownRowCoverageDrawsAsBlendingEveryTexel)
{
    using namespace platform::d3d9;
    constexpr int kW = 64, kH = 16;
    std::vector<uint32_t> texels(kW * kH);
    const uint32_t alphas[] = { 0, 0, 0x40, 0xFF, 0xFF, 0xFF, 0xFF, 0x80, 0xFF, 0xFF, 0, 0xFE, 0xFF };
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            // Rows differ in where their runs start; some are wholly transparent or wholly opaque.
            uint32_t a = y == 3 ? 0 : y == 5 ? 0xFF : alphas[size_t(x + y * 5) % std::size(alphas)];
            texels[size_t(y * kW + x)] = a << 24 | (uint32_t(x * 2654435761u + y * 40503u) & 0xFFFFFF);
        }
    std::vector<RowCoverage> coverage;
    for (int y = 0; y < kH; ++y)
        coverage.push_back(MeasureRow(&texels[size_t(y * kW)], kW));
    RasterSource plain { texels.data(), kW, kH, false }, covered = plain;
    covered.coverage = coverage.data();
    // Whole rows, and rows entered and left inside runs.
    for (auto [first, last] : { std::pair { 0, kW }, std::pair { 3, 61 } })
        for (uint32_t tint : { 0xFFFFFFFFu, 0xFF808040u, 0x80FFFFFFu }) {
            std::vector<uint32_t> fast(80 * 20), slow;
            for (size_t k = 0; k < fast.size(); ++k)
                fast[k] = 0xFF000000u | (uint32_t(k * 7919u) & 0xFFFFFF);
            slow = fast;
            float u0 = float(first) / kW, u1 = float(last) / kW, right = 1.5f + float(last - first);
            RasterVertex v[4]
                = { { 1.5f, 1.5f, u0, 0 }, { right, 1.5f, u1, 0 }, { right, 17.5f, u1, 1 }, { 1.5f, 17.5f, u0, 1 } };
            RasterState state;
            state.tint = tint;
            DrawQuadFan({ fast.data(), 80, RECT { 0, 0, 80, 20 } }, covered, state, v);
            DrawQuadFan({ slow.data(), 80, RECT { 0, 0, 80, 20 } }, plain, state, v);
            int differing = 0;
            for (size_t k = 0; k < fast.size(); ++k)
                differing += fast[k] != slow[k];
            EXPECT_EQ(differing, 0) << first << " " << std::hex << tint;
        }
}

} // namespace
