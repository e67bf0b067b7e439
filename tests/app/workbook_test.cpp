// What a run leaves in the statistics workbook: the rows of a played game in order, a second Start, a nameless
// Start, a program ended from outside or by an escaped exception, and a data folder that cannot be used.
#include <atomic>
#include <chrono>
#include <csignal>
#include <memory>
#include <stdexcept>
#include <thread>
#include <utility>

#include <SDL_events.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xercesc/dom/DOMException.hpp>

#include "app/core/program.h"
#include "engine/resources/resource_manager.h"
#include "game/tumbil.h"
#include "platform/headless/headless_backend.h"
#include "platform/sdl/display_check.h"
#include "platform/sound/sound_probes.h"
#include "platform/system/termination.h"
#include "platform/testing/debug_capture.h"
#include "platform/text/utf8.h"
#include "report/report.h"
#include "report/workbook_file.h"
#include "report/workbook_lock.h"
#include "tests/app/app_fixture.h"
#include "tests/support/child_process.h"
#include "tests/support/maze_route.h"

namespace {

namespace fs = std::filesystem;
using Cells = std::vector<std::wstring>;

// The program as main runs it, in a forked child on the headless window: its start (with no display to check),
// then the exercise, driven by the steps queued in the child. The child's standard error is kept in a pipe.
struct ChildProgram {
    pid_t pid = -1;
    bool started = false; // the queued steps have run and the loop went on
    int errors = -1;

    ChildProgram() = default;
    ChildProgram(ChildProgram&& other) noexcept
        : pid(other.pid)
        , started(other.started)
        , errors(std::exchange(other.errors, -1))
    {
    }
    ~ChildProgram()
    {
        if (errors >= 0)
            close(errors);
    }
    // All the child wrote on standard error; to be read once it has ended.
    std::string ErrorText() const
    {
        std::string text;
        char buffer[512];
        for (ssize_t n; (n = read(errors, buffer, sizeof buffer)) > 0;)
            text.append(buffer, size_t(n));
        return text;
    }
};

// The working directory changed for a scope.
class WorkingDirectory {
public:
    explicit WorkingDirectory(const fs::path& folder) { fs::current_path(folder); }
    ~WorkingDirectory() { fs::current_path(before_); }
    WorkingDirectory(const WorkingDirectory&) = delete;
    WorkingDirectory& operator=(const WorkingDirectory&) = delete;

private:
    const fs::path before_ = fs::current_path();
};

class WorkbookRunTest : public AppTest {
protected:
    // The child says it is running at 100 ms, after the steps queued before then.
    ChildProgram StartProgram(const std::function<void()>& queue_steps)
    {
        int ready[2];
        int errors[2];
        ChildProgram program;
        if (pipe(ready) != 0 || pipe(errors) != 0)
            return program;
        program.pid = fork();
        if (program.pid == 0) {
            close(ready[0]);
            close(errors[0]);
            dup2(errors[1], STDERR_FILENO);
            platform::StartBeforeThreads([] { return true; });
            queue_steps();
            input_.At(100, [&] {
                const char byte = 1;
                (void)!write(ready[1], &byte, 1);
            });
            // As from main: an exception that escapes the exercise ends the process, never the test runner's copy.
            []() noexcept { _exit(RunExercise()); }();
        }
        close(ready[1]);
        close(errors[1]);
        program.errors = errors[0];
        program.started = program.pid > 0 && testing_support::ReadByteWithin(ready[0]).has_value();
        close(ready[0]);
        if (program.pid > 0 && !program.started)
            testing_support::WaitForChild(program.pid, std::chrono::milliseconds(0)); // killed and reaped
        return program;
    }

    // The child ended by itself with a failing status, one line on standard error naming the fault, and the pupil's
    // run saved as an orderly close saves it.
    void ExpectSavedAfterFault(const ChildProgram& program, const std::wstring& pupil, const std::string& fault)
    {
        const std::optional<int> status = testing_support::WaitForChild(program.pid);
        ASSERT_TRUE(status.has_value()) << fault;
        ASSERT_TRUE(WIFEXITED(*status)) << fault << ": ended by signal " << WTERMSIG(*status);
        EXPECT_EQ(WEXITSTATUS(*status), 1) << fault;
        const std::string errors = program.ErrorText();
        EXPECT_EQ(Count(errors, "\n"), 1u) << errors;
        EXPECT_EQ(Count(errors, fault), 1u) << errors;
        const Rows rows = StoredRows(pupil);
        ASSERT_EQ(rows.size(), 1u) << fault;
        EXPECT_EQ(rows[0][0], L"Время начала работы с упражнением");
    }

