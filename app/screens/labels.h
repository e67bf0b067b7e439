// Text labels and sizes shared by the screens around the game.
#pragma once

#include <string>

#include "engine/controls/dialog_base.h"
#include "engine/controls/static_picture_base.h"
#include "engine/text/text_view.h"
#include "engine/views/texture_view.h"

using IMDialog = IMDialogBase<IMEmptyView>;
using IMLabel = IMStaticPictureBase<IMTextView>;

// The back buffer every screen covers.
constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;
// The dark blue of the screens' texts.
constexpr D3DCOLOR kTextColour = 0xFF072134u;

// A label in the default face on layer 0 of parent, sized to its text, with its top-left corner at (x, y).
IMLabel* CreateLabel(IMDialog* parent, int x, int y, const std::wstring& text, int size, bool bold = false,
    D3DCOLOR colour = kTextColour);
// The same, centred across the parent's width: x := width / 2 - text width / 2, each half truncated.
IMLabel* CreateCentredLabel(
    IMDialog* parent, int y, const std::wstring& text, int size, bool bold = false, D3DCOLOR colour = kTextColour);

// A picture of the PNG blob embedded under name. The blob's texture is registered for this picture only: the
// registration's own reference is dropped at once, so the texture lives exactly as long as a picture shows it.
IMStaticPictureBase<IMTextureView>* CreateBlobPicture(IMDialog* parent, int x, int y, const char* name, int layer = 0);
