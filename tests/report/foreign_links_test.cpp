// Accounts sharing the workbook's folder: a symbolic link another account puts at the workbook's name, or in place
// of its folder, leads no save into this account's files; the account's own links are still followed.
#include <sys/stat.h>
#include <unistd.h>

#include "platform/testing/debug_capture.h"
#include "platform/text/utf8.h"
#include "report/report.h"
#include "tests/support/child_process.h"
#include "tests/support/workbook_fixture.h"

namespace {

namespace fs = std::filesystem;
using Rows = std::vector<std::vector<std::wstring>>;

constexpr uid_t kPupil = 65534, kOtherPupil = 65533;

struct Outcome {
    bool saved = false, stored = false;
    std::string said;
};

// A copy run by account opens the workbook and adds its row; then, in this process, step changes the folder; then
// the copy saves and makes its last save.
Outcome RunWithStepBetween(const fs::path& file, const fs::path& home, const std::function<void()>& step)
{
    int ready[2], go[2], result[2];
    if (::pipe(ready) != 0 || ::pipe(go) != 0 || ::pipe(result) != 0)
        return { false, false, "no pipe" };
    const pid_t child = ::fork();
    if (child == 0) {
        for (int fd : { ready[0], go[1], result[0] })
            ::close(fd);
        std::string said = "cannot become the account";
        if (::setgroups(0, nullptr) == 0 && ::setgid(kPupil) == 0 && ::setuid(kPupil) == 0) {
            ::umask(022);
            ::setenv("HOME", home.c_str(), 1);
            ::setenv("XDG_DATA_HOME", (home / ".local" / "share").c_str(), 1);
            platform::DebugCapture capture;
            auto report = IMReport::Open(Wide(file), L"Боря");
            report->AddRow(L"Запуск", L"1", L"Number");
            (void)!::write(ready[1], "r", 1);
            char byte;
            (void)!::read(go[0], &byte, 1);
            const bool saved = report->Save(L"");
            const bool stored = report->SaveBeforeClosing();
            said = std::string(saved ? "1" : "0") + (stored ? "1" : "0") + platform::ToUtf8(capture.Text());
        }
        (void)!::write(result[1], said.data(), said.size());
        ::_exit(0);
    }
    for (int fd : { ready[1], go[0], result[1] })
        ::close(fd);
    if (testing_support::ReadByteWithin(ready[0]))
        step();
    ::close(go[1]);
    std::string said;
    char buffer[512];
    for (ssize_t n; (n = ::read(result[0], buffer, sizeof buffer)) > 0;)
        said.append(buffer, size_t(n));
    for (int fd : { ready[0], result[0] })
        ::close(fd);
    testing_support::WaitForChild(child);
    if (said.size() < 2 || said.find_first_not_of("01") < 2)
        return { false, false, said };
    return { said[0] == '1', said[1] == '1', said.substr(2) };
}

// The kept files in folder, owned by the pupil's account.
std::vector<fs::path> KeptIn(const fs::path& folder)
{
    std::vector<fs::path> kept;
    if (fs::is_directory(folder))
        for (const fs::path& name : FilesIn(folder))
            if (name.string().find(".unsaved-") != std::string::npos)
                kept.push_back(folder / name);
    return kept;
}

class ForeignLinks : public WorkbookTest {
protected:
    void SetUp() override
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "only root can run copies under other accounts";
        WorkbookTest::SetUp();
        shared_ = folder_ / "shared", home_ = folder_ / "home", file_ = shared_ / "TIRQ" / "book.xls";
        // The folder the accounts share, as the README makes it: every account may write it, no sticky bit.
        ASSERT_EQ(::chmod(folder_.c_str(), 0755), 0);
        fs::create_directories(shared_ / "TIRQ");
        ASSERT_EQ(::chmod(shared_.c_str(), 0777), 0);
        ASSERT_EQ(::chmod((shared_ / "TIRQ").c_str(), 0777), 0);
        fs::create_directories(home_ / ".ssh");
        WriteBytes(home_ / ".profile", "export PATH\n");
        WriteBytes(home_ / ".ssh" / "authorized_keys", "ssh-ed25519 AAAA pupil\n");
        for (const fs::path& path : { home_, home_ / ".ssh", home_ / ".profile", home_ / ".ssh" / "authorized_keys" })
            ASSERT_EQ(::chown(path.c_str(), kPupil, kPupil), 0);
        RecordRun(file_, L"Аня", L"Запуск", L"0");
        ASSERT_EQ(::chmod(file_.c_str(), 0666), 0);
    }