    void MoveTo(MazeCell c) { input_.MoveTo(200 + 20 * c.x + 10, 100 + 20 * c.y + 10); }
    void DrawRoute()
    {
        MoveTo(kRouteCorners.front());
        input_.Press();
        for (const MazeCell& c : kRouteCorners)
            MoveTo(c);
        input_.Release();
    }
    void CloseWithButton()
    {
        Press(VK_F12);
        ClickAt(362, 290);
        RunFor(1);
    }
};

TEST_F(WorkbookRunTest, APlayedGameLeavesItsRowsInOrderWithTheirTypesAfterClose)
{
    StartGame(L"Маша");
    const int64_t scene_start = clock_.Milliseconds();
    DrawRoute();
    RunFor(5);
    ASSERT_FALSE(app_->GetPathCells().empty());
    // The hero has walked the whole path: the goal's rows are written, the success sound plays.
    ASSERT_TRUE(RunUntil([this] { return app_->GetPathCells().empty(); }, 120'000));
    RunFor(1000);
    Press(VK_F12);
    ClickAt(362, 230); // Retry: the final rows of the run
    const int64_t scene_end = clock_.Milliseconds();
    CloseWithButton();
    EXPECT_EQ(StartScreenShown(), nullptr);

    const Rows rows = StoredRows(L"Маша");
    const Rows types = StoredTypes(L"Маша");
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[0], (Cells { L"Время начала работы с упражнением", L"07-December-2026 10:15" }));
    EXPECT_EQ(rows[1], (Cells { L"Число попыток", L"0" }));
    EXPECT_EQ(rows[2][0], L"Продолжительность успешной попытки");
    EXPECT_EQ(rows[3], (Cells { L"Количество дополнительных вызовов инструкций", L"0" }));
    EXPECT_EQ(rows[4][0], L"Общее время работы с упражнением. с.");
    EXPECT_NEAR(std::stoll(rows[4][1]), (scene_end - scene_start) / 1000, 1);
    EXPECT_TRUE(rows[5].empty());
    const Cells kString { L"String", L"String" };
    const Cells kNumber { L"String", L"Number" };
    EXPECT_EQ(types, (Rows { kString, kNumber, kNumber, kNumber, kNumber, Cells {} }));
}

TEST_F(WorkbookRunTest, ASecondNamedStartKeepsTheRowsOfBoth)
{
    StartGame(L"Маша");
    Press(VK_F12);
    ClickAt(362, 230);
    StartGame(L"Петя");
    Press(VK_F12);
    ClickAt(362, 230);
    StartGame(L"Маша");
    CloseWithButton();
    const Rows masha = StoredRows(L"Маша");
    ASSERT_EQ(masha.size(), 5u) << "four rows of the first run, the start of the third";
    EXPECT_TRUE(masha[3].empty());
    EXPECT_EQ(StoredRows(L"Петя").size(), 4u);
}

TEST_F(WorkbookRunTest, ANamelessStartAfterANamedOneWritesNothingIntoTheEarlierSheet)
{
    StartGame(L"Маша");
    Press(VK_F12);
    ClickAt(362, 230);
    StartGame(L"");
    EXPECT_EQ(app_->GetReport(), nullptr);
    EXPECT_EQ(app_->GetPupilName(), L"");
    Press(VK_F12);
    ClickAt(362, 230);
    CloseWithButton();
    EXPECT_EQ(StoredRows(L"Маша").size(), 4u);
}

// As the program starts for a pupil: name, Enter, Esc into the game, F12, Close.
TEST_F(WorkbookRunTest, TheProgramRunsFromTheStartScreenToCloseAndSaves)
{
    App::Release();
    app_ = nullptr;
    input_.At(10, [this] { input_.Type(L"Маша\r"); });
    input_.At(50, [this] { input_.KeyDown(VK_ESCAPE), input_.KeyUp(VK_ESCAPE); });
    input_.At(100, [this] { input_.KeyDown(VK_F12), input_.KeyUp(VK_F12); });
    input_.At(150, [this] { input_.MoveTo(362, 290); });
    input_.At(160, [this] { input_.Click(); });
    EXPECT_EQ(RunExercise(), 0);
    const Rows rows = StoredRows(L"Маша");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0], (Cells { L"Время начала работы с упражнением", L"07-December-2026 10:15" }));
}

