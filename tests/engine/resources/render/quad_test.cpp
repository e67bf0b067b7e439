#include <cmath>

#include "tests/engine/resources/render/manager_fixture.h"

namespace {

using namespace platform::headless;

TEST_F(ManagerTest, EmptyDestinationDrawsNothingAndSetsNoState)
{
    DWORD id = Picture(L"p", 10, 10);
    RecordStateCalls(true);
    rm_->DrawQuad(id, RECT { 5, 5, 5, 20 }, nullptr, 0xFFFFFFFF, 0.0f);
    rm_->DrawQuad(id, RECT { 5, 20, 30, 20 }, nullptr, 0xFFFFFFFF, 0.0f);
    rm_->DrawQuad(id, RECT { 30, 5, 5, 20 }, nullptr, 0xFFFFFFFF, 0.7f);
    EXPECT_TRUE(StateCalls(*rm_->GetDevice()).empty());
    EXPECT_EQ(DrawCount(*rm_->GetDevice()), 0);

    rm_->DrawQuad(id, RECT { 5, 5, 6, 6 }, nullptr, 0xFFFFFFFF, 0.0f);
    const auto& calls = StateCalls(*rm_->GetDevice());
    ASSERT_EQ(calls.size(), 20u);
    EXPECT_EQ(calls[10], (StateCall { StateKind::Render, 0, D3DRS_ALPHABLENDENABLE, TRUE }));
    EXPECT_EQ(calls.back(), (StateCall { StateKind::Sampler, 0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR }));
}

TEST_F(ManagerTest, WholeImageOfAPaddedTextureIsDrawnWithoutThePadding)
{
    DWORD id = Picture(L"ten", 10, 10);
    const IMTexture* rec = rm_->GetTextureRecord(id);
    ASSERT_NE(rec, nullptr);
    EXPECT_EQ(rec->texture_width, 16);
    EXPECT_EQ(rec->image_rect.right, 10);
    rm_->DrawQuad(id, RECT { 0, 0, 10, 10 }, nullptr, 0xFF00FF00, 0.0f);
    auto v = LastVertices(*rm_->GetDevice());
    const float expected[4][4] = { { -0.5f, -0.5f, 0, 0 }, { 9.5f, -0.5f, 0.625f, 0 }, { 9.5f, 9.5f, 0.625f, 0.625f },
        { -0.5f, 9.5f, 0, 0.625f } };
    for (int k = 0; k < 4; ++k) {
        EXPECT_FLOAT_EQ(v[k].x, expected[k][0]) << k;
        EXPECT_FLOAT_EQ(v[k].y, expected[k][1]) << k;
        EXPECT_FLOAT_EQ(v[k].u, expected[k][2]) << k;
        EXPECT_FLOAT_EQ(v[k].v, expected[k][3]) << k;
        EXPECT_EQ(v[k].diffuse, 0xFF00FF00u);
        EXPECT_EQ(v[k].rhw, 1.0f);
    }
    EXPECT_EQ(LastTexture(*rm_->GetDevice()), rec->texture);
}

TEST_F(ManagerTest, OriginMovesEveryQuad)
{
    DWORD id = Picture(L"p", 8, 8);
    rm_->SetOrigin(POINT { 200, 100 });
    RECT src { 2, 3, 6, 7 };
    rm_->DrawQuad(id, RECT { 0, 0, 4, 4 }, &src, 0xFFFFFFFF, 0.0f);
    auto v = LastVertices(*rm_->GetDevice());
    EXPECT_FLOAT_EQ(v[0].x, 199.5f);
    EXPECT_FLOAT_EQ(v[0].y, 99.5f);
    EXPECT_FLOAT_EQ(v[2].x, 203.5f);
    EXPECT_FLOAT_EQ(v[0].u, 0.25f);
    EXPECT_FLOAT_EQ(v[2].v, 0.875f);
    ClearScreen();
    rm_->DrawQuad(id, RECT { 0, 0, 4, 4 }, &src, 0xFFFFFFFF, 0.0f);
    EXPECT_EQ(Shown(200, 100), Opaque(2, 3));
    EXPECT_EQ(Shown(203, 103), Opaque(5, 6));
}

TEST_F(ManagerTest, TurnedQuadKeepsCornerOrderAndTurnsClockwise)
{
    // Top-left texel red, the rest blue.
    DWORD id = Picture(L"mark", 20, 10, [](int x, int y) { return x < 2 && y < 2 ? 0xFFFF0000u : 0xFF0000FFu; });
    rm_->DrawQuad(id, RECT { 0, 0, 20, 10 }, nullptr, 0xFFFFFFFF, float(M_PI / 2));
    auto v = LastVertices(*rm_->GetDevice());
    // Centre (10, 5): the top-left corner (0, 0) turns to (15, -5), top-right (20, 0) to (15, 15).
    const float corners[4][2] = { { 14.5f, -5.5f }, { 14.5f, 14.5f }, { 4.5f, 14.5f }, { 4.5f, -5.5f } };
    for (int k = 0; k < 4; ++k) {
        EXPECT_NEAR(v[k].x, corners[k][0], 1e-4) << k;
        EXPECT_NEAR(v[k].y, corners[k][1], 1e-4) << k;
    }
    EXPECT_FLOAT_EQ(v[1].u, 20.0f / 32.0f);
    EXPECT_FLOAT_EQ(v[3].v, 10.0f / 16.0f);
    ClearScreen();
    rm_->DrawQuad(id, RECT { 100, 100, 120, 110 }, nullptr, 0xFFFFFFFF, float(M_PI / 2));
    // Turned clockwise, the picture's top-left corner lies at the turned quad's top-right.
    EXPECT_EQ(Shown(114, 95), 0xFFFF0000u);
    EXPECT_EQ(Shown(105, 95), 0xFF0000FFu);
    EXPECT_EQ(Shown(105, 114), 0xFF0000FFu);
    EXPECT_EQ(Shown(103, 100), 0xFF000000u);
}

TEST_F(ManagerTest, TurnedQuadShowsTheSourcePartItWasGiven)
{
    DWORD id = Picture(L"halves", 16, 16, [](int x, int) { return x < 8 ? 0xFF00FF00u : 0xFFFF00FFu; });
    RECT right_half { 8, 0, 16, 16 };
    rm_->DrawQuad(id, RECT { 0, 0, 8, 16 }, &right_half, 0xFFFFFFFF, float(M_PI));
    EXPECT_EQ(Shown(4, 8), 0xFFFF00FFu);
}

TEST_F(ManagerTest, TintedBlendedAndClippedQuadOnTheFrame)
{
    DWORD id = Picture(L"white", 32, 32, [](int, int) { return 0xFFFFFFFFu; });
    ClearScreen(0xFF204060);
    D3DVIEWPORT9 clip { 10, 10, 20, 20, 0, 1 };
    ASSERT_EQ(rm_->GetDevice()->SetViewport(&clip), D3D_OK);
    rm_->DrawQuad(id, RECT { 0, 0, 32, 32 }, nullptr, 0x80FF0000, 0.0f);
    uint32_t inside = Shown(15, 15);
    EXPECT_NEAR(int(inside >> 16 & 0xFF), 0x20 + (0xFF - 0x20) * 128 / 255, 1);
    EXPECT_NEAR(int(inside >> 8 & 0xFF), 0x40 * 127 / 255, 1);
    EXPECT_NEAR(int(inside & 0xFF), 0x60 * 127 / 255, 1);
    EXPECT_EQ(Shown(9, 15) & 0xFFFFFF, 0x204060u);
    EXPECT_EQ(Shown(30, 15) & 0xFFFFFF, 0x204060u);
}

TEST_F(ManagerTest, ShrunkPicturesAreFilteredAndEnlargedOnesAreNot)
{
    DWORD id = Picture(L"checker", 4, 4, [](int x, int y) { return (x + y) % 2 ? 0xFFFFFFFFu : 0xFF000000u; });
    ClearScreen();
    rm_->DrawQuad(id, RECT { 0, 0, 2, 2 }, nullptr, 0xFFFFFFFF, 0.0f);
    EXPECT_NEAR(int(Shown(0, 0) & 0xFF), 128, 1);
    EXPECT_NEAR(int(Shown(1, 1) & 0xFF), 128, 1);
    rm_->DrawQuad(id, RECT { 10, 10, 22, 22 }, nullptr, 0xFFFFFFFF, 0.0f);
    for (int y = 10; y < 22; ++y)
        for (int x = 10; x < 22; ++x) {
            uint32_t p = Shown(x, y);
            ASSERT_TRUE(p == 0xFFFFFFFFu || p == 0xFF000000u) << x << "," << y;
        }
}

TEST_F(ManagerTest, FailedVertexBufferLockSkipsOnlyThatQuad)
{
    DWORD id = Picture(L"p", 4, 4);
    FailVertexBufferLock(1);
    rm_->DrawQuad(id, RECT { 0, 0, 4, 4 }, nullptr, 0xFFFFFFFF, 0.0f);
    EXPECT_EQ(DrawCount(*rm_->GetDevice()), 0);
    rm_->DrawQuad(id, RECT { 0, 0, 4, 4 }, nullptr, 0xFFFFFFFF, 0.0f);
    EXPECT_EQ(DrawCount(*rm_->GetDevice()), 1);
}

TEST_F(ManagerTest, IdsThatNameNoTextureDrawNothing)
{
    Picture(L"p", 4, 4);
    rm_->DrawQuad(rm_->GetTextureCount(), RECT { 0, 0, 4, 4 }, nullptr, 0xFFFFFFFF, 0.0f);
    rm_->DrawQuad(IMResourceManager::kNoTexture, RECT { 0, 0, 4, 4 }, nullptr, 0xFFFFFFFF, 0.0f);
    EXPECT_EQ(DrawCount(*rm_->GetDevice()), 0);
}

} // namespace
