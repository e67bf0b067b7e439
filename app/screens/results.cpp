#include "app/screens/results.h"

#include "app/screens/labels.h"
#include "engine/controls/picture_factories.h"

namespace {

using Button = IMButtonBase<IMStateView>;

constexpr D3DCOLOR kGrey = 0xFF808080u;
// Labels stand at the left margin, their values after them.
constexpr int kLabelX = 30;
constexpr int kValueX = 135;

} // namespace

ResultsScreen BuildResultsScreen(IMDialog* window, const ResultsTexts& texts)
{
    auto* dialog = new IMDialog(window, nullptr, 0);
    CreatePicture(dialog, 0, 0, L"DefaultBackGround", 0, 0xFFFFFFFFu)->SetRect(dialog->GetRect());
    CreateCentredLabel(dialog, 10, L"мелунарий", 14);
    CreateCentredLabel(dialog, 35, L"Пестромир", 18, true);
    CreateCentredLabel(dialog, 150, L"ЗАДАНИЕ ВЫПОЛНЕНО", 24);
    CreateLabel(dialog, kLabelX, 250, L"Номер ЦОР:", 18, true);
    CreateLabel(dialog, kValueX, 250, texts.number, 18);
    CreateLabel(dialog, kLabelX, 300, L"Название:", 18, true);
    CreateLabel(dialog, kValueX, 300, texts.title, 18);
    CreateLabel(dialog, kLabelX, 350, L"Ученик:", 18, true);
    CreateLabel(dialog, kValueX, 350, texts.pupil, 18);
    CreateLabel(dialog, kLabelX, 465, L"Статистика:", 18, true);
    ResultsScreen screen { dialog, nullptr, nullptr, nullptr, nullptr, nullptr };
    screen.print = CreateSkinButton(dialog, 30, 490, L"PrintButton");
    screen.save_as = CreateSkinButton(dialog, 128, 490, L"SaveAsButton");
    screen.retry = CreateSkinButton(dialog, 535, 490, L"RetryButton");
    screen.close = CreateSkinButton(dialog, 660, 490, L"CloseButton");
    screen.exit = CreateButton(dialog, 755, 22, L"ExitButton", L"", L"", L"");
    return screen;
}

void GreyOut(Button* button)
{
    button->Disable();
    button->SetColor(kGrey);
    button->SetDirty(true);
}