// Another copy holds the workbook while the next pupils press Start: each Start says once that the earlier run
// was not saved, however many runs are held (they are tried together, under one wait), and returns before the
// other copy lets go. The next Start or Save As once the workbook is free stores every held run at once, and says
// nothing of a save that went through; so does a Save As with nothing held.
TEST_F(WorkbookRunTest, RunsHeldWhileAnotherCopyHoldsTheWorkbookAreTriedTogetherAndStoredByTheNextSave)
{
    platform::DebugCapture capture;
    const auto notSaved = [&] { return Count(platform::ToUtf8(capture.Text()), "not saved"); };
    const fs::path copy = WorkbookPath().parent_path() / "copy.xls";
    StartGame(L"Маша");
    Press(VK_F12);
    ClickAt(362, 230);
    for (const bool saveAs : { true, false }) {
        auto other = std::make_unique<report::WorkbookLock>(WorkbookPath().string(), std::chrono::seconds(0));
        ASSERT_TRUE(other->Held());
        const wchar_t* pupils[] = { L"Петя", L"Оля", L"Вова" };
        for (const wchar_t* pupil : pupils) {
            const size_t before = notSaved();
            StartGame(saveAs ? pupil : (std::wstring(pupil) + L"-2").c_str());
            Press(VK_F12);
            ClickAt(362, 230);
            EXPECT_EQ(notSaved(), before + 1) << "one save at each Start, whatever is held";
        }
        other.reset();
        capture.Clear();
        if (saveAs)
            app_->SaveReportAs(platform::FromUtf8(copy.string()));
        else
            StartGame(L"Гена");
        EXPECT_EQ(notSaved(), 0u) << saveAs << platform::ToUtf8(capture.Text());
        EXPECT_EQ(StoredRows(L"Маша").size(), 4u) << saveAs;
        EXPECT_EQ(StoredRows(saveAs ? L"Петя" : L"Петя-2").size(), 4u) << saveAs;
        EXPECT_EQ(StoredRows(saveAs ? L"Оля" : L"Оля-2").size(), 4u) << saveAs;
        EXPECT_EQ(StoredRows(saveAs ? L"Вова" : L"Вова-2").size(), 4u) << saveAs;
    }
    EXPECT_EQ(::StoredRows(copy, L"Маша").size(), 4u);
    EXPECT_EQ(::StoredRows(copy, L"Вова").size(), 4u);
    capture.Clear();
    app_->SaveReportAs(platform::FromUtf8(copy.string()));
    EXPECT_EQ(notSaved(), 0u) << "nothing held: " << platform::ToUtf8(capture.Text());
    EXPECT_EQ(::StoredRows(copy, L"Вова-2").size(), 4u);
    EXPECT_EQ(::StoredRows(copy, L"Гена").size(), 1u);
    CloseWithButton();
}

// A nameless Start while another copy holds the workbook: the earlier pupil's run is held with no report open,
// and the close stores it once the other copy has let go.
TEST_F(WorkbookRunTest, ARunHeldAtANamelessStartIsStoredByTheLastSave)
{
    StartGame(L"Маша");
    Press(VK_F12);
    ClickAt(362, 230);
    {
        const report::WorkbookLock other(WorkbookPath().string(), std::chrono::seconds(0));
        ASSERT_TRUE(other.Held());
        StartGame(L"");
        ASSERT_EQ(app_->GetReport(), nullptr);
    }
    ASSERT_FALSE(fs::exists(WorkbookPath())) << "the run is held";
    CloseWithButton();
    EXPECT_TRUE(app_->SaveReportsAtEnd());
    EXPECT_EQ(StoredRows(L"Маша").size(), 4u);
}

