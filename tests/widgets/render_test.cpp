#include <filesystem>

#include "engine/controls/picture_factories.h"
#include "tests/support/own_folder.h"
#include "tests/widgets/widget_fixture.h"
#include "widgets/edit_bar.h"
#include "widgets/list.h"
#include "widgets/scroll.h"

namespace {

// Every widget drawn once into a PNG beside the test, so they can be looked at.
TEST_F(WidgetTest, WidgetsRenderToAPicture)
{
    CreatePicture(window_, 0, 0, L"DefaultBackGround")->SetSize(800, 600);
    auto* bar = new IMEditBar(window_);
    bar->SetRect(RECT { 40, 40, 340, 64 });
    const int sliders[] = { 0, 82, 164 };
    for (int i = 0; i < 3; ++i) {
        const RECT r { 400 + 40 * i, 40, 414 + 40 * i, 280 };
        auto* scroll = new IMScroll(window_, &r);
        scroll->max = 400;
        scroll->page = 236;
        scroll->SetPosition(sliders[i]);
        scroll->Layout();
    }
    auto* list = new IMList(window_);
    list->SetRect(RECT { 40, 120, 340, 220 });
    for (const wchar_t* name : { L"Кабинет информатики", L"Учительская", L"Библиотека" })
        list->AddItem(name);
    list->Select(list->GetItems()[1]);
    RunFor(2);
    ClickAt(100, 50);
    input_.Type(L"Ёлкина Маша");
    RunFor(5);

    const RECT caret = bar->GetEdit()->GetCaretPicture()->GetRect();
    EXPECT_EQ(Pixel(40 + caret.left, 40 + caret.top + 8), kBlackPixel);
    const auto png = testing_support::PicturePath("widgets");
    ASSERT_TRUE(presenter_.SavePng(png.string()));
    EXPECT_GT(std::filesystem::file_size(png), 1000u);
}

} // namespace
