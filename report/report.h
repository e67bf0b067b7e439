// The pupils' statistics workbook: an XML spreadsheet with one worksheet per pupil, extended run after run.
#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMElement.hpp>
#include <xercesc/dom/DOMImplementation.hpp>

#include "platform/fonts/gdi_font.h"
#include "report/workbook_parser.h"

namespace report {
class WorkbookLock;
}

class IMReport {
public:
    // Opens the workbook at path (or starts an empty one when no file is there) and finds the worksheet named
    // exactly sheetName, adding it when there is none. A file that does not parse is never overwritten: it is
    // renamed aside and the report starts empty. Null when even that fails, or the XML library cannot start;
    // the caller then runs without a report.
    static std::unique_ptr<IMReport> Open(std::wstring path, std::wstring sheetName);
    ~IMReport();

    IMReport(const IMReport&) = delete;
    IMReport& operator=(const IMReport&) = delete;

    // Appends a row of two cells to the worksheet: the label as a string, the value with the given type
    // ("Number" or "String").
    void AddRow(std::wstring label, std::wstring value, std::wstring type);
    void AddEmptyRow();

    // Saves to the report's own path when path is empty or leads to the workbook (through links, or spelt another
    // way): under the workbook lock, the rows added since the last such save join the pupil's sheet of the
    // workbook as it is on disk now, so rows other copies of the program saved meanwhile stay, and the file the
    // links lead to is replaced (never a link). The report then holds that merged workbook. A stored workbook that
    // is missing or no longer parses is rewritten with everything the report holds (a damaged one kept aside
    // first); one that cannot be read for another reason (memory, I/O, permission, not a regular file) is left
    // alone and the save fails. A second name of the workbook (a hard link) gets the own save, then the saved
    // workbook under that name. Any other path gets the workbook as stored now with the unsaved rows joined, which
    // the report then holds; the own workbook is not written. Paths reach the file system as given (UTF-8), no
    // character changed. A stored file is replaced only by a complete new one. Never throws: false (with one
    // diagnostic line) when the file was not written; unsaved rows then wait for the next save.
    bool Save(std::wstring path);
    // The save at the program's end, to be made once: to the own path, waiting for another copy's save until
    // `until`. It reads the stored workbook even when nothing is unsaved, so that one gone or damaged meanwhile is
    // rewritten; with nothing unsaved it waits only as an ordinary save does and writes nothing into a workbook
    // that holds everything. When the workbook cannot take the run, the rows not yet stored (or everything the
    // report holds, when the workbook or its folder is gone) go into a workbook of their own in the first folder
    // that takes it (report/workbook_place.h), and one line says where and why. True when the run is stored in the
    // workbook or there is nothing to store; never throws.
    bool SaveBeforeClosing(std::chrono::steady_clock::time_point until);
    bool SaveBeforeClosing() { return SaveBeforeClosing(std::chrono::steady_clock::now() + kClosingLockWait); }

    // How long a save waits for another copy's: long enough for any other copy's save to end; a copy that holds
    // the workbook longer is stuck.
    static constexpr std::chrono::seconds kLockWait { 3 };
    // How long the program's last save waits for another copy's: the run is lost to the workbook otherwise, so
    // this waits out even a slow disk or a large workbook.
    static constexpr std::chrono::seconds kClosingLockWait { 30 };

    // Prints the pupil's worksheet, as stored now with the unsaved rows joined, on the printer context as one job:
    // the header pairs in key order, a blank line, then every row of the worksheet's table, its cells in columns at
    // least half the page wide. Nothing is printed when the worksheet has no table or the printer refuses the job. The
    // caller keeps the context.
    void Print(HDC dc, std::map<std::wstring, std::wstring> header);

    // A row as added: no cells when it is an empty row.
    struct Row {
        std::wstring label, value, type;
        bool empty = false;
    };
    // A run whose save failed, held until it is stored: no workbook, only where its rows go.
    struct Run {
        std::wstring path; // the workbook's, as given to Open
        std::string sheetName; // narrow, as GetSheetName
        std::vector<Row> rows;
    };

    // Takes on runs held from earlier reports: each save to the workbook stores them, into their own sheets and
    // before this report's rows, and they are kept with this report's own run at the end. Runs is emptied.
    void Carry(std::vector<Run>& runs);
    // What the workbook does not yet hold, lightly: the carried runs, then this report's own unsaved rows. The
    // report holds no run afterwards.
    std::vector<Run> TakeRuns();
    // A report that stores held runs when no report is open: nothing is read until it saves. Null, with runs kept,
    // when the XML library cannot start.
    static std::unique_ptr<IMReport> Resume(std::vector<Run>& runs);

    // After a failed save: the stored workbook was found gone, or damaged and not set aside, while the report held
    // rows of it, so this copy alone holds them.
    bool Orphaned() const { return orphaned_; }
    // Keeps everything an orphaned report holds in a workbook of its own, as the last save does, and says where in
    // one line; the caller then lets the report go. False, said too, when no folder took it: the runs are still
    // there to take.
    bool KeepOrphaned();

