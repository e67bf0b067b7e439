// The save at the program's end is made once.
#include <string_view>

#include <sys/inotify.h>
#include <unistd.h>

#include "tests/app/app_fixture.h"

namespace {

// Counts the new workbooks written in the folder: each save writes one under a name of its own before it takes the
// workbook's name.
class WorkbooksWritten {
public:
    explicit WorkbooksWritten(const std::filesystem::path& folder)
        : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
        inotify_add_watch(fd_, folder.c_str(), IN_CREATE);
    }
    ~WorkbooksWritten() { close(fd_); }
    WorkbooksWritten(const WorkbooksWritten&) = delete;
    WorkbooksWritten& operator=(const WorkbooksWritten&) = delete;

    int Count()
    {
        alignas(inotify_event) char buffer[8192];
        for (ssize_t got; (got = read(fd_, buffer, sizeof buffer)) > 0;) {
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if (event->len > 0 && std::string_view(event->name).starts_with(".report-"))
                    ++count_;
                at += ssize_t(sizeof(inotify_event) + event->len);
            }
        }
        return count_;
    }

private:
    int fd_;
    int count_ = 0;
};

TEST_F(AppTest, CloseSavesTheRunOnce)
{
    StartGame(L"Маша");
    WorkbooksWritten saves(WorkbookPath().parent_path());
    Press(VK_F12);
    ClickAt(362, 290);
    RunFor(1);
    App::Release();
    app_ = nullptr;
    EXPECT_EQ(saves.Count(), 1);
    const Rows rows = StoredRows(L"Маша");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], L"Время начала работы с упражнением");
}

} // namespace
