#include "engine/controls/picture_factories.h"

IMStaticPictureBase<IMTextureView>* CreatePicture(
    IMDialogBase<IMEmptyView>* parent, int x, int y, const std::wstring& name, int layer, D3DCOLOR color)
{
    auto* picture = new IMStaticPictureBase<IMTextureView>(parent, layer);
    picture->SetPicture(name);
    picture->SetPos(x, y);
    picture->SetColor(color);
    picture->SetDirty(true);
    return picture;
}

IMButtonBase<IMStateView>* CreateButton(IMDialogBase<IMEmptyView>* parent, int x, int y, const std::wstring& normal,
    const std::wstring& disabled, const std::wstring& hover, const std::wstring& pressed, int layer)
{
    auto* button = new IMButtonBase<IMStateView>(parent, layer);
    button->SetPictures(normal, disabled, hover, pressed);
    button->SetPos(x, y);
    return button;
}

IMButtonBase<IMStateView>* CreateSkinButton(
    IMDialogBase<IMEmptyView>* parent, int x, int y, const std::wstring& base, int layer)
{
    return CreateButton(parent, x, y, base, base, base + L"Nuv", base + L"Klick", layer);
}
