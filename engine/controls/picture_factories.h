// The factories with which screens make their pictures and buttons: each control is made as a child of the
// parent dialog on the given layer (joining it at the next frame), shows its picture and takes its size at (x, y).
#pragma once

#include <string>

#include "engine/controls/button_base.h"
#include "engine/controls/dialog_base.h"
#include "engine/controls/static_picture_base.h"
#include "platform/d3d9/d3d9.h"

// Opaque white leaves the picture untinted.
IMStaticPictureBase<IMTextureView>* CreatePicture(IMDialogBase<IMEmptyView>* parent, int x, int y,
    const std::wstring& name, int layer = 0, D3DCOLOR color = 0xFFFFFFFFu);

// Names in the skin's pattern: base, base, base + "Nuv", base + "Klick"; an empty name shows the normal picture.
IMButtonBase<IMStateView>* CreateButton(IMDialogBase<IMEmptyView>* parent, int x, int y, const std::wstring& normal,
    const std::wstring& disabled, const std::wstring& hover, const std::wstring& pressed, int layer = 0);
// A button named in that pattern from its base name.
IMButtonBase<IMStateView>* CreateSkinButton(
    IMDialogBase<IMEmptyView>* parent, int x, int y, const std::wstring& base, int layer = 0);
