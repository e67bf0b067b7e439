// A run the workbook cannot take is kept in a file of its own: new and this account's own whatever another account
// put at its name, named after the workbook's own name within the name limit, beside the workbook first, whole when
// the workbook's folder is gone; and nothing is kept or said when there is nothing to store.
#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <memory>
#include <thread>

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "platform/testing/debug_capture.h"
#include "platform/text/utf8.h"
#include "report/file_steps.h"
#include "report/report.h"
#include "report/workbook_lock.h"
#include "report/workbook_place.h"
#include "tests/support/child_process.h"
#include "tests/support/workbook_fixture.h"

namespace {

namespace fs = std::filesystem;
using Paths = std::vector<fs::path>;
using Rows = std::vector<std::vector<std::wstring>>;

constexpr uid_t kOtherAccount = 65534, kSavingAccount = 65533;

// The files named as kept runs in folder.
Paths KeptIn(const fs::path& folder)
{
    Paths kept;
    if (!fs::exists(folder))
        return kept;
    for (const fs::path& name : FilesIn(folder))
        if (name.string().find(".unsaved-") != std::string::npos)
            kept.push_back(folder / name);
    return kept;
}

// The workbook's lock file is something no copy may lock, so every save fails at once.
void SpoilTheLock(const fs::path& workbook)
{
    fs::create_symlink("elsewhere", workbook.parent_path() / ".report.lock");
}

// A new empty file anyone may write.
bool MakeFile(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
    return fd >= 0 && ::close(fd) == 0;
}

// The account's data folder is folder until the end of the test.
std::shared_ptr<void> DataFolder(const fs::path& folder)
{
    ::setenv("XDG_DATA_HOME", folder.c_str(), 1);
    return std::shared_ptr<void>(nullptr, [](void*) { ::unsetenv("XDG_DATA_HOME"); });
}

// This process's umask is mask until the end of the test.
std::shared_ptr<void> Umask(mode_t mask)
{
    const mode_t before = ::umask(mask);
    return std::shared_ptr<void>(nullptr, [before](void*) { ::umask(before); });
}

std::unique_ptr<IMReport> OpenWithRow(const fs::path& file, const std::wstring& pupil, const std::wstring& value)
{
    auto report = IMReport::Open(Wide(file), pupil);
    if (report)
        report->AddRow(L"Запуск", value, L"Number");
    return report;
}

// Another account that may write the workbook's folder lays files, links and a FIFO at the names the kept file
// would take in the next seconds and at the names of the saving copy's next temporary files. The copy runs under a
// third account, which the folder's rule keeps from replacing the other's files as it would not keep root: the kept
// file is still a new one, owned by that account, with the mode its umask gives, and nothing the other account made
// is written or followed.
TEST_F(WorkbookTest, AKeptRunIsANewFileOfThisAccountsOwnWhateverAnotherAccountPutAtItsName)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can act as other accounts";
    const auto file = folder_ / "book.xls";
    RecordRun(file, L"Аня", L"Запуск", L"0");
    auto report = OpenWithRow(file, L"Боря", L"1");
    ASSERT_TRUE(report);
    ASSERT_EQ(::chmod(folder_.c_str(), 01777), 0);
    const std::string said = testing_support::RunInChild([&]() -> std::string {
        // A temporary file made and removed here gives the names of the next ones this process makes.
        std::string made;
        const int fd = report::CreateTemporary(folder_.string(), 0600, made);
        if (fd < 0)
            return "no temporary file";
        ::close(fd);
        ::unlink(made.c_str());
        const size_t dash = made.rfind('-');
        const unsigned count = unsigned(std::stoul(made.substr(dash + 1)));
        const auto temporary
            = [&](unsigned n) { return made.substr(0, dash + 1) + std::to_string(count + n) + ".tmp"; };
        const std::string laid = testing_support::RunInChild(
            [&]() -> std::string {
                ::umask(0);
                const std::time_t now = std::time(nullptr);
                for (std::time_t second = now; second < now + 10; ++second) {
                    std::tm local {};
                    ::localtime_r(&second, &local);
                    char stamp[32];
                    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
                    const std::string base = (folder_ / "book.unsaved-").string() + stamp;
                    if (!MakeFile(base + ".xls"))
                        return "no trap";
                    fs::create_symlink("victim", base + "-2.xls");
                }
                fs::create_symlink("victim", temporary(2));
                if (!MakeFile(temporary(1)) || !MakeFile((folder_ / "victim").string())
                    || ::mkfifo(temporary(3).c_str(), 0666) != 0)
                    return "no trap at a temporary name";
                return ::mkfifo((folder_ / ".report.lock").c_str(), 0666) == 0 ? "" : "no FIFO";
            },
            kOtherAccount);
        if (!laid.empty())
            return laid;
        if (::setgroups(0, nullptr) != 0 || ::setgid(kSavingAccount) != 0 || ::setuid(kSavingAccount) != 0)
            return "cannot become the saving account";
        ::setenv("XDG_DATA_HOME", (folder_ / "data").c_str(), 1);
        ::umask(002);
        platform::DebugCapture capture;
        return report->SaveBeforeClosing() ? "stored" : platform::ToUtf8(capture.Text());
    });
    EXPECT_NE(said.find("; kept in"), std::string::npos) << said;