// A Start under another copy's lock waits for one save and one open, however many runs the earlier report holds:
// timed against a Start that holds none. The other runs are held at Starts whose lock file cannot be used, which
// fail at once.
TEST_F(WorkbookRunTest, AStartWaitsForOneSaveAndOneOpenWhateverNumberOfRunsIsHeld)
{
    using Clock = std::chrono::steady_clock;
    const auto timedRun = [this](const std::wstring& pupil) {
        const Clock::time_point start = Clock::now();
        StartGame(pupil);
        const Clock::duration took = Clock::now() - start;
        Press(VK_F12);
        ClickAt(362, 230);
        return took;
    };
    const fs::path lockFile = WorkbookPath().parent_path() / ".report.lock";
    timedRun(L"Маша");
    auto other = std::make_unique<report::WorkbookLock>(WorkbookPath().string(), std::chrono::seconds(0));
    ASSERT_TRUE(other->Held());
    const Clock::duration none = timedRun(L"Петя");
    ASSERT_GE(none, 2 * IMReport::kLockWait) << "the save and the open each waited for the other copy";
    other.reset();
    fs::create_symlink("elsewhere", lockFile);
    timedRun(L"Оля");
    timedRun(L"Вова");
    fs::remove(lockFile);
    other = std::make_unique<report::WorkbookLock>(WorkbookPath().string(), std::chrono::seconds(0));
    ASSERT_TRUE(other->Held());
    const Clock::duration three = timedRun(L"Гена"); // Вова's report carries the runs of Маша, Петя and Оля
    EXPECT_LE(three, none + std::chrono::seconds(2))
        << std::chrono::duration_cast<std::chrono::milliseconds>(three).count() << " ms against "
        << std::chrono::duration_cast<std::chrono::milliseconds>(none).count() << " ms";
    other.reset();
    CloseWithButton();
    for (const wchar_t* pupil : { L"Маша", L"Петя", L"Оля", L"Вова", L"Гена" })
        EXPECT_EQ(StoredRows(pupil).size(), 4u) << platform::ToUtf8(pupil);
}

// A pupil who Starts twice while another copy holds a workbook already stored: her earlier runs are held, and the
// last save, which waits for the other copy, stores them in run order before the run that was open at the end.
TEST_F(WorkbookRunTest, TheLastSaveStoresHeldRunsBeforeTheOpenOne)
{
    StartGame(L"Оля");
    Press(VK_F12);
    ClickAt(362, 230);
    StartGame(L"Маша");
    ASSERT_EQ(StoredRows(L"Оля").size(), 4u);
    Press(VK_F1); // one repeat of the instruction, opened and closed: her first run counts it
    Press(VK_F1);
    RunFor(2);
    Press(VK_F12);
    ClickAt(362, 230);
    auto other = std::make_unique<report::WorkbookLock>(WorkbookPath().string(), std::chrono::seconds(0));
    ASSERT_TRUE(other->Held());
    StartGame(L"Петя");
    Press(VK_F12);
    ClickAt(362, 230);
    StartGame(L"Маша");
    Press(VK_F12);
    ClickAt(362, 230);
    StartGame(L"Маша");
    std::thread release([&other] {
        std::this_thread::sleep_for(std::chrono::seconds(4));
        other.reset();
    });
    CloseWithButton();
    release.join();
    const Rows masha = StoredRows(L"Маша");
    ASSERT_EQ(masha.size(), 9u) << "four rows of each earlier run, the start of the last";
    EXPECT_EQ(masha[1], (Cells { L"Количество дополнительных вызовов инструкций", L"1" })) << "the first run first";
    EXPECT_EQ(masha[5], (Cells { L"Количество дополнительных вызовов инструкций", L"0" }));
    EXPECT_TRUE(masha[3].empty() && masha[7].empty());
    EXPECT_EQ(masha[8][0], L"Время начала работы с упражнением");
    EXPECT_EQ(StoredRows(L"Петя").size(), 4u);
    EXPECT_EQ(StoredRows(L"Оля").size(), 4u);
}

// The window closed while the workbook's lock file cannot be used: the last save is made once, the run goes into a
// workbook of its own beside the workbook, one line names it, and the program ends with status 1.
TEST_F(WorkbookRunTest, AProgramEndingWhileTheWorkbookCannotTakeTheRunKeepsItInAFileOfItsOwn)
{
    App::Release();
    app_ = nullptr;
    const fs::path folder = WorkbookPath().parent_path();
    ChildProgram program = StartProgram([&] {
        input_.At(10, [&] { input_.Type(L"Маша\r"); });
        input_.At(50, [this] { input_.KeyDown(VK_ESCAPE), input_.KeyUp(VK_ESCAPE); });
        input_.At(120, [&] { fs::create_symlink("elsewhere", folder / ".report.lock"); });
        input_.At(150, [this] { input_.KeyDown(VK_F12), input_.KeyUp(VK_F12); });
        input_.At(200, [this] { input_.MoveTo(362, 290); });
        input_.At(210, [this] { input_.Click(); });
    });
    ASSERT_TRUE(program.started);
    const std::optional<int> status = testing_support::WaitForChild(program.pid);
    ASSERT_TRUE(status && WIFEXITED(*status));
    EXPECT_EQ(WEXITSTATUS(*status), 1);
    const std::string errors = program.ErrorText();
    EXPECT_EQ(Count(errors, "\n"), 1u) << errors;
    std::vector<fs::path> kept;
    for (const fs::path& name : FilesIn(folder))
        if (name.string().find(".unsaved-") != std::string::npos)
            kept.push_back(folder / name);
    ASSERT_EQ(kept.size(), 1u) << errors;
    EXPECT_NE(errors.find(kept[0].string()), std::string::npos) << errors;
    EXPECT_NE(errors.find(".report.lock"), std::string::npos) << "and why: " << errors;
    const Rows rows = SheetRows(*ParseStrictly(ReadBytes(kept[0])), L"Маша");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], L"Время начала работы с упражнением");
}

