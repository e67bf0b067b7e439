// The pupils' statistics workbook: an XML spreadsheet with one worksheet per pupil, extended run after run.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMElement.hpp>
#include <xercesc/dom/DOMImplementation.hpp>

#include "platform/fonts/gdi_font.h"
#include "report/workbook_parser.h"

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

    // Saves to the report's own path when path is empty or names it: under the workbook lock, the rows added since the
    // last such save join the pupil's sheet of the workbook as it is on disk now, so rows other copies of the
    // program saved meanwhile stay; the report then holds that merged workbook. Any other path gets the whole
    // workbook as the report holds it; the own path never changes. Paths reach the file system exactly as given
    // (UTF-8). A stored file is replaced only by a complete new one. Never throws: false (with one diagnostic line)
    // when the file was not written; unsaved rows then wait for the next save.
    bool Save(std::wstring path);

    // Prints the pupil's worksheet on the printer context as one job: the header pairs in key order, a blank line,
    // then every row of the worksheet's table, its cells in columns at least half the page wide. Nothing is
    // printed when the worksheet has no table or the printer refuses the job. The caller keeps the context.
    void Print(HDC dc, std::map<std::wstring, std::wstring> header);

    // The report's own path, as given to Open.
    const std::wstring& WidenString() const { return filePath_; }
    // The pupil's name as the workbook stores it, narrow (Windows-1251).
    const std::string& GetSheetName() const { return sheetName_; }
    // The pupil's Worksheet element; its first Table holds the rows. The file may give the spreadsheet elements
    // any prefix: report/spreadsheet_names.h finds them.
    xercesc::DOMElement* GetWorksheet() const { return worksheet_; }

private:
    class Library;

    // A row as added: no cells when it is an empty row.
    struct Row {
        std::wstring label, value, type;
        bool empty = false;
    };

    IMReport(std::wstring path, std::wstring sheetName);
    // The workbook stored at path as it is now, or an empty one when there is none. One that does not parse is moved
    // aside when mayMoveAside, else left for a later save. Null (said once) when nothing can be had.
    report::DocumentPtr ReadStored(const std::string& path, bool mayMoveAside, std::string& error);
    report::DocumentPtr EmptyWorkbook(std::string& error);
    xercesc::DOMElement* FindOrAddWorksheet(xercesc::DOMDocument& document) const;
    // Appends the row at the end of the worksheet's table, whose declared extent grows to take it and its cells.
    static void WriteRow(xercesc::DOMElement& worksheet, const Row& row);
    bool IsOwnFile(const std::wstring& path) const;
    bool SaveOwn(const std::string& path, std::string& error);
    std::string Serialise(xercesc::DOMDocument& document) const;

    std::unique_ptr<Library> library_; // outlives the document
    report::DocumentPtr document_;
    xercesc::DOMElement* worksheet_ = nullptr;
    std::vector<Row> unsaved_; // added since the last save to the own path, in order
    std::wstring filePath_; // kept exact: a narrowed path would name another file
    std::string sheetName_;
    xercesc::DOMImplementation* implementation_ = nullptr;
};
