#include <algorithm>
#include <string>
#include <vector>

#include "assets/embedded_assets.h"
#include "engine/resources/skin_pictures.h"
#include "engine/resources/skin_textures.h"
#include "tests/engine/resources/textures/texture_fixture.h"
#include "tests/support/own_folder.h"

namespace {

using namespace platform::headless;

constexpr int kFrameWidth = 800;
constexpr int kFrameHeight = 600;
constexpr int kMargin = 10;

// The manager as the program starts it: embedded assets first, then the graphics.
class SkinTest : public TextureTest {
protected:
    void SetUp() override
    {
        RegisterEmbeddedAssets();
        TextureTest::SetUp();
    }
};

// The picture size written in a PNG's header.
SIZE PngSize(const platform::Blob& png)
{
    auto word = [&](size_t at) {
        return LONG(png.data[at]) << 24 | LONG(png.data[at + 1]) << 16 | LONG(png.data[at + 2]) << 8
            | LONG(png.data[at + 3]);
    };
    return png.size >= 24 ? SIZE { word(16), word(20) } : SIZE { 0, 0 };
}

int PowerOfTwoAtLeast(int side)
{
    int p = 1;
    while (p < side)
        p <<= 1;
    return p;
}

TEST_F(SkinTest, StartUpRegistersEverySkinInOrderAtItsSizeAndShutDownReleasesThemInOrder)
{
    ASSERT_EQ(rm_->GetTextureCount(), kSkinPictureNames.size());
    const auto skins = SkinPictures();
    for (DWORD id = 0; id < skins.size(); ++id) {
        const IMTexture* t = rm_->GetTextureRecord(id);
        ASSERT_NE(t, nullptr) << id;
        SCOPED_TRACE(std::string(kSkinPictureNames[id]));
        EXPECT_EQ(t->name, skins[id].name);
        EXPECT_EQ(rm_->FindTexture(skins[id].name), id);
        EXPECT_EQ(t->ref_count, 1);
        const SIZE size = PngSize(skins[id].png);
        EXPECT_EQ(t->image_rect.right, size.cx);
        EXPECT_EQ(t->image_rect.bottom, size.cy);
        EXPECT_EQ(t->texture_width, PowerOfTwoAtLeast(size.cx));
        EXPECT_EQ(t->texture_height, PowerOfTwoAtLeast(size.cy));
        EXPECT_FALSE(t->pixel_copy.empty());
    }

    ReleaseSkinTextures(*rm_);
    for (DWORD id = 0; id < skins.size(); ++id)
        EXPECT_EQ(rm_->GetTextureRecord(id), nullptr) << id;
    // Freed ids are taken again last freed first, so new textures come back in the reverse release order.
    for (DWORD k = 0; k < skins.size(); ++k)
        EXPECT_EQ(Picture(L"new" + std::to_wstring(k), 1, 1), DWORD(skins.size() - 1 - k));
}

// Where each skin goes on the contact sheet: a flow of cells, small pieces enlarged, the backdrop shrunk.
SIZE ShownSize(const IMTexture& t)
{
    const LONG w = t.image_rect.right, h = t.image_rect.bottom;
    if (std::max(w, h) > kFrameWidth / 2)
        return { w / 4, h / 4 };
    const LONG scale = std::clamp<LONG>(32 / std::max(w, h), 1, 8);
    return { w * scale, h * scale };
}

std::vector<RECT> LayOut(const IMResourceManager& rm)
{
    std::vector<RECT> cells;
    LONG x = kMargin, y = kMargin, row = 0;
    for (DWORD id = 0; id < kSkinPictureNames.size(); ++id) {
        const SIZE size = ShownSize(*rm.GetTextureRecord(id));
        if (x + size.cx > kFrameWidth - kMargin) {
            x = kMargin;
            y += row + kMargin;
            row = 0;
        }
        cells.push_back(RECT { x, y, x + size.cx, y + size.cy });
        x += size.cx + kMargin;
        row = std::max(row, size.cy);
    }
    return cells;
}

// Two greys in 8-pixel squares, so that transparent edges show.
void ClearToChecker(IDirect3DDevice9* device)
{
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF9C9C9Cu, 1.0f, 0);
    std::vector<RECT> squares;
    for (LONG y = 0; y < kFrameHeight; y += 8)
        for (LONG x = (y / 8) % 2 * 8; x < kFrameWidth; x += 16)
            squares.push_back({ x, y, x + 8, y + 8 });
    device->Clear(DWORD(squares.size()), squares.data(), D3DCLEAR_TARGET, 0xFF707070u, 1.0f, 0);
}

TEST_F(SkinTest, ContactSheetOfTheEmbeddedSkin)
{
    IDirect3DDevice9* device = rm_->GetDevice();
    const std::vector<RECT> cells = LayOut(*rm_);
    ASSERT_LE(cells.back().bottom, kFrameHeight - kMargin) << "the whole skin fits on one sheet";
    const int draws = DrawCount(*device);
    ClearToChecker(device);
    for (DWORD id = 0; id < cells.size(); ++id)
        rm_->DrawQuad(id, cells[id], nullptr, 0xFFFFFFFFu, 0.0f);
    device->Present(nullptr, nullptr, nullptr, nullptr);
    EXPECT_TRUE(presenter_.SavePng(testing_support::PicturePath("skins_contact_sheet")));

    EXPECT_EQ(DrawCount(*device) - draws, int(kSkinPictureNames.size()));
    auto shown = [&](std::string_view name, LONG dy = 0) {
        const RECT& cell = cells[rm_->FindTexture(std::wstring(name.begin(), name.end()))];
        return presenter_.Pixel((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2 + dy);
    };
    EXPECT_EQ(shown("DefaultBackGround"), 0xFFE5E6E6u);
    EXPECT_EQ(shown("DefaultBackGround", -70), 0xFFD8D9D9u) << "the band over the top";
    EXPECT_EQ(shown("EditBarKaretka"), 0xFF000000u);
    EXPECT_EQ(shown("EditBarBackGround"), 0xFFFFFFFFu);
}

} // namespace
