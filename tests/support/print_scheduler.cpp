#include "tests/support/print_scheduler.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>
#include <utility>

#include <cups/cups.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/own_folder.h"

namespace fs = std::filesystem;

namespace {

// Run with no arguments it names its device; with a job it copies the file (or its input) to
// <folder in the device URI>/job-<id>.pdf, through a temporary name so that no reader sees half a job, and keeps the
// job's name and options beside it.
constexpr const char* kBackend = R"(#!/bin/sh
[ $# -eq 0 ] && { echo 'direct imtest "Unknown" "Test job folder"'; exit 0; }
dir="${DEVICE_URI#imtest:}"
mkdir -p "$dir" || exit 1
if [ -n "$6" ]; then cp "$6" "$dir/.job-$1"; else cat > "$dir/.job-$1"; fi || exit 1
printf '%s' "$3" > "$dir/job-$1.title"
printf '%s' "$5" > "$dir/job-$1.options"
mv "$dir/.job-$1" "$dir/job-$1.pdf"
)";

// PDF goes through to the device unchanged ("-"), or through cups-filters' pdftopdf, which puts the pages on the
// paper the job's options choose; the driver describes the paper and the trays.
std::string DriverText(PrintScheduler::Driver driver)
{
    using Driver = PrintScheduler::Driver;
    struct Paper {
        const char* name;
        int width, height; // points
    };
    const Paper papers[]
        = { { "A4", 595, 842 }, { "Letter", 612, 792 }, { "A5", 420, 595 }, { "Executive", 522, 756 } };
    const char* paper = driver == Driver::kLetterWithMargins ? "Letter"
        : driver == Driver::kExecutiveThroughPdftopdf        ? "Executive"
                                                             : "A4";
    std::ostringstream ppd;
    ppd << "*PPD-Adobe: \"4.3\"\n*FormatVersion: \"4.3\"\n*FileVersion: \"1.0\"\n*LanguageVersion: English\n"
           "*LanguageEncoding: ISOLatin1\n*PCFileName: \"imtest.ppd\"\n*Manufacturer: \"Test\"\n"
           "*Product: \"(Test)\"\n*ModelName: \"Test Paper\"\n*ShortNickName: \"Test Paper\"\n"
           "*NickName: \"Test Paper\"\n*PSVersion: \"(3010.000) 0\"\n"
        << (driver == Driver::kExecutiveThroughPdftopdf
                   ? "*cupsFilter2: \"application/vnd.cups-pdf application/pdf 0 -\"\n"
                   : "*cupsFilter2: \"application/pdf application/vnd.cups-pdf 0 -\"\n")
        << "*OpenUI *PageSize: PickOne\n*DefaultPageSize: " << paper << "\n";
    for (const Paper& p : papers)
        ppd << "*PageSize " << p.name << ": \"<</PageSize[" << p.width << " " << p.height << "]>>setpagedevice\"\n";
    ppd << "*CloseUI: *PageSize\n*OpenUI *InputSlot: PickOne\n*DefaultInputSlot: Auto\n"
           "*InputSlot Auto: \"<</ManualFeed false>>setpagedevice\"\n"
           "*InputSlot Tray1: \"<</MediaPosition 1>>setpagedevice\"\n"
           "*InputSlot Upper: \"<</MediaPosition 2>>setpagedevice\"\n*CloseUI: *InputSlot\n"
           "*DefaultImageableArea: "
        << paper << "\n";
    for (const Paper& p : papers) {
        // Lower left and upper right corners of the printable area.
        int x0 = 0, y0 = 0, x1 = p.width, y1 = p.height;
        if (driver == Driver::kLetterWithMargins) {
            x0 = 18, y0 = 36, x1 = p.width - 18, y1 = p.height - 36;
        } else if (driver == Driver::kA4WithWideMargins || driver == Driver::kExecutiveThroughPdftopdf) {
            x0 = 72, y0 = 90, x1 = p.width - 36, y1 = p.height - 54;
        } else if (driver == Driver::kA4WithoutPrintableArea) {
            std::swap(x0, x1);
            std::swap(y0, y1);
        }
        ppd << "*ImageableArea " << p.name << ": \"" << x0 << " " << y0 << " " << x1 << " " << y1 << "\"\n";
    }
    ppd << "*DefaultPaperDimension: " << paper << "\n";
    for (const Paper& p : papers)
        ppd << "*PaperDimension " << p.name << ": \"" << p.width << " " << p.height << "\"\n";
    return ppd.str();
}

// Standard output goes to out_fd (or nowhere), standard error nowhere. The child ends with the test process,
// even one that crashes, so no scheduler outlives its test.
pid_t Spawn(const std::vector<std::string>& args, int out_fd = -1)
{
    std::vector<char*> argv;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid != 0)
        return pid;
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent)
        _exit(1);
    const int null_fd = open("/dev/null", O_RDWR);
    dup2(null_fd, STDIN_FILENO);
    dup2(out_fd >= 0 ? out_fd : null_fd, STDOUT_FILENO);
    dup2(null_fd, STDERR_FILENO);
    execvp(argv[0], argv.data());
    _exit(127);
}