    // The other account moves the workbook aside and puts its own link at path, to target.
    void PlantLink(const fs::path& path, const fs::path& target, uid_t owner = kOtherPupil)
    {
        fs::rename(path, path.string() + ".moved");
        fs::create_symlink(target, path);
        ASSERT_EQ(::lchown(path.c_str(), owner, owner), 0);
    }

    fs::path shared_, home_, file_;
};

TEST_F(ForeignLinks, AnotherAccountsLinkLeadsNoSaveIntoThisAccountsFiles)
{
    const struct {
        fs::path link, target;
        bool beforeOpen = false;
    } traps[] = {
        { file_, home_ / ".profile" }, { file_, home_ / ".profile", true },
        { file_, home_ / ".ssh" / "authorized_keys" }, { file_, home_ / ".bash_login" }, // nothing there yet
        { file_.parent_path(), home_ }, // in place of the workbook's folder
    };
    for (const auto& trap : traps) {
        SCOPED_TRACE(trap.target);
        const bool existed = fs::exists(trap.target);
        const std::string before = fs::is_regular_file(trap.target) ? ReadBytes(trap.target) : "";
        if (trap.beforeOpen)
            PlantLink(trap.link, trap.target);
        const Outcome outcome = RunWithStepBetween(file_, home_, [&] {
            if (!trap.beforeOpen)
                PlantLink(trap.link, trap.target);
        });
        EXPECT_FALSE(outcome.saved);
        EXPECT_FALSE(outcome.stored) << "the run is not reported stored";
        EXPECT_NE(outcome.said.find("the symbolic link \"" + trap.link.string() + "\" was made by another account"),
            std::string::npos)
            << outcome.said;

        // Nothing of the account's was moved, replaced or made through the link.
        EXPECT_EQ(fs::exists(trap.target), existed);
        if (!before.empty()) {
            EXPECT_EQ(ReadBytes(trap.target), before);
        }
        for (const fs::path& name : FilesIn(trap.target.parent_path()))
            EXPECT_EQ(name.string().find(".broken-"), std::string::npos) << name;
        EXPECT_FALSE(fs::exists(home_ / "book.xls"));
        EXPECT_EQ(
            StoredRows(trap.link.string() + ".moved" + (trap.link == file_ ? "" : "/book.xls"), L"Боря"), Rows {});

        // The run is in a file of its own, the account's.
        const std::vector<fs::path> kept = KeptIn(trap.link == file_ ? shared_ / "TIRQ" : home_ / ".local/share/TIRQ");
        ASSERT_EQ(kept.size(), 1u) << outcome.said;
        struct stat st;
        ASSERT_EQ(::lstat(kept[0].c_str(), &st), 0);
        EXPECT_TRUE(S_ISREG(st.st_mode) && st.st_uid == kPupil);
        EXPECT_EQ(StoredRows(kept[0], L"Боря"), (Rows { { L"Запуск", L"1" } }));
        EXPECT_NE(outcome.said.find(kept[0].string()), std::string::npos) << outcome.said;

        fs::remove(trap.link);
        fs::remove(kept[0]);
        fs::rename(trap.link.string() + ".moved", trap.link);
    }

    // The account's own link, one made by root, and one made by the owner of the folder that holds it (who may
    // replace the workbook there anyway) are followed: the run is stored where they lead. The folder is the other
    // account's, so each link is followed by its own rule.
    for (const uid_t owner : { kPupil, uid_t(0), kOtherPupil }) {
        const fs::path own = home_ / ("book-" + std::to_string(owner) + ".xls");
        const Outcome outcome = RunWithStepBetween(file_, home_, [&] {
            fs::copy_file(file_, own);
            ASSERT_EQ(::chown(own.c_str(), kPupil, kPupil), 0);
            PlantLink(file_, own, owner);
            ASSERT_EQ(::chown(file_.parent_path().c_str(), kOtherPupil, kOtherPupil), 0);
        });
        ASSERT_EQ(::chown(file_.parent_path().c_str(), 0, 0), 0);
        EXPECT_TRUE(outcome.saved && outcome.stored) << outcome.said;
        EXPECT_EQ(StoredRows(own, L"Боря"), (Rows { { L"Запуск", L"1" } })) << owner;
        fs::remove(file_);
        fs::rename(file_.string() + ".moved", file_);
    }
}

} // namespace
