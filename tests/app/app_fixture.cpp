#include "tests/app/app_fixture.h"

#include <cstdlib>
#include <ctime>

#include "assets/embedded_assets.h"
#include "engine/resources/resource_manager.h"
#include "platform/time/wall_clock.h"
#include "tests/support/own_folder.h"
#include "tests/support/run_until.h"
#include "widgets/edit_bar.h"

void AppTest::SetUp()
{
    WorkbookTest::SetUp();
    setenv("XDG_DATA_HOME", folder_.c_str(), 1);
    setenv("TZ", "UTC", 1);
    tzset();
    platform::PinWallClock(kPinnedStart);
    RegisterEmbeddedAssets();
    sound_.Start(input_);
    app_ = static_cast<App*>(App::Instance(kExerciseCaption, false));
    window_ = app_->GetMainWindow();
    app_->ShowStartScreen();
    RunFor(1);
}

void AppTest::TearDown()
{
    if (app_)
        App::Release();
    WorkbookTest::TearDown();
}

void AppTest::RunFor(DWORD ms)
{
    input_.QuitAfter(ms);
    IMWindow::Run(window_);
}

bool AppTest::RunUntil(const std::function<bool()>& condition, DWORD limit_ms)
{
    return RunLoopUntil(window_, window_, clock_, condition, limit_ms, &held_at_);
}

void AppTest::Press(UINT vk)
{
    input_.KeyDown(vk);
    input_.KeyUp(vk);
    RunFor(1);
}

// A move from elsewhere first, so the control under the point is found again even when the pointer was there.
void AppTest::ClickAt(int x, int y)
{
    input_.MoveTo(0, 599);
    RunFor(1);
    input_.MoveTo(x, y);
    RunFor(1);
    input_.Click();
    RunFor(1);
}

void AppTest::StartWithName(const std::wstring& name)
{
    ClickAt(200, 470); // into the name field, which takes the keys
    input_.Type(name);
    RunFor(1);
    input_.Type(L"\r");
    RunFor(1);
    started_at_ = clock_.Milliseconds();
}

void AppTest::LeaveHelpPage()
{
    ASSERT_TRUE(RunUntil([this] { return !Screens().empty() && !PicturesOf(Screens().back(), L"KEYSPACE").empty(); }));
    Press(VK_SPACE);
    RunFor(1);
}

void AppTest::StartGame(const std::wstring& name)
{
    StartWithName(name);
    Press(VK_ESCAPE);
    RunFor(1);
}

std::vector<IMDialog*> AppTest::Screens(int layer) const
{
    std::vector<IMDialog*> screens;
    for (IMControl* child : window_->LiveChildren())
        if (auto* dialog = dynamic_cast<IMDialog*>(child); dialog && window_->FindLayer(child) == layer)
            screens.push_back(dialog);
    return screens;
}

std::vector<Picture*> AppTest::PicturesOf(IMDialog* dialog, const std::wstring& texture) const
{
    std::vector<Picture*> found;
    for (IMControl* child : dialog->LiveChildren()) {
        if (auto* inner = dynamic_cast<IMDialog*>(child)) {
            for (Picture* p : PicturesOf(inner, texture))
                found.push_back(p);
        } else if (auto* picture = dynamic_cast<Picture*>(child)) {
            const IMTexture* record = IMResourceManager::Instance()->GetTextureRecord(picture->GetTextureId());
            if (record && record->name == texture)
                found.push_back(picture);
        }
    }
    return found;
}

IMDialog* AppTest::StartScreenShown() const
{
    for (IMDialog* screen : Screens())
        for (IMControl* child : screen->LiveChildren())
            if (!screen->IsClosing() && dynamic_cast<IMEditBar*>(child))
                return screen;
    return nullptr;
}

std::filesystem::path AppTest::WorkbookPath() const
{
    return folder_ / "TIRQ" / "04271 Игра «Тумбилиада».xls";
}

Rows AppTest::StoredRows(const std::wstring& pupil) const
{
    return SheetRows(*ParseStrictly(ReadBytes(WorkbookPath())), pupil);
}

Rows AppTest::StoredTypes(const std::wstring& pupil) const
{
    return SheetTypes(*ParseStrictly(ReadBytes(WorkbookPath())), pupil);
}

void AppTest::Snapshot(const std::string& name) const
{
    EXPECT_TRUE(presenter_.SavePng(testing_support::PicturePath(name)));
}
