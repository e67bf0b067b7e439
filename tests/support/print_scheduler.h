// A private CUPS scheduler for tests: its own folder, configuration and socket, never the system's service.
// Its queues have a device of our own that writes every job into a folder of the test, so the printed PDF can
// be read back. The process reaches it as any CUPS client does: CUPS_SERVER names its socket while it runs.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/types.h>

class PrintScheduler {
public:
    // Starts cupsd and waits until it answers; the test fails (fatally) when it cannot start.
    PrintScheduler();
    // Stops cupsd, restores the client's server setting and removes the folder.
    ~PrintScheduler();
    PrintScheduler(const PrintScheduler&) = delete;
    PrintScheduler& operator=(const PrintScheduler&) = delete;

    bool Running() const { return pid_ > 0; }
    void AddQueue(const std::string& name);
    // A queue with a small driver of its own: US Letter by default, margins of 18 pt left and right and 36 pt at
    // top and bottom; PDF still reaches the device unchanged.
    void AddQueueWithMargins(const std::string& name);
    // The media a queue without a driver names as its default, as a PWG name ("na_letter_8.5x11in").
    void SetMedia(const std::string& name, const std::string& media);
    void RemoveQueue(const std::string& name);
    void SetDefault(const std::string& name);
    // Stops a queue from accepting jobs.
    void RejectJobs(const std::string& name);

    // The PDFs the queue's device has written, oldest first; waits until there are at least count of them or the
    // timeout passes.
    std::vector<std::filesystem::path> WaitForJobs(
        const std::string& queue, size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(20)) const;
    // The job files written so far.
    std::vector<std::filesystem::path> Jobs(const std::string& queue) const;
    // Every job the scheduler has taken for the queue, finished, cancelled or waiting.
    int JobCount(const std::string& queue) const;
    // The jobs of the queue that have not ended yet (printing, or waiting for their document).
    int OpenJobCount(const std::string& queue) const;
    // The job name (title) the scheduler gave the device along with a job file.
    static std::string JobTitle(const std::filesystem::path& job);

    const std::filesystem::path& Folder() const { return folder_; }

private:
    void WriteConfiguration();
    void Admin(const std::vector<std::string>& args);

    std::filesystem::path folder_;
    std::string previous_server_;
    bool had_server_ = false;
    pid_t pid_ = -1;
};

// Runs a command and returns its standard output; empty when it fails.
std::string CaptureOutput(const std::vector<std::string>& args);

// pdftotext -layout of a PDF, and pdfinfo's page count.
std::string PdfText(const std::filesystem::path& pdf);
int PdfPages(const std::filesystem::path& pdf);

// A word as poppler places it: page index from 0, box in points from the sheet's top-left corner.
struct PdfWord {
    int page = 0;
    double x_min = 0, y_min = 0, x_max = 0, y_max = 0;
    std::string text;
};
std::vector<PdfWord> PdfWords(const std::filesystem::path& pdf);

// The lines of text, form feeds splitting pages into separate entries of the outer list.
std::vector<std::vector<std::string>> PdfPageLines(const std::filesystem::path& pdf);
