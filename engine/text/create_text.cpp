#include "engine/text/create_text.h"

IMStaticPictureBase<IMTextView>* CreateText(
    IMDialogBase<IMEmptyView>* parent, int x, int y, const std::wstring& text, int layer)
{
    auto* label = new IMStaticPictureBase<IMTextView>(parent, layer);
    label->SetText(text);
    label->SetRect(label->GetSrcRect());
    label->SetPos(x, y);
    return label;
}