    Paths ours;
    for (const fs::path& name : FilesIn(folder_)) {
        struct stat st;
        ASSERT_EQ(::lstat((folder_ / name).c_str(), &st), 0);
        if (st.st_uid == kOtherAccount)
            EXPECT_TRUE(!S_ISREG(st.st_mode) || st.st_size == 0) << name << " was written";
        else if (st.st_uid == kSavingAccount && !S_ISDIR(st.st_mode)) // its data folder aside
            ours.push_back(folder_ / name);
    }
    ASSERT_EQ(ours.size(), 1u) << testing::PrintToString(ours);
    EXPECT_TRUE(ours[0].filename().string().starts_with("book.unsaved-")) << ours[0];
    struct stat st;
    ASSERT_EQ(::lstat(ours[0].c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_mode & 07777, 0644u);
    EXPECT_EQ(StoredRows(ours[0], L"Боря"), (Rows { { L"Запуск", L"1" } }));
}

// The kept files are named after the name the workbook was given, not the file a link leads to, and fit the folder's
// name limit however long that name is: cut between two characters, with room for the number a second run kept in the
// same second takes, so that both stay beside the workbook.
TEST_F(WorkbookTest, AKeptFileIsNamedAfterTheWorkbooksOwnNameWithinTheNameLimit)
{
    const auto data = DataFolder(folder_ / "data");
    const std::string longStem = platform::ToUtf8(std::wstring(118, L'ж')); // 236 bytes
    const fs::path longName = folder_ / "long" / (longStem + ".xls");
    fs::create_directory(longName.parent_path());
    ASSERT_EQ(longName.filename().string().size(), 240u);
    RecordRun(longName, L"Аня", L"Запуск", L"0");
    SpoilTheLock(longName);
    // The clock's seconds as the time stamps see them turn a little after the second.
    std::this_thread::sleep_until(
        std::chrono::ceil<std::chrono::seconds>(std::chrono::system_clock::now()) + std::chrono::milliseconds(50));
    for (const wchar_t* run : { L"1", L"2" }) {
        auto report = OpenWithRow(longName, L"Аня", run);
        ASSERT_TRUE(report);
        EXPECT_FALSE(report->SaveBeforeClosing());
    }
    const Paths kept = KeptIn(longName.parent_path());
    ASSERT_EQ(kept.size(), 2u) << testing::PrintToString(KeptIn(folder_ / "data" / "TIRQ"));
    std::vector<Rows> runs;
    for (const fs::path& one : kept) {
        const std::string name = one.filename().string();
        EXPECT_LE(name.size(), 255u) << name;
        EXPECT_TRUE(platform::ToUtf8(platform::FromUtf8(name)) == name) << "cut inside a character: " << name;
        EXPECT_TRUE(name.starts_with(longStem.substr(0, 100))) << name;
        runs.push_back(StoredRows(one, L"Аня"));
    }
    std::sort(runs.begin(), runs.end());
    EXPECT_EQ(runs, (std::vector<Rows> { { { L"Запуск", L"1" } }, { { L"Запуск", L"2" } } }));

    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can make a device node";
    const fs::path devices = folder_ / "devices", linked = folder_ / "linked" / "book.xls";
    fs::create_directories(devices);
    fs::create_directories(linked.parent_path());
    ASSERT_EQ(::mknod((devices / "null").c_str(), S_IFCHR | 0666, ::makedev(1, 3)), 0);
    fs::create_symlink(devices / "null", linked);
    auto linkedReport = OpenWithRow(linked, L"Аня", L"2");
    ASSERT_TRUE(linkedReport);
    EXPECT_FALSE(linkedReport->SaveBeforeClosing());
    ASSERT_EQ(KeptIn(linked.parent_path()).size(), 1u);
    EXPECT_TRUE(KeptIn(linked.parent_path())[0].filename().string().starts_with("book.unsaved-"));
    EXPECT_TRUE(KeptIn(devices).empty());
}

// Runs kept one after another in the same second each get a file of their own, beside the workbook even when the
// workbook is outside the account's data folder.
TEST_F(WorkbookTest, RunsKeptInOneSecondGetFilesOfTheirOwnBesideTheWorkbook)
{
    const auto data = DataFolder(folder_ / "data");
    const auto file = folder_ / "elsewhere" / "book.xls";
    fs::create_directory(file.parent_path());
    RecordRun(file, L"Аня", L"Запуск", L"0");
    SpoilTheLock(file);
    // Each run under a umask of its own: its file is 0644 less that mask, never more.
    const std::pair<std::wstring, mode_t> pupils[]
        = { { L"Аня", 002 }, { L"Боря", 000 }, { L"Вова", 022 }, { L"Гена", 077 } };
    for (const auto& [pupil, mask] : pupils) {
        const auto masked = Umask(mask);
        auto report = OpenWithRow(file, pupil, L"1");
        ASSERT_TRUE(report);
        EXPECT_FALSE(report->SaveBeforeClosing());
    }
    const Paths kept = KeptIn(file.parent_path());
    ASSERT_EQ(kept.size(), std::size(pupils));
    for (const auto& [pupil, mask] : pupils) {
        size_t holding = 0;
        for (const fs::path& one : kept) {
            if (SheetNames(*ParseStrictly(ReadBytes(one))) != std::vector<std::wstring> { pupil })
                continue;
            ++holding;
            struct stat st;
            ASSERT_EQ(::stat(one.c_str(), &st), 0);
            EXPECT_EQ(st.st_mode & 07777, 0644u & ~mask) << std::oct << "under umask " << mask;
        }
        EXPECT_EQ(holding, 1u) << platform::ToUtf8(pupil);
    }
    EXPECT_TRUE(KeptIn(folder_ / "data" / "TIRQ").empty());
}

// The workbook's whole folder is removed while a copy is open: the last save keeps everything the copy holds, the
// sheets it read and saved as well as its new rows, in the account's data folder.
TEST_F(WorkbookTest, AWorkbookWhoseFolderIsGoneIsKeptWhole)
{
    const auto data = DataFolder(folder_ / "data");
    const auto file = folder_ / "shared" / "book.xls";
    fs::create_directory(file.parent_path());
    const std::wstring others[] = { L"Аня", L"Боря", L"Вова", L"Гена", L"Даша" };
    for (const std::wstring& pupil : others)
        RecordRun(file, pupil, L"Запуск", L"0");
    auto report = OpenWithRow(file, L"Маша", L"1");
    ASSERT_TRUE(report);
    fs::remove_all(file.parent_path());
    EXPECT_FALSE(report->SaveBeforeClosing());
    const Paths kept = KeptIn(folder_ / "data" / "TIRQ");
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(SheetNames(*ParseStrictly(ReadBytes(kept[0]))).size(), std::size(others) + 1);
    EXPECT_EQ(StoredRows(kept[0], L"Даша"), (Rows { { L"Запуск", L"0" } }));
    EXPECT_EQ(StoredRows(kept[0], L"Маша"), (Rows { { L"Запуск", L"1" } }));
}

// A workbook found gone by one save and written anew by the next: the copy holds nothing the workbook lacks any
// more, so a last save that cannot have the lock keeps nothing and says nothing.
TEST_F(WorkbookTest, AWorkbookWrittenAnewAfterItWasGoneLeavesNothingToKeep)
{
    const auto data = DataFolder(folder_ / "data");
    const auto file = folder_ / "shared" / "book.xls";
    fs::create_directory(file.parent_path());
    RecordRun(file, L"Аня", L"Запуск", L"0");
    auto report = OpenWithRow(file, L"Боря", L"1");
    ASSERT_TRUE(report);
    fs::remove_all(file.parent_path());
    EXPECT_FALSE(report->Save(L""));
    fs::create_directory(file.parent_path());
    ASSERT_TRUE(report->Save(L""));
    report::WorkbookLock other(file.string(), std::chrono::seconds(0));
    ASSERT_TRUE(other.Held());
    platform::DebugCapture capture;
    EXPECT_TRUE(report->SaveBeforeClosing());
    EXPECT_EQ(capture.Text(), L"");
    EXPECT_TRUE(KeptIn(folder_ / "data" / "TIRQ").empty());
    EXPECT_TRUE(KeptIn(file.parent_path()).empty());
}

// Runs held from earlier Starts stand before the open pupil's in a kept file, in the order they came, whether the
// workbook is gone or only locked; a pupil who has no row yet gets no sheet there.
TEST_F(WorkbookTest, AKeptFileHoldsTheRunsInTheOrderTheyCameAndNoEmptySheet)
{
    const auto data = DataFolder(folder_ / "data");
    const auto file = folder_ / "shared" / "book.xls";
    const struct {
        bool gone, withRow;
        std::vector<std::wstring> sheets;
    } cases[] = {
        { true, true, { L"Аня", L"Маша", L"Петя" } },
        { true, false, { L"Аня", L"Маша" } },
        { false, false, { L"Маша" } },
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(testing::Message() << "gone " << each.gone << ", with a row " << each.withRow);
        fs::create_directory(file.parent_path());
        RecordRun(file, L"Аня", L"Запуск", L"0");
        std::vector<IMReport::Run> held;
        {
            auto masha = OpenWithRow(file, L"Маша", L"1");
            SpoilTheLock(file);
            ASSERT_FALSE(masha->Save(L""));
            held = masha->TakeRuns();
            fs::remove(file.parent_path() / ".report.lock");
        }
        auto petya = IMReport::Open(Wide(file), L"Петя");
        ASSERT_TRUE(petya);
        petya->Carry(held);
        if (each.withRow)
            petya->AddRow(L"Запуск", L"2", L"Number");
        if (each.gone)
            fs::remove_all(file.parent_path());
        else
            SpoilTheLock(file);
        EXPECT_FALSE(petya->SaveBeforeClosing());
        Paths kept = KeptIn(folder_ / "data" / "TIRQ");
        if (!each.gone)
            kept = KeptIn(file.parent_path());
        ASSERT_EQ(kept.size(), 1u);
        EXPECT_EQ(SheetNames(*ParseStrictly(ReadBytes(kept[0]))), each.sheets);
        EXPECT_EQ(StoredRows(kept[0], L"Маша"), (Rows { { L"Запуск", L"1" } }));
        fs::remove(kept[0]);
        fs::remove_all(file.parent_path());
    }
}

// The working directory is one of the folders a run may be kept in, and a workbook named relative to it has its
// folder there too: it is named once, as the system names it.
TEST_F(WorkbookTest, EachFolderARunMayBeKeptInIsNamedOnce)
{
    const auto data = DataFolder(folder_ / "data");
    const fs::path before = fs::current_path();
    fs::current_path(folder_);
    const std::vector<std::string> folders = report::KeepingFolders("book.xls");
    fs::current_path(before);
    EXPECT_EQ(std::count(folders.begin(), folders.end(), fs::canonical(folder_).string()), 1);
    for (const std::string& folder : folders)
        EXPECT_FALSE(folder.ends_with('/')) << folder;
}

// No false alarms at the end: a run with no row is not kept when the workbook cannot be written; a run already
// stored is not reported when another copy holds the workbook; and a workbook that holds everything is not
// rewritten.
TEST_F(WorkbookTest, TheLastSaveWithNothingToStoreKeepsNothingSaysNothingAndWritesNothing)
{
    const auto file = folder_ / "book.xls";
    RecordRun(file, L"Аня", L"Запуск", L"0");
    struct stat before;
    ASSERT_EQ(::stat(file.c_str(), &before), 0);
    platform::DebugCapture capture;
    {
        auto report = IMReport::Open(Wide(file), L"Аня");
        ASSERT_TRUE(report);
        EXPECT_TRUE(report->SaveBeforeClosing());
    }
    struct stat after;
    ASSERT_EQ(::stat(file.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino) << "the unchanged workbook was rewritten";

    auto stored = OpenWithRow(file, L"Боря", L"1");
    ASSERT_TRUE(stored && stored->Save(L""));
    {
        // Nothing new to store: the last save waits only as long as an ordinary one.
        report::WorkbookLock other(file.string(), std::chrono::seconds(0));
        ASSERT_TRUE(other.Held());
        const auto start = std::chrono::steady_clock::now();
        EXPECT_TRUE(stored->SaveBeforeClosing());
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    }

    auto empty = IMReport::Open(Wide(file), L"Вова");
    ASSERT_TRUE(empty);
    SpoilTheLock(file);
    EXPECT_TRUE(empty->SaveBeforeClosing());
    EXPECT_TRUE(KeptIn(folder_).empty());
    EXPECT_EQ(capture.Text(), L"");
}

// The account's data folder is a shared one (the account's $XDG_DATA_HOME) that this account cannot write, and so
// is the working directory: the run is kept in the data folder under the account's home.
TEST_F(WorkbookTest, ARunTheSharedDataFolderCannotTakeIsKeptUnderTheAccountsHome)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can run a copy under another account";
    ASSERT_EQ(::chmod(folder_.c_str(), 0755), 0);
    const fs::path shared = folder_ / "shared", home = folder_ / "home", file = shared / "TIRQ" / "book.xls";
    fs::create_directories(file.parent_path());
    fs::create_directory(home);
    ASSERT_EQ(::chown(home.c_str(), kOtherAccount, kOtherAccount), 0);
    RecordRun(file, L"Аня", L"Запуск", L"0");
    WriteBytes(file.parent_path() / ".report.lock", "");
    EXPECT_EQ(testing_support::RunInChild(
                  [&]() -> std::string {
                      ::setenv("XDG_DATA_HOME", shared.c_str(), 1);
                      ::setenv("HOME", home.c_str(), 1);
                      fs::current_path(shared);
                      platform::DebugCapture quiet;
                      auto report = OpenWithRow(file, L"Боря", L"1");
                      return report && !report->SaveBeforeClosing() ? "" : "not refused";
                  },
                  kOtherAccount),
        "");
    const Paths kept = KeptIn(home / ".local" / "share" / "TIRQ");
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(StoredRows(kept[0], L"Боря"), (Rows { { L"Запуск", L"1" } }));
}

} // namespace
