#include "app/screens/labels.h"

#include "engine/controls/picture_factories.h"
#include "engine/resources/resource_manager.h"
#include "platform/resources/resources.h"

IMLabel* CreateLabel(IMDialog* parent, int x, int y, const std::wstring& text, int size, bool bold, D3DCOLOR colour)
{
    auto* label = new IMLabel(parent, 0);
    label->SetFontSize(size);
    label->SetColor(colour);
    label->SetBold(bold);
    label->SetText(text);
    label->SetRect(label->GetSrcRect());
    label->SetPos(x, y);
    return label;
}

IMLabel* CreateCentredLabel(IMDialog* parent, int y, const std::wstring& text, int size, bool bold, D3DCOLOR colour)
{
    IMLabel* label = CreateLabel(parent, 0, y, text, size, bold, colour);
    const RECT area = parent->GetRect();
    const RECT extent = label->GetSrcRect();
    label->SetPos((area.right - area.left) / 2 - (extent.right - extent.left) / 2, y);
    return label;
}

IMStaticPictureBase<IMTextureView>* CreateBlobPicture(IMDialog* parent, int x, int y, const char* name, int layer)
{
    const std::wstring wide(name, name + std::char_traits<char>::length(name));
    IMResourceManager* rm = IMResourceManager::Instance();
    const platform::Blob blob = platform::FindNamedBlob(name);
    const DWORD registered
        = rm && blob ? rm->AddTextureFromMemory(wide, blob.data, DWORD(blob.size)) : IMResourceManager::kNoTexture;
    auto* picture = CreatePicture(parent, x, y, wide, layer);
    // Without a registration there is no reference of ours to drop, only the picture's own.
    if (registered != IMResourceManager::kNoTexture)
        rm->ReleaseTexture(registered);
    return picture;
}