// Another copy's save may hold the workbook for seconds (a large workbook, a slow disk): the program's last save
// waits for it rather than lose the run.
TEST_F(WorkbookRunTest, TheWindowClosedFromOutsideStillSavesTheRunOnceAnotherCopyLetsGo)
{
    StartGame(L"Маша");
    auto other = std::make_unique<report::WorkbookLock>(WorkbookPath().string(), std::chrono::seconds(0));
    ASSERT_TRUE(other->Held());
    std::thread release([&other] {
        std::this_thread::sleep_for(std::chrono::seconds(4));
        other.reset();
    });
    SDL_Event quit {};
    quit.type = SDL_QUIT;
    input_.Feed(quit);
    RunFor(5);
    App::Release();
    app_ = nullptr;
    release.join();
    const Rows rows = StoredRows(L"Маша");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], L"Время начала работы с упражнением");
}

// Each termination signal in the middle of a game: the program, run as main runs it in a child process on the
// headless window, ends in an orderly save.
TEST_F(WorkbookRunTest, TerminationSignalsInTheMiddleOfAGameEndInAnOrderlySave)
{
    App::Release();
    app_ = nullptr;
    const std::pair<int, const wchar_t*> runs[] = { { SIGTERM, L"Маша" }, { SIGINT, L"Петя" }, { SIGHUP, L"Оля" } };
    for (const auto& [signal, pupil] : runs) {
        ChildProgram program = StartProgram([&] {
            input_.At(10, [&] { input_.Type(std::wstring(pupil) + L"\r"); });
            input_.At(50, [this] { input_.KeyDown(VK_ESCAPE); });
        });
        ASSERT_TRUE(program.started) << "the game started in the child";
        kill(program.pid, signal);
        const std::optional<int> status = testing_support::WaitForChild(program.pid);
        ASSERT_TRUE(status.has_value()) << "the child ended after signal " << signal;
        ASSERT_TRUE(WIFEXITED(*status)) << signal;
        EXPECT_EQ(WEXITSTATUS(*status), 0) << signal;
        const Rows rows = StoredRows(pupil);
        ASSERT_EQ(rows.size(), 1u) << signal;
        EXPECT_EQ(rows[0][0], L"Время начала работы с упражнением");
    }
}

// Whatever its type: the XML library's own exceptions are no standard ones.
TEST_F(WorkbookRunTest, AnExceptionOutOfAHandlerStillSavesTheRunAndEndsWithOneLine)
{
    App::Release();
    app_ = nullptr;
    const struct {
        const wchar_t* pupil;
        std::function<void()> fail;
        std::string named;
    } faults[] = {
        { L"Маша", [] { throw std::runtime_error("the handler broke"); }, "std::runtime_error: the handler broke" },
        { L"Петя", [] { throw xercesc::DOMException(xercesc::DOMException::INVALID_STATE_ERR); }, "DOMException" },
    };
    for (const auto& fault : faults) {
        ChildProgram program = StartProgram([&] {
            input_.At(10, [&] { input_.Type(std::wstring(fault.pupil) + L"\r"); });
            input_.At(50, [this] { input_.KeyDown(VK_ESCAPE); });
            input_.At(150, [&] {
                IMControl::ConnectKeyDown(App::GetInstance()->GetMainWindow(), [&](const IMKeyboardEvent&) -> long {
                    fault.fail();
                    return 0;
                });
                input_.KeyDown('A');
            });
        });
        ASSERT_TRUE(program.started) << fault.named;
        ExpectSavedAfterFault(program, fault.pupil, fault.named);
    }
}

