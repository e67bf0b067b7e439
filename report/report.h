// The pupils' statistics workbook: an XML spreadsheet with one worksheet per pupil, extended run after run.
#pragma once

#include <map>
#include <memory>
#include <string>

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

    // Writes the whole workbook to path, or to the report's own path when path is empty; the own path never
    // changes. Paths reach the file system exactly as given (UTF-8). The stored file is replaced only by a complete new
    // one. Never throws: false (with one diagnostic line) when the file was not written.
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

    IMReport(std::wstring path, std::wstring sheetName);
    bool Load();
    bool StartFromTemplate();
    void FindOrAddWorksheet();
    xercesc::DOMElement* Table();
    // A new row at the end of the table, whose declared extent grows to take it and its cells.
    xercesc::DOMElement* AppendRow(int cells);
    std::string Serialise() const;

    std::unique_ptr<Library> library_; // outlives the document
    report::DocumentPtr document_;
    xercesc::DOMElement* worksheet_ = nullptr;
    std::wstring filePath_; // kept exact: a narrowed path would name another file
    std::string sheetName_;
    xercesc::DOMImplementation* implementation_ = nullptr;
};
