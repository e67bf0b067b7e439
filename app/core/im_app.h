// The application frame, parameterised by the exercise class: the one process-wide instance, the named scenes
// that fill a dialog, and the statistics rows that go into the report workbook.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>

#include <boost/function.hpp>

#include "engine/controls/dialog_base.h"
#include "platform/signals.h"
#include "report/report.h"

template <class T> class IMApp : public im::Trackable {
public:
    using Dialog = IMDialogBase<IMEmptyView>;
    // Fills the given, empty scene dialog.
    using SceneBuilder = boost::function<void(Dialog*)>;

    // Creates the instance on the first call and counts a user on every call; a later call ignores its arguments.
    static IMApp* Instance(const std::wstring& caption, bool windowed);
    // The instance; created as a windowed "Application" when none exists, without counting a user otherwise.
    static IMApp* GetInstance();

    virtual ~IMApp();

    IMApp(const IMApp&) = delete;
    IMApp& operator=(const IMApp&) = delete;

    virtual void RegisterScenes() { }
    // The praise pop-up without an Exit picture, shown after the goal.
    virtual void ShowPraiseNoExit(int x, int y) { (void)x, (void)y; }

    // An empty name is ignored, and a name already present keeps its first builder. The first name registered
    // becomes the current scene.
    void RegisterScene(const std::wstring& name, SceneBuilder builder);
    // A name that is not registered changes nothing.
    void SelectScene(const std::wstring& name);
    const std::wstring& GetCurrentSceneName() const { return current_scene_name_; }

    // One row of the pupil's sheet (type "Number" or "String"); dropped when no report exists.
    void AddStatistic(const std::wstring& label, const std::wstring& value, const std::wstring& type);
    // Null when no report exists.
    IMReport* GetReport() const { return report_.get(); }
    void SetReport(std::unique_ptr<IMReport> report) { report_ = std::move(report); }

    const std::wstring& GetCaption() const { return caption_; }

protected:
    // The first instance made becomes the singleton.
    IMApp();

private:
    static inline IMApp* instance_ = nullptr;
    static inline int use_count_ = 0;

    std::wstring current_scene_name_;
    std::map<std::wstring, SceneBuilder> scenes_;
    std::unique_ptr<IMReport> report_;
    std::wstring caption_;
};

template <class T> IMApp<T>::IMApp()
{
    if (!instance_)
        instance_ = this;
}

template <class T> IMApp<T>::~IMApp()
{
    if (instance_ == this)
        instance_ = nullptr;
}

template <class T> IMApp<T>* IMApp<T>::Instance(const std::wstring& caption, bool windowed)
{
    (void)windowed;
    if (!instance_) {
        IMApp* app = new T();
        app->caption_ = caption;
        app->RegisterScenes();
    }
    ++use_count_;
    return instance_;
}

template <class T> IMApp<T>* IMApp<T>::GetInstance()
{
    return instance_ ? instance_ : Instance(L"Application", true);
}

template <class T> void IMApp<T>::RegisterScene(const std::wstring& name, SceneBuilder builder)
{
    if (name.empty())
        return;
    scenes_.emplace(name, std::move(builder));
    if (current_scene_name_.empty())
        SelectScene(name);
}

template <class T> void IMApp<T>::SelectScene(const std::wstring& name)
{
    if (scenes_.contains(name))
        current_scene_name_ = name;
}

template <class T>
void IMApp<T>::AddStatistic(const std::wstring& label, const std::wstring& value, const std::wstring& type)
{
    if (report_)
        report_->AddRow(label, value, type);
}
