// The application frame, parameterised by the exercise class: the one process-wide instance and its main window,
// the chain of named scenes that fill a dialog, the statistics rows that go into the report workbook, the global
// keys (F1, F12, Ctrl+I) and the screens around the scenes. The program has one exercise class, so the frame is
// written as the specialisation for it: its members are ordinary definitions in app/core/im_app*.cpp.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <boost/function.hpp>
#include <boost/signals2/shared_connection_block.hpp>

#include "engine/controls/button_base.h"
#include "engine/controls/dialog_base.h"
#include "engine/views/state_view.h"
#include "platform/signals.h"
#include "report/report.h"

class App;
class IMWindow;
class IMEditBar;

template <class T> class IMApp;

template <> class IMApp<App> : public im::Trackable {
public:
    using Dialog = IMDialogBase<IMEmptyView>;
    // Fills the given, empty scene dialog.
    using SceneBuilder = boost::function<void(Dialog*)>;
    using OptionsFiller = boost::function<void(Dialog*)>;

    // Creates the instance and its main window on the first call and counts a user on every call; a later call
    // ignores its arguments. Throws what the window's start-up throws, leaving no instance behind.
    static IMApp* Instance(const std::wstring& caption, bool windowed);
    // The instance; created as a windowed "Application" when none exists, without counting a user otherwise.
    static IMApp* GetInstance();
    // Gives up one use; the last one saves the report, then deletes the main window, the report and the instance.
    static void Release();

    virtual ~IMApp();

    IMApp(const IMApp&) = delete;
    IMApp& operator=(const IMApp&) = delete;

    // 0 when a running scene was abandoned and the start screen shown again, 1 when there was nothing to restart.
    virtual int Restart();
    virtual void RegisterScenes() { }
    virtual void ShowStartScreen();
    // The results screen, shown when the chain of scenes has ended; the chain is set back to its first scene.
    virtual void ShowResults();
    // The praise pop-up whose Exit picture closes the target dialog.
    virtual void ShowPraise(Dialog* target);
    // The praise pop-up without an Exit picture, shown after the goal; its clip's end closes the running scene.
    virtual void ShowPraiseNoExit(int x, int y);
    // Fills the dialog with the instruction; here the generic help page, which closes itself after five seconds.
    virtual void ShowInstruction(Dialog* dialog);
    // F12 opens the exit dialog.
    virtual long OnKey(const IMKeyboardEvent& ev);
    // A Start begins a new run: what the exercise counts per run starts again from nothing.
    virtual void BeginRun() { }

    void SetInfo(const std::wstring& catalogue_number, const std::wstring& title, const std::wstring& description);
    void SetPupilName(const std::wstring& name) { pupil_name_ = name; }

    // An empty name is ignored, and a name already present keeps its first builder. The first name registered
    // becomes the current scene.
    void RegisterScene(const std::wstring& name, SceneBuilder builder);
    // A name that is not registered changes nothing.
    void SelectScene(const std::wstring& name);
    // Starts the current scene in a new dialog, or, when none is left, writes the closing rows and shows the
    // results. Runs whenever the start instruction or a scene dialog ends.
    long RunNextScene();

    // One row of the pupil's sheet (type "Number" or "String"); dropped when no report exists.
    void AddStatistic(const std::wstring& label, const std::wstring& value, const std::wstring& type);

    // The handlers of the main window's key-down signal, in the order they are connected.
    long OnHelpKey(const IMKeyboardEvent& ev);
    long OnCreditsKey(const IMKeyboardEvent& ev);
    // Enter pressed on the start pop-up acts as its Start button; a held Enter acts once.
    long OnNameEnter(const IMKeyboardEvent& ev, IMButtonBase<IMStateView>* button, Dialog* popup, IMEditBar* bar);
    // The Start button: report, name, instruction, and the start pop-up closes.
    long OnStart(Dialog* popup, IMEditBar* bar);
    // Opens the start instruction; its end starts the first scene.
    long BeginInstruction();
    // Saves the report held so far, which is kept until its run is stored when that save fails; then, for a
    // non-empty name, opens the workbook on the pupil's sheet. The reports are saved whenever the main window
    // closes.
    long CreateReport(const std::wstring& pupil_name);
    long ClosePopup();
    long ShowOptions(OptionsFiller filler);
    long ShowExitDialog();
    // Builds the input-help page in the dialog; nothing is built on a dialog that is closing.
    long ShowInputHelp(Dialog* dialog);
    // The last save, made once whatever ends the program: the runs not yet stored, the held ones first, under one
    // wait. False when a run could not be stored in the workbook (a line says where its rows went instead).
    bool SaveReportsAtEnd();
    long SaveReport();
    long SaveReportAs(const std::wstring& path);
    // Enter pressed on the results screen starts the first scene again and closes the screen.
    long OnResultsEnter(const IMKeyboardEvent& ev, Dialog* dialog);
    // The results screen's Save As and Print: the save-as dialog over the report's path, and the printer choice,
    // whose confirm buttons save or print and then close them. Neither opens without a report.
    long OnSaveAs();
    long OnPrint();
    // Prints the pupil's sheet under the exercise's header on the printer context, then deletes the context,
    // report or not. A null context prints nothing.
    long PrintReport(HDC dc);

    IMWindow* GetMainWindow() const { return main_window_; }
    Dialog* GetCurrentPopup() const { return current_popup_; }
    Dialog* GetCurrentSceneDialog() const { return current_scene_dialog_; }
    const std::wstring& GetCurrentSceneName() const { return current_scene_name_; }
    // Null when no report exists.
    IMReport* GetReport() const { return report_.get(); }
    // Replaces the report without saving the one held before.
    void SetReport(std::unique_ptr<IMReport> report) { report_ = std::move(report); }
    const std::wstring& GetCaption() const { return caption_; }
    const std::wstring& GetDescription() const { return description_; }
    const std::wstring& GetTitle() const { return title_; }
    const std::wstring& GetCatalogueNumber() const { return catalogue_number_; }
    const std::wstring& GetPupilName() const { return pupil_name_; }
    const OptionsFiller& GetOptionsFiller() const { return options_filler_; }
    bool IsInstructionPlaying() const { return instruction_playing_; }
    int32_t GetExtraInstructionCalls() const { return extra_instruction_calls_; }

protected:
    // The first instance made becomes the singleton.
    IMApp();

    // The one flag every instruction closer clears.
    bool& InstructionPlayingFlag() { return instruction_playing_; }

private:
    static inline IMApp* instance_ = nullptr;
    static inline int use_count_ = 0;

    // A new instance of the exercise class, made beside the exercise so that the frame needs only its name.
    static IMApp* NewExercise();

    void ConnectGlobalKeys();
    std::wstring ReportPath() const;
    // Tries again to store the reports of earlier runs whose save failed.

    OptionsFiller options_filler_;
    Dialog* current_popup_ = nullptr;
    IMWindow* main_window_ = nullptr;
    std::wstring current_scene_name_;
    std::map<std::wstring, SceneBuilder> scenes_;
    Dialog* current_scene_dialog_ = nullptr;
    im::Connection repeat_instruction_connection_;
    std::optional<boost::signals2::shared_connection_block> repeat_instruction_block_;
    std::unique_ptr<IMReport> report_;
    // Earlier runs whose save failed and that no open report carries, oldest first.
    std::vector<IMReport::Run> held_;
    std::optional<bool> stored_at_end_; // set once the last save is made
    bool kept_elsewhere_ = false; // a run went into a file of its own, not the workbook
    im::ScopedConnection save_on_close_;
    std::wstring caption_;
    bool instruction_playing_ = false;
    int32_t extra_instruction_calls_ = 0;
    int64_t scene_start_time_ = 0;
    std::wstring description_;
    std::wstring title_;
    std::wstring catalogue_number_;
    std::wstring pupil_name_;
};