int Wait(pid_t pid)
{
    int status = 0;
    if (pid <= 0 || waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void WriteFile(const fs::path& path, const std::string& text, fs::perms perms)
{
    std::ofstream(path) << text;
    fs::permissions(path, perms);
}

bool Answers(const fs::path& socket_path)
{
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr {};
    addr.sun_family = AF_UNIX;
    std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", socket_path.c_str());
    const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    close(fd);
    return ok;
}

} // namespace

PrintScheduler::PrintScheduler()
{
    char pattern[] = "/tmp/im-cups-XXXXXX";
    if (!mkdtemp(pattern)) {
        ADD_FAILURE() << "no folder for the print scheduler";
        return;
    }
    folder_ = pattern;
    WriteConfiguration();
    pid_ = Spawn({ "/usr/sbin/cupsd", "-f", "-c", (folder_ / "cupsd.conf").string(), "-s",
        (folder_ / "cups-files.conf").string() });
    const fs::path socket_path = folder_ / "cups.sock";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (pid_ > 0 && !Answers(socket_path)) {
        if (std::chrono::steady_clock::now() > deadline || waitpid(pid_, nullptr, WNOHANG) == pid_) {
            kill(pid_, SIGKILL);
            Wait(pid_);
            pid_ = -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (pid_ <= 0) {
        ADD_FAILURE() << "cupsd (cups-daemon) did not start in " << folder_;
        return;
    }
    SetEnvironment("CUPS_SERVER", socket_path.string());
    unsetenv("PRINTER");
    unsetenv("LPDEST");
    cupsSetServer(nullptr); // the client library reads CUPS_SERVER again
}

PrintScheduler::~PrintScheduler()
{
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        Wait(pid_);
    }
    for (auto it = saved_environment_.rbegin(); it != saved_environment_.rend(); ++it)
        if (it->second)
            setenv(it->first.c_str(), it->second->c_str(), 1);
        else
            unsetenv(it->first.c_str());
    cupsSetServer(nullptr);
    std::error_code ignored;
    if (!folder_.empty())
        fs::remove_all(folder_, ignored);
}

void PrintScheduler::WriteConfiguration()
{
    using fs::perms;
    const perms readable = perms::owner_read | perms::owner_write | perms::group_read | perms::others_read;
    fs::permissions(
        folder_, perms::owner_all | perms::group_read | perms::group_exec | perms::others_read | perms::others_exec);
    for (const char* sub : { "spool", "spool/tmp", "cache", "state", "log", "jobs" }) {
        fs::create_directories(folder_ / sub);
        fs::permissions(folder_ / sub, perms::all); // cupsd works as lp
    }
    const fs::path bin = folder_ / "bin";
    fs::create_directories(bin / "backend");
    for (const char* sub : { "daemon", "notifier", "filter", "monitor", "driver" })
        if (fs::exists(fs::path("/usr/lib/cups") / sub))
            fs::create_directory_symlink(fs::path("/usr/lib/cups") / sub, bin / sub);
    // Owner-only: cupsd runs such a backend as root, so it may write into the test's folder.
    WriteFile(bin / "backend" / "imtest", kBackend, perms::owner_all);

    const std::string f = folder_.string();
    WriteFile(folder_ / "cups-files.conf",
        "ServerRoot " + f + "\nRequestRoot " + f + "/spool\nTempDir " + f + "/spool/tmp\nCacheDir " + f
            + "/cache\nStateDir " + f + "/state\nServerBin " + f + "/bin\nDataDir /usr/share/cups\nAccessLog " + f
            + "/log/access_log\nErrorLog " + f + "/log/error_log\nPageLog " + f + "/log/page_log\nPrintcap " + f
            + "/printcap\n" + (geteuid() == 0 ? "User lp\nGroup lp\n" : "") + "FileDevice No\n",
        readable);
    WriteFile(folder_ / "cupsd.conf",
        "LogLevel warn\nListen " + f
            + "/cups.sock\nWebInterface No\nBrowsing No\nDefaultAuthType None\nMaxJobs 0\n"
              "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
              "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n",
        readable);
}

// Without our scheduler running CUPS_SERVER is not ours: nothing may reach the system's.
void PrintScheduler::Admin(const std::vector<std::string>& command)
{
    if (!Running()) {
        ADD_FAILURE() << command.front() << " without the test's scheduler";
        return;
    }
    EXPECT_EQ(Wait(Spawn(command)), 0) << command.front() << " failed";
}

void PrintScheduler::SetEnvironment(const char* name, const std::string& value)
{
    const char* earlier = std::getenv(name);
    saved_environment_.emplace_back(name, earlier ? std::optional<std::string>(earlier) : std::nullopt);
    setenv(name, value.c_str(), 1);
}

void PrintScheduler::SetUserOption(const std::string& queue, const std::string& option)
{
    UseUserFolder();
    Admin({ "lpoptions", "-p", queue, "-o", option });
}

// lpoptions -x writes nothing when the queue is the scheduler's only one: the queue's lines go from the file here.
void PrintScheduler::ClearUserOptions(const std::string& queue)
{
    UseUserFolder();
    const fs::path file = folder_ / "user" / ".cups" / "lpoptions";
    std::ifstream in(file);
    std::string kept;
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string kind, name;
        words >> kind >> name;
        if (name != queue)
            kept += line + "\n";
    }
    in.close();
    if (fs::exists(file))
        std::ofstream(file, std::ios::trunc) << kept;
}

// lpoptions writes ~/.cups/lpoptions, as root too on CUPS 2.4 (later versions write root's into CUPS_SERVERROOT):
// both point into the folder, for lpoptions and for this process's CUPS clients alike.
void PrintScheduler::UseUserFolder()
{
    const fs::path user = folder_ / "user";
    if (!fs::exists(user)) {
        fs::create_directories(user);
        SetEnvironment("HOME", user.string());
        SetEnvironment("CUPS_SERVERROOT", user.string());
    }
}

void PrintScheduler::AddQueue(const std::string& name)
{
    Admin({ "/usr/sbin/lpadmin", "-p", name, "-E", "-v", "imtest:" + (folder_ / "jobs" / name).string() });
}

void PrintScheduler::AddQueue(const std::string& name, Driver driver)
{
    const fs::path ppd = folder_ / (name + ".ppd");
    WriteFile(ppd, DriverText(driver), fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
    Admin({ "/usr/sbin/lpadmin", "-p", name, "-E", "-v", "imtest:" + (folder_ / "jobs" / name).string(), "-P",
        ppd.string() });
}

std::vector<fs::path> PrintScheduler::WaitForJobs(
    const std::string& queue, size_t count, std::chrono::milliseconds timeout) const
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    auto id = [](const fs::path& p) { return std::atoi(p.stem().string().c_str() + 4); };
    for (;;) {
        std::vector<fs::path> jobs;
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(folder_ / "jobs" / queue, ec))
            if (entry.path().extension() == ".pdf" && entry.path().filename().string().rfind("job-", 0) == 0)
                jobs.push_back(entry.path());
        std::sort(jobs.begin(), jobs.end(), [&](const auto& a, const auto& b) { return id(a) < id(b); });
        if (jobs.size() >= count || std::chrono::steady_clock::now() > deadline)
            return jobs;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

int PrintScheduler::JobCount(const std::string& queue, const char* which) const
{
    if (!Running())
        return -1;
    const std::string listed = CaptureOutput({ "lpstat", "-W", which, "-o", queue });
    return static_cast<int>(std::count(listed.begin(), listed.end(), '\n'));
}

std::string PrintScheduler::JobTitle(const fs::path& job)
{
    std::ifstream in(fs::path(job).replace_extension(".title"));
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::map<std::string, std::string> PrintScheduler::JobOptions(const fs::path& job)
{
    std::ifstream in(fs::path(job).replace_extension(".options"));
    const std::string text(std::istreambuf_iterator<char>(in), {});
    cups_option_t* parsed = nullptr;
    const int count = cupsParseOptions(text.c_str(), 0, &parsed);
    std::map<std::string, std::string> options;
    for (int i = 0; i < count; ++i)
        options[parsed[i].name] = parsed[i].value;
    cupsFreeOptions(count, parsed);
    return options;
}

void PrintScheduler::SavePages(const fs::path& job, const std::string& name)
{
    // pdftoppm numbers the pages: <name>-1.png, <name>-2.png, ...; an earlier run's pages go first.
    const fs::path prefix = testing_support::PicturePath(name).replace_extension();
    for (const fs::directory_entry& entry : fs::directory_iterator(prefix.parent_path()))
        if (entry.path().filename().string().starts_with(name + "-"))
            fs::remove(entry.path());
    EXPECT_EQ(Wait(Spawn({ "pdftoppm", "-png", "-r", "50", job.string(), prefix.string() })), 0)
        << "no PNG pages from " << job;
}

std::string CaptureOutput(const std::vector<std::string>& args)
{
    int fds[2];
    if (pipe(fds) != 0)
        return {};
    const pid_t pid = Spawn(args, fds[1]);
    close(fds[1]);
    std::string out;
    char buffer[4096];
    for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;)
        out.append(buffer, static_cast<size_t>(n));
    close(fds[0]);
    return Wait(pid) == 0 ? out : std::string();
}

std::string PdfText(const fs::path& pdf)
{
    return CaptureOutput({ "pdftotext", "-layout", pdf.string(), "-" });
}

int PdfPages(const fs::path& pdf)
{
    const std::string info = CaptureOutput({ "pdfinfo", pdf.string() });
    const size_t at = info.find("\nPages:");
    return at == std::string::npos ? -1 : std::atoi(info.c_str() + at + 7);
}

PdfSize PdfPageSize(const fs::path& pdf)
{
    const std::string info = CaptureOutput({ "pdfinfo", pdf.string() });
    PdfSize size;
    const size_t at = info.find("\nPage size:");
    if (at != std::string::npos)
        std::sscanf(info.c_str() + at + 11, " %lf x %lf", &size.width, &size.height);
    return size;
}

std::vector<PdfWord> PdfWords(const fs::path& pdf)
{
    const std::string html = CaptureOutput({ "pdftotext", "-bbox", pdf.string(), "-" });
    static const std::regex tag(
        R"re(<page |<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
    std::vector<PdfWord> words;
    int page = -1;
    for (std::sregex_iterator it(html.begin(), html.end(), tag), end; it != end; ++it) {
        const std::smatch& m = *it;
        if (m.str(0) == "<page ")
            ++page;
        else
            words.push_back(PdfWord {
                page, std::stod(m.str(1)), std::stod(m.str(2)), std::stod(m.str(3)), std::stod(m.str(4)), m.str(5) });
    }
    return words;
}

std::string WordsOutside(const fs::path& pdf, double left, double top, double right, double bottom)
{
    const PdfSize sheet = PdfPageSize(pdf);
    std::ostringstream outside;
    int count = 0;
    for (const PdfWord& w : PdfWords(pdf))
        if (w.x_min < left || w.y_min < top || w.x_max > sheet.width - right || w.y_max > sheet.height - bottom)
            if (++count <= 3)
                outside << "\"" << w.text << "\" at (" << w.x_min << ", " << w.y_min << ")-(" << w.x_max << ", "
                        << w.y_max << ") on page " << w.page + 1 << "; ";
    if (count > 0)
        outside << count << " words outside, on a sheet of " << sheet.width << " x " << sheet.height << " pt";
    return outside.str();
}
