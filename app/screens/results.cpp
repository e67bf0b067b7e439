#include "app/screens/results.h"

#include "engine/controls/picture_factories.h"
#include "engine/controls/static_picture_base.h"
#include "engine/text/text_view.h"

namespace {

using IMDialog = IMDialogBase<IMEmptyView>;
using Label = IMStaticPictureBase<IMTextView>;
using Button = IMButtonBase<IMStateView>;

constexpr D3DCOLOR kTextColour = 0xFF072134u;
constexpr D3DCOLOR kGrey = 0xFF808080u;
// Labels stand at the left margin, their values after them.
constexpr int kLabelX = 30;
constexpr int kValueX = 135;

Label* AddText(IMDialog* dialog, const std::wstring& text, int32_t size, bool bold)
{
    auto* label = new Label(dialog, 0);
    label->SetFontSize(size);
    label->SetColor(kTextColour);
    if (bold)
        label->SetBold(true);
    label->SetText(text);
    label->SetRect(label->GetSrcRect());
    return label;
}

void AddTextAt(IMDialog* dialog, const std::wstring& text, int32_t size, bool bold, int x, int y)
{
    AddText(dialog, text, size, bold)->SetPos(x, y);
}

// Each half is truncated on its own, as the other screens centre their titles.
void AddCentredText(IMDialog* dialog, const std::wstring& text, int32_t size, bool bold, int y)
{
    Label* label = AddText(dialog, text, size, bold);
    const RECT area = dialog->GetRect();
    const RECT extent = label->GetSrcRect();
    label->SetPos((area.right - area.left) / 2 - (extent.right - extent.left) / 2, y);
}

Button* AddSkinButton(IMDialog* dialog, int x, int y, const std::wstring& name)
{
    return CreateButton(dialog, x, y, name, name, name + L"Nuv", name + L"Klick");
}

} // namespace

ResultsScreen BuildResultsScreen(IMDialog* window, const ResultsTexts& texts)
{
    auto* dialog = new IMDialog(window, nullptr, 0);
    CreatePicture(dialog, 0, 0, L"DefaultBackGround", 0, 0xFFFFFFFFu)->SetRect(dialog->GetRect());
    AddCentredText(dialog, L"мелунарий", 14, false, 10);
    AddCentredText(dialog, L"Пестромир", 18, true, 35);
    AddCentredText(dialog, L"ЗАДАНИЕ ВЫПОЛНЕНО", 24, false, 150);
    AddTextAt(dialog, L"Номер ЦОР:", 18, true, kLabelX, 250);
    AddTextAt(dialog, texts.number, 18, false, kValueX, 250);
    AddTextAt(dialog, L"Название:", 18, true, kLabelX, 300);
    AddTextAt(dialog, texts.title, 18, false, kValueX, 300);
    AddTextAt(dialog, L"Ученик:", 18, true, kLabelX, 350);
    AddTextAt(dialog, texts.pupil, 18, false, kValueX, 350);
    AddTextAt(dialog, L"Статистика:", 18, true, kLabelX, 465);
    ResultsScreen screen { dialog, nullptr, nullptr, nullptr, nullptr, nullptr };
    screen.print = AddSkinButton(dialog, 30, 490, L"PrintButton");
    screen.save_as = AddSkinButton(dialog, 128, 490, L"SaveAsButton");
    screen.retry = AddSkinButton(dialog, 535, 490, L"RetryButton");
    screen.close = AddSkinButton(dialog, 660, 490, L"CloseButton");
    screen.exit = CreateButton(dialog, 755, 22, L"ExitButton", L"", L"", L"");
    return screen;
}

void GreyOut(Button* button)
{
    button->Disable();
    button->SetColor(kGrey);
    button->SetDirty(true);
}
