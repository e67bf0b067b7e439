#include "app/screens/start_screen.h"

#include <algorithm>

#include <boost/bind/bind.hpp>

#include "engine/controls/picture_factories.h"
#include "widgets/edit_bar.h"
#include "widgets/scroll.h"

namespace {

// The frame that clips the description, in the pop-up.
constexpr RECT kDescriptionFrame { 119, 187, 119 + 593, 187 + 236 };
constexpr RECT kScrollBar { 712, 187, 726, 427 };

void ClampScroll(IMScroll* bar)
{
    bar->position = std::clamp(bar->position, bar->min, std::max(bar->min, bar->max - bar->page));
    bar->Layout();
}

// The description wraps inside the frame's width; the panel takes the text's height, the bar scrolls the rest.
IMDialog* BuildDescription(IMDialog* popup, const std::wstring& text, IMScroll** scroll)
{
    const int width = kDescriptionFrame.right - kDescriptionFrame.left;
    const int frame_height = kDescriptionFrame.bottom - kDescriptionFrame.top;
    IMDialog* frame = CreateDialog(popup, kDescriptionFrame.left, width, kDescriptionFrame.top, frame_height, 0);
    IMDialog* panel = CreateDialog(frame, 0, width, 0, frame_height, 0);
    auto* label = new IMLabel(panel, 0);
    label->SetFontSize(18);
    label->SetColor(kTextColour);
    label->SetRect(RECT { 0, 0, width, 415 });
    label->wordWrap = true;
    label->Layout(0);
    label->SetText(text);
    const RECT extent = label->GetSrcRect();
    label->SetRect(RECT { 0, 0, extent.right - extent.left, extent.bottom - extent.top });
    const int text_height = extent.bottom - extent.top;
    const int height = text_height == 0 ? 235 : text_height;
    panel->SetRect(RECT { 0, 0, width, height });

    IMScroll* bar = new IMScroll(popup, &kScrollBar);
    if (text_height <= frame_height)
        bar->Hide();
    bar->min = 0;
    bar->max = height;
    ClampScroll(bar);
    bar->page = frame_height;
    ClampScroll(bar);
    bar->ConnectPositionChanged(boost::bind(&ScrollDescription, boost::placeholders::_2, panel));
    *scroll = bar;
    return panel;
}

} // namespace

StartScreen BuildStartScreen(IMDialog* window, const StartScreenTexts& texts, bool with_options,
    const std::function<void(const StartScreen&)>& connect_keys)
{
    StartScreen screen;
    IMDialog* popup = screen.popup = new IMDialog(window, nullptr, 0);
    CreatePicture(popup, 0, 0, L"DefaultBackGround")->SetRect(popup->GetRect());
    CreateCentredLabel(popup, 10, L"мелунарий", 14);
    CreateCentredLabel(popup, 35, L"Пестромир", 18, true);
    CreateLabel(popup, 30, 115, L"Номер ЦОР:", 18, true);
    CreateLabel(popup, 135, 115, texts.catalogue_number, 18);
    CreateLabel(popup, 30, 152, L"Название:", 18, true);
    CreateLabel(popup, 135, 152, texts.title, 18);
    CreateLabel(popup, 30, 188, L"Описание:", 18, true);
    screen.description = BuildDescription(popup, texts.description, &screen.scroll);
    CreateLabel(popup, 30, 460, L"Ученик:", 18, true);
    screen.name = new IMEditBar(popup);
    screen.name->SetRect(RECT { 0, 0, 520, 20 });
    screen.name->SetPos(135, 460);
    screen.name->SetFocus(true);
    screen.start = CreateSkinButton(popup, 690, 450, L"StartPopStartButton");
    screen.exit = CreateButton(popup, 755, 22, L"ExitButton", L"", L"", L"");
    if (connect_keys)
        connect_keys(screen);
    CreateLabel(popup, 30, 520, L"Клавиши:", 18, true);
    CreatePicture(popup, 135, 517, L"EscButton");
    CreateLabel(popup, 180, 520, L"- пропустить инструкцию;", 16);
    CreatePicture(popup, 350, 517, L"F1Button");
    CreateLabel(popup, 395, 520, L"- повторить инструкцию;", 16);
    CreatePicture(popup, 555, 517, L"F12Button");
    CreateLabel(popup, 600, 520, L"- выход", 16);
    if (with_options)
        screen.options = CreateSkinButton(popup, 665, 510, L"OptionsButton");
    return screen;
}

long ScrollDescription(int position, IMDialog* panel)
{
    RECT rect = panel->GetRect();
    rect.top = -position;
    panel->SetRect(rect);
    return 0;
}

std::wstring NameFieldText(IMEditBar* bar)
{
    return bar ? bar->GetText() : std::wstring();
}
