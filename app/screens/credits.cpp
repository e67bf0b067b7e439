#include "app/screens/credits.h"

#include <boost/bind/bind.hpp>

#include "engine/controls/picture_factories.h"
#include "platform/window/window.h"

namespace {

bool g_credits_open = false;

struct CreditLine {
    int y;
    int size;
    const wchar_t* text;
};

// The eight named lines name the team's roles; the headings are the screen's own.
constexpr CreditLine kLines[] = {
    { 18, 25, L"Пестромир" },
    { 90, 21, L"Авторы:" },
    { 110, 20, L"Методист курса" },
    { 130, 20, L"Автор сценария упражнения" },
    { 170, 21, L"Руководитель проекта:" },
    { 190, 20, L"Ведущий группы разработки" },
    { 230, 21, L"Программисты:" },
    { 250, 20, L"Разработчик игрового движка" },
    { 270, 20, L"Разработчик экранов и отчётов" },
    { 310, 21, L"Художник:" },
    { 330, 20, L"Художник лабиринта и героя" },
    { 370, 21, L"Дизайнер-аниматор:" },
    { 390, 20, L"Аниматор героя и роликов" },
    { 430, 21, L"Трёхмерная графика:" },
    { 450, 20, L"Художник трёхмерных сцен" },
};

// Undoes every show that opening needed, so the cursor is as visible as before.
long OnCreditsExit(const IMEvent&, int count, bool* open)
{
    for (int i = 0; i <= count; ++i)
        ShowCursor(FALSE);
    *open = false;
    return 0;
}

} // namespace

bool CreditsOpen()
{
    return g_credits_open;
}

IMDialog* ShowCredits(IMDialog* window)
{
    if (g_credits_open)
        return nullptr;
    int count = 0;
    for (int shown = ShowCursor(TRUE); shown <= 1; shown = ShowCursor(TRUE))
        ++count;
    g_credits_open = true;
    const RECT area = window->GetRect();
    IMDialog* credits = CreateDialog(window, 0, area.right - area.left, 0, area.bottom - area.top, 9999);
    CreatePicture(credits, 0, 0, L"DefaultBackGround")->SetRect(credits->GetRect());
    for (const CreditLine& line : kLines)
        CreateLabel(credits, 22, line.y, line.text, line.size);
    auto* exit = CreateButton(credits, 755, 22, L"ExitButton", L"", L"", L"");
    IMControl::ConnectClick(exit, [credits](const IMMouseEvent&) -> long {
        if (!credits->IsClosing())
            credits->Close();
        return 0;
    });
    IMControl::ConnectClosing(credits, boost::bind(&OnCreditsExit, boost::placeholders::_1, count, &g_credits_open));
    return credits;
}