    // The report's own path, as given to Open.
    const std::wstring& WidenString() const { return filePath_; }
    // The pupil's name as the workbook stores it, narrow (Windows-1251).
    const std::string& GetSheetName() const { return sheetName_; }
    // The pupil's Worksheet element; its first Table holds the rows. The file may give the spreadsheet elements
    // any prefix: report/spreadsheet_names.h finds them.
    xercesc::DOMElement* GetWorksheet() const { return worksheet_; }

private:
    class Library;

    IMReport(std::wstring path, std::string sheetName);
    // Starts the XML library; throws when it cannot.
    void StartLibrary();

    // Unreadable also stands for a workbook that is there but was not read: the lock was not had.
    enum class Stored { Parsed, Missing, Damaged, Unreadable };
    // What taking in the stored workbook found.
    struct Intake {
        Stored stored = Stored::Unreadable;
        std::string why; // why it is missing, damaged or unreadable
        std::string movedTo; // where a damaged one was kept aside; empty when it stayed
    };
    // The one way the stored workbook is taken in, under the lock when held: read and classified; a parsed one
    // becomes the report's with the unsaved rows joined, otherwise the report keeps what it holds (an empty
    // workbook when it holds none yet). A damaged one is moved aside when moveDamaged and the lock is held.
    Intake TakeIn(const std::string& path, const report::WorkbookLock& lock, bool moveDamaged);
    report::DocumentPtr EmptyWorkbook() const;
    static xercesc::DOMElement* FindWorksheet(xercesc::DOMDocument& document, const std::string& sheetName);
    // The named worksheet of document; a new one is added before `before`, or last when that is null.
    static xercesc::DOMElement* FindOrAddWorksheet(
        xercesc::DOMDocument& document, const std::string& sheetName, xercesc::DOMElement* before = nullptr);
    // Appends rows to the named worksheet of document, made when missing (before `before`); gives the worksheet.
    static xercesc::DOMElement* WriteRows(xercesc::DOMDocument& document, const std::string& sheetName,
        const std::vector<Row>& rows, xercesc::DOMElement* before = nullptr);
    // Writes the carried runs, then the unsaved rows, into document; gives the pupil's worksheet there.
    xercesc::DOMElement* JoinRuns(xercesc::DOMDocument& document) const;
    // Appends the row at the end of the worksheet's table, whose declared extent grows to take it and its cells:
    // the whole row or, when this throws, none of it.
    static void WriteRow(xercesc::DOMElement& worksheet, const Row& row);
    void Add(Row row);
    // The stored document with the unsaved rows joined becomes the report's.
    void Hold(report::DocumentPtr stored);
    // The file the own path leads to.
    std::string OwnFile() const;
    // Saves to the own file, waiting for the lock until `until`; with onlyWhenNeeded, writes nothing when the
    // stored workbook already holds everything. intake says what was found. Never throws.
    bool SaveOwn(std::chrono::steady_clock::time_point until, bool onlyWhenNeeded, Intake& intake, std::string& error);
    bool WriteOwn(std::chrono::steady_clock::time_point until, bool onlyWhenNeeded, Intake& intake, std::string& error);
    // Takes in the workbook as stored now, for Save As and printing; the report keeps what it holds when that
    // cannot be had, and says why.
    void TakeInStored();
    // Nothing to store: no carried run and no unsaved row.
    bool NothingNew() const { return held_.empty() && unsaved_.empty(); }
    // Some worksheet of the report's document holds a row.
    bool HoldsRows() const;
    // Writes what the workbook could not take into a workbook of its own: everything the report holds when it is
    // orphaned, else the carried runs and the unsaved rows; no sheet without a row of its own is added. Gives
    // where; empty when no folder took it, with why. Never throws.
    std::string KeepElsewhere(std::string& why);
    std::string KeptBytes();
    // Says in one line that the runs could not be stored, and where they went.
    void SayNotStored(const std::string& error, const std::string& kept, const std::string& why) const;
    // The pupils whose runs the report holds unstored, each once, in run order: «Аня», «Боря».
    std::wstring PupilsNotStored() const;
    // Says why a save to target failed, once; gives saved.
    bool Saved(const std::wstring& target, bool saved, const std::string& error) const;
    std::string Serialise(xercesc::DOMDocument& document) const;

    std::unique_ptr<Library> library_; // outlives the document
    report::DocumentPtr document_;
    xercesc::DOMElement* worksheet_ = nullptr;
    std::vector<Row> unsaved_; // added since the last save to the own path, in order
    std::vector<Run> held_; // carried runs of earlier reports, oldest first; the document holds their rows too
    std::wstring filePath_; // kept exact: a narrowed path would name another file
    std::string sheetName_;
    bool ownSheetNew_ = false; // the pupil's worksheet was added to the document, not found in the stored workbook
    bool heldStored_ = false; // the document holds a stored workbook: one read, or one this report wrote
    bool orphaned_ = false;
    xercesc::DOMImplementation* implementation_ = nullptr;
};
