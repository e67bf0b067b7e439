// A private CUPS scheduler for tests: its own folder, configuration and socket, never the system's service. Its
// queues' device writes every job into the test's folder, so the printed PDF can be read back. The process reaches
// it as any CUPS client does: CUPS_SERVER names its socket while it runs.
#pragma once

#include <chrono>
#include <filesystem>
#include <future>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <sys/types.h>

class PrintScheduler {
public:
    // Starts cupsd and waits until it answers; the test fails when it cannot start.
    PrintScheduler();
    // Stops cupsd, restores the client's server setting and removes the folder.
    ~PrintScheduler();
    PrintScheduler(const PrintScheduler&) = delete;
    PrintScheduler& operator=(const PrintScheduler&) = delete;

    bool Running() const { return pid_ > 0; }
    // A raw queue: it reports neither paper nor margins.
    void AddQueue(const std::string& name);
    // Queues in the order given, the last of them the default.
    void AddQueues(std::initializer_list<const char*> names)
    {
        for (const char* name : names)
            AddQueue(name);
        SetDefault(*(names.end() - 1));
    }
    // What the small driver of a queue says: it offers A4, US Letter, A5 and Executive (no B5), this one its default
    // and no media option set, each size with the printable area given, and the trays Auto (its default), Tray1 and
    // Upper. The PDF reaches the device as it was sent, unless the driver says otherwise.
    enum class Driver {
        kLetterWithMargins, // margins of 18 pt left and right, 36 pt top and bottom
        kA4WithoutMargins, // the whole sheet printable, as a driver that gives 0
        kA4WithoutPrintableArea, // margins as large as the sheet: the area is inverted
        kA4WithWideMargins, // margins of 72 pt left, 54 pt top, 36 pt right, 90 pt bottom: each unlike its opposite
        // The margins of kA4WithWideMargins; the PDF goes through cups-filters' pdftopdf, which puts the pages on the
        // paper the job asks for, as a driver's filters do.
        kExecutiveThroughPdftopdf,
    };
    void AddQueue(const std::string& name, Driver driver);
    void RemoveQueue(const std::string& name) { Admin({ "/usr/sbin/lpadmin", "-x", name }); }
    void SetDefault(const std::string& name) { Admin({ "/usr/sbin/lpadmin", "-d", name }); }
    void RejectJobs(const std::string& name) { Admin({ "/usr/sbin/cupsreject", name }); }
    // Sets an option of the user's own for the queue ("media=A5"), as lpoptions does, in an options file inside the
    // folder. The CUPS library finds that file through the environment it sees when a thread first calls it: the
    // choice reaches what is asked on a thread started afterwards (OnNewThread).
    void SetUserOption(const std::string& queue, const std::string& option);
    // Takes back every option of the user's own for the queue (lpoptions -x).
    void ClearUserOptions(const std::string& queue);
    template <class F> static auto OnNewThread(F f) { return std::async(std::launch::async, std::move(f)).get(); }

    // The PDFs the queue's device wrote, oldest first, once there are count of them or the timeout has passed.
    std::vector<std::filesystem::path> WaitForJobs(
        const std::string& queue, size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(20)) const;
    // The jobs the scheduler holds for the queue: "all", or "not-completed" (printing or awaiting their document).
    int JobCount(const std::string& queue, const char* which = "all") const;
    // The job name the device was given with a job file.
    static std::string JobTitle(const std::filesystem::path& job);
    // The options the scheduler gave the device with a job file (its back end's fifth argument), by name.
    static std::map<std::string, std::string> JobOptions(const std::filesystem::path& job);
    // Writes the job's pages as PNG files into the running test's picture folder (testing_support::PicturePath),
    // numbered after the name given.
    static void SavePages(const std::filesystem::path& job, const std::string& name);

    const std::filesystem::path& Folder() const { return folder_; }

private:
    void WriteConfiguration();
    // Points HOME and CUPS_SERVERROOT into the folder, where lpoptions keeps the user's options.
    void UseUserFolder();
    void Admin(const std::vector<std::string>& command);
    // Sets the variable while the scheduler runs; the destructor gives it back its earlier value or unsets it.
    void SetEnvironment(const char* name, const std::string& value);

    std::filesystem::path folder_;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_environment_;
    pid_t pid_ = -1;
};

// Runs a command and returns its standard output; empty when it fails.
std::string CaptureOutput(const std::vector<std::string>& args);

// What poppler reads from a PDF: the text as laid out, the page count, and the words with their boxes in points
// from the sheet's top-left corner (page counted from 0).
std::string PdfText(const std::filesystem::path& pdf);
int PdfPages(const std::filesystem::path& pdf);
// Width and height of the first page in points; 0 when poppler cannot read the file.
struct PdfSize {
    double width = 0, height = 0;
};
PdfSize PdfPageSize(const std::filesystem::path& pdf);
struct PdfWord {
    int page = 0;
    double x_min = 0, y_min = 0, x_max = 0, y_max = 0;
    std::string text;
};
std::vector<PdfWord> PdfWords(const std::filesystem::path& pdf);
// The words of the PDF that come nearer an edge of their sheet than the margins given in points, described for a
// failure message; empty when there are none.
std::string WordsOutside(const std::filesystem::path& pdf, double left, double top, double right, double bottom);
