// A run the workbook cannot take is kept in a file of its own: new and this account's own whatever another account
// put at its name, named after the workbook's own name within the name limit, beside the workbook first, whole when
// the workbook's folder is gone; and nothing is kept or said when there is nothing to store.
#include <chrono>
#include <ctime>
#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "platform/testing/debug_capture.h"
#include "platform/text/utf8.h"
#include "report/report.h"
#include "report/workbook_lock.h"
#include "tests/support/child_process.h"
#include "tests/support/workbook_fixture.h"

namespace {

namespace fs = std::filesystem;
using Paths = std::vector<fs::path>;
using Rows = std::vector<std::vector<std::wstring>>;

constexpr uid_t kOtherAccount = 65534;

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

std::unique_ptr<IMReport> OpenWithRow(const fs::path& file, const std::wstring& pupil, const std::wstring& value)
{
    auto report = IMReport::Open(Wide(file), pupil);
    if (report)
        report->AddRow(L"Запуск", value, L"Number");
    return report;
}

// Another account that may write the workbook's folder lays files, links and a FIFO at the names the kept file
// would take in the next seconds: the kept file is still a new one, owned by this account, with the mode its umask
// gives, and nothing the other account made is written or followed.
TEST_F(WorkbookTest, AKeptRunIsANewFileOfThisAccountsOwnWhateverAnotherAccountPutAtItsName)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can act as another account";
    const auto file = folder_ / "book.xls";
    RecordRun(file, L"Аня", L"Запуск", L"0");
    auto report = OpenWithRow(file, L"Боря", L"1");
    ASSERT_TRUE(report);
    ASSERT_EQ(::chmod(folder_.c_str(), 01777), 0);
    ASSERT_EQ(testing_support::RunInChild(
                  [&]() -> std::string {
                      ::umask(0);
                      const std::time_t now = std::time(nullptr);
                      for (std::time_t second = now; second < now + 10; ++second) {
                          std::tm local {};
                          ::localtime_r(&second, &local);
                          char stamp[32];
                          std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
                          const std::string base = (folder_ / "book.unsaved-").string() + stamp;
                          const int fd = ::open((base + ".xls").c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
                          if (fd < 0)
                              return "no trap";
                          ::close(fd);
                          fs::create_symlink("victim", base + "-2.xls");
                      }
                      const int victim = ::open((folder_ / "victim").c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
                      ::close(victim);
                      return ::mkfifo((folder_ / ".report.lock").c_str(), 0666) == 0 ? "" : "no FIFO";
                  },
                  kOtherAccount),
        "");

    const mode_t mask = ::umask(027);
    platform::DebugCapture capture;
    const bool stored = report->SaveBeforeClosing();
    ::umask(mask);
    EXPECT_FALSE(stored);
    Paths ours;
    for (const fs::path& kept : KeptIn(folder_)) {
        struct stat st;
        ASSERT_EQ(::lstat(kept.c_str(), &st), 0);
        if (st.st_uid == kOtherAccount) {
            EXPECT_EQ(fs::is_symlink(kept) ? 0 : fs::file_size(kept), 0u) << kept << " was written";
            continue;
        }
        ours.push_back(kept);
        EXPECT_TRUE(S_ISREG(st.st_mode)) << kept;
        EXPECT_EQ(st.st_mode & 07777, 0640u) << kept;
    }
    EXPECT_EQ(fs::file_size(folder_ / "victim"), 0u);
    ASSERT_EQ(ours.size(), 1u) << platform::ToUtf8(capture.Text());
    EXPECT_EQ(StoredRows(ours[0], L"Боря"), (Rows { { L"Запуск", L"1" } }));
}

// The kept file is named after the name the workbook was given, not the file a link leads to, and fits the folder's
// name limit however long that name is.
TEST_F(WorkbookTest, AKeptFileIsNamedAfterTheWorkbooksOwnNameWithinTheNameLimit)
{
    const std::string longStem = platform::ToUtf8(std::wstring(118, L'ж')); // 236 bytes
    const fs::path longName = folder_ / "long" / (longStem + ".xls");
    fs::create_directory(longName.parent_path());
    ASSERT_EQ(longName.filename().string().size(), 240u);
    RecordRun(longName, L"Аня", L"Запуск", L"0");
    SpoilTheLock(longName);
    auto report = OpenWithRow(longName, L"Аня", L"1");
    ASSERT_TRUE(report);
    EXPECT_FALSE(report->SaveBeforeClosing());
    const Paths kept = KeptIn(longName.parent_path());
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_LE(kept[0].filename().string().size(), 255u);
    EXPECT_TRUE(kept[0].filename().string().starts_with(longStem.substr(0, 100))) << kept[0];
    EXPECT_EQ(StoredRows(kept[0], L"Аня"), (Rows { { L"Запуск", L"1" } }));

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
    ::setenv("XDG_DATA_HOME", (folder_ / "data").c_str(), 1);
    const auto file = folder_ / "elsewhere" / "book.xls";
    fs::create_directory(file.parent_path());
    RecordRun(file, L"Аня", L"Запуск", L"0");
    SpoilTheLock(file);
    const std::wstring pupils[] = { L"Аня", L"Боря", L"Вова", L"Гена" };
    for (const std::wstring& pupil : pupils) {
        auto report = OpenWithRow(file, pupil, L"1");
        ASSERT_TRUE(report);
        EXPECT_FALSE(report->SaveBeforeClosing());
    }
    const Paths kept = KeptIn(file.parent_path());
    ASSERT_EQ(kept.size(), std::size(pupils));
    for (const std::wstring& pupil : pupils) {
        size_t holding = 0;
        for (const fs::path& one : kept)
            holding += SheetNames(*ParseStrictly(ReadBytes(one))) == std::vector<std::wstring> { pupil };
        EXPECT_EQ(holding, 1u) << platform::ToUtf8(pupil);
    }
    EXPECT_TRUE(KeptIn(folder_ / "data" / "TIRQ").empty());
    ::unsetenv("XDG_DATA_HOME");
}

// The workbook's whole folder is removed while a copy is open: the last save keeps everything the copy holds, the
// sheets it read and saved as well as its new rows, in the account's data folder.
TEST_F(WorkbookTest, AWorkbookWhoseFolderIsGoneIsKeptWhole)
{
    ::setenv("XDG_DATA_HOME", (folder_ / "data").c_str(), 1);
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
    ::unsetenv("XDG_DATA_HOME");
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
        report::WorkbookLock other(file.string(), std::chrono::seconds(0));
        ASSERT_TRUE(other.Held());
        EXPECT_TRUE(stored->SaveBeforeClosing());
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
