// The exercise as the program runs it, from its start screen, driven through the main window's loop with keys and
// the mouse on the test clock; the workbook goes to a scratch data folder.
#pragma once

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "app/core/app.h"
#include "app/core/program.h"
#include "tests/app/screens/screen_run.h"
#include "tests/report/workbook_fixture.h"

class ExerciseRunTest : public WorkbookTest {
protected:
    void SetUp() override
    {
        WorkbookTest::SetUp();
        setenv("XDG_DATA_HOME", folder_.c_str(), 1);
        app_ = App::Instance(kExerciseCaption, false);
        run_.Adopt(app_->GetMainWindow());
        app_->ShowStartScreen();
        run_.RunFor(2);
    }
    void TearDown() override
    {
        if (app_)
            App::Release();
        WorkbookTest::TearDown();
    }

    // Name, Enter, and Esc as soon as the instruction has begun: the maze scene runs.
    void StartAs(const std::wstring& name)
    {
        run_.input.Type(name);
        PressKey(VK_RETURN);
        run_.RunFor(300);
        PressKey(VK_ESCAPE);
        run_.RunFor(5);
        ASSERT_NE(app_->GetCurrentSceneDialog(), nullptr);
    }
    void PressKey(UINT vk)
    {
        run_.input.KeyDown(vk);
        run_.input.KeyUp(vk);
    }
    void ClickAt(int x, int y)
    {
        run_.input.MoveTo(x, y);
        run_.input.Click();
    }

    ScreenRun run_ { false };
    App::IMApp* app_ = nullptr;
};
