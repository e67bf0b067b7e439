#include "app/screens/exit_dialog.h"

#include "engine/controls/picture_factories.h"

namespace {

constexpr int kPanelWidth = 136;
constexpr int kPanelHeight = 200;
// The caret's black picture, tinted to a black veil of alpha 75.
constexpr D3DCOLOR kVeil = 0x4B000096u;

void SizedPicture(IMDialog* parent, const wchar_t* name, int x, int y, int width, int height, D3DCOLOR tint)
{
    auto* picture = CreatePicture(parent, 0, 0, name, 0, tint);
    picture->SetSize(width, height);
    picture->SetPos(x, y);
    picture->SetDirty(true);
}

void ConnectAction(IMControl* button, std::function<void()> action)
{
    IMControl::ConnectClick(button, [action](const IMMouseEvent&) -> long {
        if (action)
            action();
        return 0;
    });
}

} // namespace

IMDialog* BuildExitDialog(IMDialog* window, ExitDialogActions actions)
{
    IMDialog* overlay = CreateDialog(window, 0, kScreenWidth, 0, kScreenHeight, 1099);
    SizedPicture(overlay, L"EditBarKaretka", 0, 0, kScreenWidth, kScreenHeight, kVeil);
    IMDialog* panel = CreateDialog(overlay, 0, kScreenWidth, 0, kScreenHeight, 1);
    const int left = (kScreenWidth - kPanelWidth) / 2;
    const int top = (kScreenHeight - kPanelHeight) / 2;
    panel->SetRect(RECT { left, top, left + kPanelWidth, top + kPanelHeight });
    CreatePicture(panel, 0, 0, L"DefaultBackGround")->SetRect(RECT { 0, -100, kPanelWidth, 300 });
    ConnectAction(CreateSkinButton(panel, 10, 20, L"RetryButton"), std::move(actions.retry));
    ConnectAction(CreateSkinButton(panel, 10, 80, L"CloseButton"), std::move(actions.close));
    ConnectAction(CreateSkinButton(panel, 10, 140, L"CancelButton"), std::move(actions.cancel));
    const D3DCOLOR plain = 0xFFFFFFFFu;
    SizedPicture(panel, L"EditBarKaretka", 0, 0, 1, kPanelHeight, plain);
    SizedPicture(panel, L"EditBarKaretka", 0, 0, kPanelWidth, 1, plain);
    SizedPicture(panel, L"EditBarKaretka", kPanelWidth - 1, 0, 1, kPanelHeight, plain);
    SizedPicture(panel, L"EditBarKaretka", 0, kPanelHeight - 1, kPanelWidth, 1, plain);
    return overlay;
}
