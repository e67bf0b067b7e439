// The instance, the chain of scenes and the statistics rows.
#include "app/core/im_app.h"

#include <ctime>
#include <iterator>

#include <boost/bind/bind.hpp>

#include "engine/window/window.h"
#include "platform/system/crt_random.h"
#include "platform/time/wall_clock.h"

IMApp<App>::IMApp()
{
    if (!instance_)
        instance_ = this;
}

IMApp<App>::~IMApp()
{
    if (instance_ == this)
        instance_ = nullptr;
}

IMApp<App>* IMApp<App>::Instance(const std::wstring& caption, bool windowed)
{
    if (!instance_) {
        IMApp* app = NewExercise();
        const RECT rect { 0, 0, 800, 600 };
        try {
            app->main_window_ = IMWindow::Create(nullptr, &rect, caption, windowed, nullptr);
        } catch (...) {
            delete app;
            throw;
        }
        app->ConnectGlobalKeys();
        app->caption_ = caption;
        app->RegisterScenes();
        platform::SeedRandom(uint32_t(std::time(nullptr)));
    }
    ++use_count_;
    return instance_;
}

IMApp<App>* IMApp<App>::GetInstance()
{
    return instance_ ? instance_ : Instance(L"Application", true);
}

// The last save is made here when nothing made it yet, whatever ended the message loop: the window manager's
// close and the termination signals end it without the window's closing signal.
void IMApp<App>::Release()
{
    if (use_count_ > 0)
        --use_count_;
    IMApp* app = instance_;
    if (use_count_ > 0 || !app)
        return;
    app->SaveReport();
    delete app->main_window_;
    app->main_window_ = nullptr;
    app->report_.reset();
    delete app;
}

void IMApp<App>::SetInfo(
    const std::wstring& catalogue_number, const std::wstring& title, const std::wstring& description)
{
    catalogue_number_ = catalogue_number;
    title_ = title;
    description_ = description;
}

void IMApp<App>::RegisterScene(const std::wstring& name, SceneBuilder builder)
{
    if (name.empty())
        return;
    scenes_.emplace(name, std::move(builder));
    if (current_scene_name_.empty())
        SelectScene(name);
}

void IMApp<App>::SelectScene(const std::wstring& name)
{
    if (scenes_.contains(name))
        current_scene_name_ = name;
}

long IMApp<App>::RunNextScene()
{
    if (main_window_ && main_window_->IsLocked())
        return 0;
    ShowCursor(TRUE);
    if (current_scene_name_.empty()) {
        AddStatistic(
            L"Количество дополнительных вызовов инструкций", std::to_wstring(extra_instruction_calls_), L"Number");
        AddStatistic(L"Общее время работы с упражнением. с.",
            std::to_wstring(platform::WallSeconds() - scene_start_time_), L"Number");
        if (report_)
            report_->AddEmptyRow();
        ShowResults();
        return 0;
    }
    scene_start_time_ = platform::WallSeconds();
    AddStatistic(L"Время начала работы с упражнением", platform::FormatLocalTime(scene_start_time_, "%d-%B-%Y %H:%M"),
        L"String");
    extra_instruction_calls_ = 0;
    const auto scene = scenes_.find(current_scene_name_);
    if (scene == scenes_.end())
        return 0;
    Dialog* dialog = new Dialog(main_window_, nullptr, 0);
    current_scene_dialog_ = dialog;
    dialog->SetFocus(true);
    IMControl::ConnectClosing(dialog, [this, dialog](const IMEvent&) -> long {
        if (current_scene_dialog_ == dialog)
            current_scene_dialog_ = nullptr;
        return 0;
    });
    IMControl::ConnectClosing(dialog, boost::bind(&IMApp::RunNextScene, this));
    const auto next = std::next(scene);
    current_scene_name_ = next == scenes_.end() ? std::wstring() : next->first;
    // A copy: the builder may register scenes.
    const SceneBuilder builder = scene->second;
    builder(dialog);
    return 0;
}

void IMApp<App>::AddStatistic(const std::wstring& label, const std::wstring& value, const std::wstring& type)
{
    if (report_)
        report_->AddRow(label, value, type);
}

int IMApp<App>::Restart()
{
    ClosePopup();
    Dialog* scene = current_scene_dialog_;
    if (!scene)
        return 1;
    scene->Close();
    current_scene_name_ = scenes_.empty() ? std::wstring() : scenes_.begin()->first;
    current_scene_dialog_ = nullptr;
    ShowStartScreen();
    return 0;
}

long IMApp<App>::ClosePopup()
{
    if (Dialog* popup = current_popup_) {
        current_popup_ = nullptr;
        popup->Hide();
        popup->Close();
    }
    return 0;
}

long IMApp<App>::ShowOptions(OptionsFiller filler)
{
    Dialog* dialog = new Dialog(main_window_, nullptr, 0);
    dialog->SetFocus(true);
    if (filler)
        filler(dialog);
    return 0;
}
