#include "app/screens/labels.h"

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