// The mix breaks once, on the thread that streams a jingle, and nothing else fails: that thread's report alone ends
// the program, which saves the run and names the fault.
TEST_F(WorkbookRunTest, AnExceptionOnTheSoundThreadAloneEndsTheProgramWhichSavesTheRunAndSaysSoInOneLine)
{
    App::Release();
    app_ = nullptr;
    ChildProgram program = StartProgram([this] {
        input_.At(10, [this] { input_.Type(L"Маша\r"); });
        input_.At(50, [this] { input_.KeyDown(VK_ESCAPE); });
        input_.At(150, [] {
            // On the test clock only the streaming threads mix besides the main thread. The tap runs under the
            // probes' lock, so its state needs no lock of its own.
            platform::SetMixTap([main = std::this_thread::get_id(), broke = false](const int16_t*, int) mutable {
                if (std::this_thread::get_id() != main && !std::exchange(broke, true))
                    throw std::runtime_error("the mix broke");
            });
            IMResourceManager::Instance()->Play(
                IMResourceManager::Instance()->CreateVoiceFromResource(L"14465"), false);
        });
    });
    ASSERT_TRUE(program.started);
    ExpectSavedAfterFault(program, L"Маша", "std::runtime_error: the mix broke");
}

// Whatever its type: a window back end that throws what is no standard exception, as the program starts.
TEST_F(WorkbookRunTest, AnExceptionOutOfTheApplicationsCreationEndsWithStatusOneAndOneLine)
{
    App::Release();
    app_ = nullptr;
    struct NoWindowHere { };
    struct RefusingBackend : platform::HeadlessBackend {
        bool CreateNative(HWND, const std::wstring&, DWORD, POINT, SIZE) override { throw NoWindowHere {}; }
    };
    int errors[2];
    ASSERT_EQ(pipe(errors), 0);
    const pid_t child = fork();
    if (child == 0) {
        close(errors[0]);
        dup2(errors[1], STDERR_FILENO);
        platform::InstallWindowBackend(std::make_unique<RefusingBackend>());
        []() noexcept { _exit(RunExercise()); }();
    }
    close(errors[1]);
    ChildProgram program;
    program.errors = errors[0];
    const std::optional<int> status = testing_support::WaitForChild(child);
    ASSERT_TRUE(status.has_value());
    ASSERT_TRUE(WIFEXITED(*status)) << "ended by signal " << WTERMSIG(*status);
    EXPECT_EQ(WEXITSTATUS(*status), 1);
    const std::string text = program.ErrorText();
    EXPECT_EQ(Count(text, "\n"), 1u) << text;
    EXPECT_EQ(Count(text, "NoWindowHere"), 1u) << text;
}

// A data folder under a plain file cannot be made: the workbook goes to the working directory, and the line says
// where and why.
TEST_F(WorkbookRunTest, AWorkbookThatCannotGoIntoTheDataFolderIsKeptInTheWorkingDirectoryAndSaidSo)
{
    const fs::path blocker = folder_ / "blocker";
    WriteBytes(blocker, "a file, not a folder");
    setenv("XDG_DATA_HOME", (blocker / "data").c_str(), 1);
    const fs::path work = folder_ / "work";
    fs::create_directory(work);
    platform::DebugCapture capture;
    {
        const WorkingDirectory here(work);
        StartGame(L"Маша");
        CloseWithButton();
        App::Release();
        app_ = nullptr;
    }

    const fs::path kept = work / (platform::ToUtf8(kExerciseCaption) + ".xls");
    ASSERT_TRUE(fs::exists(kept));
    EXPECT_EQ(SheetRows(*ParseStrictly(ReadBytes(kept)), L"Маша").size(), 1u);
    std::vector<std::wstring> lines;
    for (const std::wstring& entry : capture.Entries())
        if (entry.find(L"working directory") != std::wstring::npos)
            lines.push_back(entry);
    ASSERT_EQ(lines.size(), 1u) << platform::ToUtf8(capture.Text());
    EXPECT_NE(lines[0].find(Wide(kept)), std::wstring::npos) << "the path used";
    EXPECT_NE(lines[0].find(Wide(blocker / "data")), std::wstring::npos) << "the folder tried";
    EXPECT_NE(lines[0].find(L"Not a directory"), std::wstring::npos) << "and why";
}

} // namespace
