// Two copies of the program sharing one workbook: every row either copy saved stays, in its pupil's one sheet.
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <random>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

#include "platform/testing/debug_capture.h"
#include "platform/text/utf8.h"
#include "report/report.h"
#include "report/workbook_file.h"
#include "report/workbook_lock.h"
#include "tests/support/child_process.h"
#include "tests/support/workbook_fixture.h"

namespace {

using Rows = std::vector<std::vector<std::wstring>>;
using Labels = std::vector<std::wstring>;

constexpr int kRounds = 60;

bool WriteAll(int fd, const std::string& bytes)
{
    for (size_t done = 0; done < bytes.size();) {
        ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (put <= 0)
            return false;
        done += size_t(put);
    }
    return true;
}

// One copy of the program: round after round it adds rows labelled name-1, name-2, ... to its pupil's report and
// saves, after a random pause. The labels of the rows each save that worked carried go to out, one a line.
[[noreturn]] void RunCopy(
    const std::filesystem::path& file, const std::wstring& pupil, const std::string& name, unsigned seed, int out)
{
    int status = 1;
    try {
        std::mt19937 random(seed);
        std::uniform_int_distribution<int> rows(0, 2), pause(0, 1500);
        auto report = IMReport::Open(Wide(file), pupil);
        std::string unsaved;
        for (int round = 0, n = 0; report && round < kRounds; ++round) {
            for (int k = rows(random); k > 0; --k) {
                const std::string label = name + "-" + std::to_string(++n);
                report->AddRow(platform::FromUtf8(label), std::to_wstring(round), L"Number");
                unsaved += label + "\n";
            }
            std::this_thread::sleep_for(std::chrono::microseconds(pause(random)));
            if (report->Save(L"") && WriteAll(out, unsaved))
                unsaved.clear();
        }
        status = report && unsaved.empty() ? 0 : 1;
    } catch (...) {
    }
    ::_exit(status);
}

struct Copy {
    pid_t pid = -1;
    int out = -1;
};

Copy StartCopy(const std::filesystem::path& file, const std::wstring& pupil, const std::string& name, unsigned seed)
{
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0)
        return {};
    pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipe[0]);
        RunCopy(file, pupil, name, seed, pipe[1]);
    }
    ::close(pipe[1]);
    return { pid, pipe[0] };
}

