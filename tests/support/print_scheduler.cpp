#include "tests/support/print_scheduler.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

#include <cups/cups.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;

namespace {

// Copies every job to <folder given by the device URI>/job-<id>.pdf, and its title beside it; writes to a
// temporary name first so that a reader never sees half a job.
constexpr const char* kBackend = R"(#!/bin/sh
if [ $# -eq 0 ]; then
  echo 'direct imtest "Unknown" "Test job folder"'
  exit 0
fi
dir="${DEVICE_URI#imtest:}"
mkdir -p "$dir" || exit 1
if [ -n "$6" ]; then cp "$6" "$dir/.job-$1" || exit 1; else cat > "$dir/.job-$1" || exit 1; fi
printf '%s' "$3" > "$dir/job-$1.title"
mv "$dir/.job-$1" "$dir/job-$1.pdf"
exit 0
)";

std::vector<char*> Argv(const std::vector<std::string>& args)
{
    std::vector<char*> argv;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    return argv;
}

constexpr const char* kMarginsDriver = R"ppd(*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "imtest.ppd"
*Manufacturer: "Test"
*Product: "(Test)"
*ModelName: "Test Margins"
*ShortNickName: "Test Margins"
*NickName: "Test Margins"
*PSVersion: "(3010.000) 0"
*LanguageLevel: "3"
*ColorDevice: False
*DefaultColorSpace: Gray
*FileSystem: False
*Throughput: "1"
*TTRasterizer: Type42
*cupsFilter2: "application/pdf application/vnd.cups-pdf 0 -"
*OpenUI *PageSize/Media Size: PickOne
*OrderDependency: 10 AnySetup *PageSize
*DefaultPageSize: Letter
*PageSize A4/A4: "<</PageSize[595 842]>>setpagedevice"
*PageSize Letter/Letter: "<</PageSize[612 792]>>setpagedevice"
*CloseUI: *PageSize
*OpenUI *PageRegion: PickOne
*OrderDependency: 10 AnySetup *PageRegion
*DefaultPageRegion: Letter
*PageRegion A4/A4: "<</PageSize[595 842]>>setpagedevice"
*PageRegion Letter/Letter: "<</PageSize[612 792]>>setpagedevice"
*CloseUI: *PageRegion
*DefaultImageableArea: Letter
*ImageableArea A4/A4: "18 36 577 806"
*ImageableArea Letter/Letter: "18 36 594 756"
*DefaultPaperDimension: Letter
*PaperDimension A4/A4: "595 842"
*PaperDimension Letter/Letter: "612 792"
)ppd";