// The labels the copy reported saved, once it has ended well; its output is read after it ended, which its few
// hundred bytes allow.
Labels Finish(const Copy& copy)
{
    Labels labels;
    const auto status = testing_support::WaitForChild(copy.pid);
    EXPECT_TRUE(status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << "a copy did not end well";
    std::string output;
    char buffer[4096];
    for (ssize_t got; (got = ::read(copy.out, buffer, sizeof buffer)) > 0;)
        output.append(buffer, size_t(got));
    ::close(copy.out);
    for (size_t from = 0, end; (end = output.find('\n', from)) != std::string::npos; from = end + 1)
        labels.push_back(platform::FromUtf8(output.substr(from, end - from)));
    return labels;
}

// The labels of the sheet's rows that start with prefix, in order.
Labels LabelsOf(const Rows& rows, const std::wstring& prefix)
{
    Labels labels;
    for (const auto& row : rows)
        if (!row.empty() && row[0].starts_with(prefix))
            labels.push_back(row[0]);
    return labels;
}

class TwoCopies : public WorkbookTest, public testing::WithParamInterface<bool> { };

TEST_P(TwoCopies, SavingInTurnsKeepsEveryRowEitherSaved)
{
    // COPIES_SEED repeats a run.
    const char* given = std::getenv("COPIES_SEED");
    const unsigned seed = given ? unsigned(std::stoul(given)) : std::random_device {}();
    std::cout << "two-copies seed: " << seed << std::endl;
    RecordProperty("seed", std::to_string(seed));
    SCOPED_TRACE("seed " + std::to_string(seed));

    const bool samePupil = GetParam();
    const std::wstring anna = L"Аня", boris = samePupil ? anna : L"Боря";
    const auto file = folder_ / "book.xls";
    RecordRun(file, anna, L"Раньше", L"0");
    const Copy first = StartCopy(file, anna, "A", seed), second = StartCopy(file, boris, "B", seed + 1);
    ASSERT_GT(first.pid, 0);
    ASSERT_GT(second.pid, 0);
    const Labels savedA = Finish(first), savedB = Finish(second);
    EXPECT_FALSE(savedA.empty());
    EXPECT_FALSE(savedB.empty());

    auto document = ParseStrictly(ReadBytes(file));
    const Labels sheets = SheetNames(*document);
    EXPECT_EQ(sheets, samePupil ? Labels { anna } : (Labels { anna, boris }));
    const Rows annas = SheetRows(*document, anna), boriss = SheetRows(*document, boris);
    EXPECT_EQ(LabelsOf(annas, L"A-"), savedA);
    EXPECT_EQ(LabelsOf(boriss, L"B-"), savedB);
    EXPECT_EQ(annas.front(), (std::vector<std::wstring> { L"Раньше", L"0" }));
    EXPECT_EQ(annas.size(), 1 + savedA.size() + (samePupil ? savedB.size() : 0));
    if (!samePupil) {
        EXPECT_EQ(boriss.size(), savedB.size());
    }
}

INSTANTIATE_TEST_SUITE_P(Pupils, TwoCopies, testing::Bool(),
    [](const testing::TestParamInfo<bool>& info) { return info.param ? "TheSamePupil" : "TwoPupils"; });

TEST_F(WorkbookTest, ACopyWaitsItsTurnAndItsSavedAsCopyHoldsTheOthersRows)
{
    const auto file = folder_ / "book.xls", other = folder_ / "copy.xls";
    auto anna = IMReport::Open(Wide(file), L"Аня");
    auto boris = IMReport::Open(Wide(file), L"Боря");
    ASSERT_TRUE(anna && boris);
    anna->AddRow(L"Запуск", L"Аня 1", L"String");
    boris->AddRow(L"Запуск", L"Боря 1", L"String");
    ASSERT_TRUE(anna->Save(L""));
    ASSERT_TRUE(boris->Save(L""));
    ASSERT_TRUE(boris->Save(Wide(other)));
    auto copy = ParseStrictly(ReadBytes(other));
    EXPECT_EQ(SheetNames(*copy), (Labels { L"Аня", L"Боря" }));

    // A copy stuck holding the workbook: the save gives up after a while, says so, and loses nothing.
    anna->AddRow(L"Запуск", L"Аня 2", L"String");
    const std::string stored = ReadBytes(file);
    {
        report::WorkbookLock stuck(file.string(), std::chrono::milliseconds(0));
        ASSERT_TRUE(stuck.Held());
        platform::DebugCapture capture;
        EXPECT_FALSE(anna->Save(L""));
        EXPECT_EQ(capture.Entries().size(), 1u);
        EXPECT_EQ(ReadBytes(file), stored);
    }
    boris->AddRow(L"Запуск", L"Боря 2", L"String");
    ASSERT_TRUE(anna->Save(L""));
    // Save As under the workbook's own name is the same save: it keeps what the other copy saved.
    ASSERT_TRUE(boris->Save(Wide(file)));
    auto document = ParseStrictly(ReadBytes(file));
    EXPECT_EQ(SheetRows(*document, L"Аня"), (Rows { { L"Запуск", L"Аня 1" }, { L"Запуск", L"Аня 2" } }));
    EXPECT_EQ(SheetRows(*document, L"Боря"), (Rows { { L"Запуск", L"Боря 1" }, { L"Запуск", L"Боря 2" } }));
    EXPECT_EQ(FilesIn(folder_), (std::vector<std::filesystem::path> { "book.xls", "copy.xls" }));
}

// Three copies on one workbook: the copy the third one saves under another name holds what the other two saved after
// it started, and its own unsaved rows, which its own next save then writes once.
TEST_F(WorkbookTest, ACopySavedAsHoldsWhatEveryCopyStoredSinceItStarted)
{
    const auto file = folder_ / "book.xls", other = folder_ / "copy.xls";
    RecordRun(file, L"Аня", L"Запуск", L"Аня 0");
    auto anna = IMReport::Open(Wide(file), L"Аня");
    auto boris = IMReport::Open(Wide(file), L"Боря");
    auto vera = IMReport::Open(Wide(file), L"Вера");
    ASSERT_TRUE(anna && boris && vera);
    anna->AddRow(L"Запуск", L"Аня 1", L"String");
    ASSERT_TRUE(anna->Save(L""));
    boris->AddRow(L"Запуск", L"Боря 1", L"String");
    ASSERT_TRUE(boris->Save(L""));
    vera->AddRow(L"Запуск", L"Вера 1", L"String");

    ASSERT_TRUE(vera->Save(Wide(other)));
    auto copy = ParseStrictly(ReadBytes(other));
    EXPECT_EQ(SheetNames(*copy), (Labels { L"Аня", L"Боря", L"Вера" }));
    EXPECT_EQ(SheetRows(*copy, L"Аня"), (Rows { { L"Запуск", L"Аня 0" }, { L"Запуск", L"Аня 1" } }));
    EXPECT_EQ(SheetRows(*copy, L"Боря"), (Rows { { L"Запуск", L"Боря 1" } }));
    EXPECT_EQ(SheetRows(*copy, L"Вера"), (Rows { { L"Запуск", L"Вера 1" } }));

    ASSERT_TRUE(vera->Save(L""));
    auto stored = ParseStrictly(ReadBytes(file));
    EXPECT_EQ(SheetRows(*stored, L"Вера"), (Rows { { L"Запуск", L"Вера 1" } }));
    EXPECT_EQ(SheetRows(*stored, L"Аня").size(), 2u);
}

} // namespace