pid_t Spawn(const std::vector<std::string>& args, int out_fd)
{
    std::vector<char*> argv = Argv(args);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (out_fd >= 0)
        posix_spawn_file_actions_adddup2(&actions, out_fd, STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// The scheduler ends with the test process, even one that crashes, and holds none of its output streams.
pid_t SpawnScheduler(const std::vector<std::string>& args)
{
    std::vector<char*> argv = Argv(args);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid != 0)
        return pid;
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent)
        _exit(1);
    const int null_fd = open("/dev/null", O_RDWR);
    dup2(null_fd, STDIN_FILENO);
    dup2(null_fd, STDOUT_FILENO);
    dup2(null_fd, STDERR_FILENO);
    execv(argv[0], argv.data());
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
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
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

    if (const char* server = std::getenv("CUPS_SERVER")) {
        had_server_ = true;
        previous_server_ = server;
    }
    pid_ = SpawnScheduler({ "/usr/sbin/cupsd", "-f", "-c", (folder_ / "cupsd.conf").string(), "-s",
        (folder_ / "cups-files.conf").string() });
    if (pid_ <= 0) {
        ADD_FAILURE() << "cupsd could not be started (is cups-daemon installed?)";
        return;
    }
    const fs::path socket_path = folder_ / "cups.sock";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (!Answers(socket_path)) {
        if (std::chrono::steady_clock::now() > deadline || waitpid(pid_, nullptr, WNOHANG) == pid_) {
            ADD_FAILURE() << "cupsd did not answer on " << socket_path;
            kill(pid_, SIGKILL);
            Wait(pid_);
            pid_ = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    setenv("CUPS_SERVER", socket_path.c_str(), 1);
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
    if (had_server_)
        setenv("CUPS_SERVER", previous_server_.c_str(), 1);
    else
        unsetenv("CUPS_SERVER");
    cupsSetServer(nullptr);
    std::error_code ignored;
    if (!folder_.empty())
        fs::remove_all(folder_, ignored);
}

void PrintScheduler::WriteConfiguration()
{
    const auto open = fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec | fs::perms::others_read
        | fs::perms::others_exec;
    fs::permissions(folder_, open);
    for (const char* sub : { "spool", "spool/tmp", "cache", "state", "log", "jobs" }) {
        fs::create_directories(folder_ / sub);
        fs::permissions(folder_ / sub, fs::perms::all); // cupsd works as lp
    }
    const fs::path bin = folder_ / "bin";
    fs::create_directories(bin / "backend");
    for (const char* sub : { "daemon", "notifier", "filter", "monitor", "driver" })
        if (fs::exists(fs::path("/usr/lib/cups") / sub))
            fs::create_directory_symlink(fs::path("/usr/lib/cups") / sub, bin / sub);
    // Owner-only: cupsd runs such a backend as root, so it may write into the test's folder.
    WriteFile(bin / "backend" / "imtest", kBackend, fs::perms::owner_all);

    const std::string f = folder_.string();
    const bool root = geteuid() == 0;
    WriteFile(folder_ / "cups-files.conf",
        "ServerRoot " + f + "\nRequestRoot " + f + "/spool\nTempDir " + f + "/spool/tmp\nCacheDir " + f
            + "/cache\nStateDir " + f + "/state\nServerBin " + f + "/bin\nDataDir /usr/share/cups\nAccessLog " + f
            + "/log/access_log\nErrorLog " + f + "/log/error_log\nPageLog " + f + "/log/page_log\n"
            + (root ? "User lp\nGroup lp\n" : "") + "FileDevice No\n",
        fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);
    WriteFile(folder_ / "cupsd.conf",
        "LogLevel warn\nListen " + f
            + "/cups.sock\nWebInterface No\nBrowsing No\nDefaultAuthType None\nMaxJobs 0\nPreserveJobFiles No\n"
              "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
              "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n",
        fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);
}

void PrintScheduler::Admin(const std::vector<std::string>& args)
{
    std::vector<std::string> command { "lpadmin" };
    command.insert(command.end(), args.begin(), args.end());
    EXPECT_EQ(Wait(Spawn(command, -1)), 0) << "lpadmin failed";
}

void PrintScheduler::AddQueue(const std::string& name)
{
    Admin({ "-p", name, "-E", "-v", "imtest:" + (folder_ / "jobs" / name).string() });
}

void PrintScheduler::AddQueueWithMargins(const std::string& name)
{
    const fs::path driver = folder_ / (name + ".ppd");
    WriteFile(driver, kMarginsDriver, fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
    Admin({ "-p", name, "-E", "-v", "imtest:" + (folder_ / "jobs" / name).string(), "-P", driver.string() });
}

void PrintScheduler::SetMedia(const std::string& name, const std::string& media)
{
    Admin({ "-p", name, "-o", "media-default=" + media });
}

void PrintScheduler::RemoveQueue(const std::string& name)
{
    Admin({ "-x", name });
}

void PrintScheduler::SetDefault(const std::string& name)
{
    Admin({ "-d", name });
}

void PrintScheduler::RejectJobs(const std::string& name)
{
    EXPECT_EQ(Wait(Spawn({ "cupsreject", name }, -1)), 0) << "cupsreject failed";
}

std::vector<fs::path> PrintScheduler::Jobs(const std::string& queue) const
{
    std::vector<fs::path> jobs;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder_ / "jobs" / queue, ec))
        if (entry.path().extension() == ".pdf" && entry.path().filename().string().rfind("job-", 0) == 0)
            jobs.push_back(entry.path());
    auto id = [](const fs::path& p) { return std::atoi(p.stem().string().c_str() + 4); };
    std::sort(jobs.begin(), jobs.end(), [&](const auto& a, const auto& b) { return id(a) < id(b); });
    return jobs;
}

std::vector<fs::path> PrintScheduler::WaitForJobs(
    const std::string& queue, size_t count, std::chrono::milliseconds timeout) const
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    auto jobs = Jobs(queue);
    while (jobs.size() < count && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        jobs = Jobs(queue);
    }
    return jobs;
}

namespace {

int LineCount(const std::string& text)
{
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

} // namespace

int PrintScheduler::JobCount(const std::string& queue) const
{
    return LineCount(CaptureOutput({ "lpstat", "-W", "all", "-o", queue }));
}

int PrintScheduler::OpenJobCount(const std::string& queue) const
{
    return LineCount(CaptureOutput({ "lpstat", "-W", "not-completed", "-o", queue }));
}

std::string PrintScheduler::JobTitle(const fs::path& job)
{
    fs::path title = job;
    title.replace_extension(".title");
    std::ifstream in(title);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
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
    std::istringstream info(CaptureOutput({ "pdfinfo", pdf.string() }));
    for (std::string line; std::getline(info, line);)
        if (line.rfind("Pages:", 0) == 0)
            return std::atoi(line.c_str() + 6);
    return -1;
}

std::vector<std::vector<std::string>> PdfPageLines(const fs::path& pdf)
{
    std::vector<std::vector<std::string>> pages(1);
    std::istringstream text(PdfText(pdf));
    for (std::string line; std::getline(text, line);) {
        size_t feed;
        while ((feed = line.find('\f')) != std::string::npos) {
            if (feed > 0)
                pages.back().push_back(line.substr(0, feed));
            pages.emplace_back();
            line.erase(0, feed + 1);
        }
        if (!line.empty() || !pages.back().empty())
            pages.back().push_back(line);
    }
    if (pages.size() > 1 && pages.back().empty())
        pages.pop_back();
    return pages;
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
        if (m.str(0) == "<page ") {
            ++page;
            continue;
        }
        words.push_back(PdfWord {
            page, std::stod(m.str(1)), std::stod(m.str(2)), std::stod(m.str(3)), std::stod(m.str(4)), m.str(5) });
    }
    return words;
}
