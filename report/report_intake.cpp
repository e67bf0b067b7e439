// Taking in the stored workbook and joining the report's rows to it.
#include <new>
#include <stdexcept>

#include <xercesc/dom/DOMText.hpp>

#include "report/code_page.h"
#include "report/report.h"
#include "report/spreadsheet_names.h"
#include "report/table_extent.h"
#include "report/workbook_file.h"
#include "report/workbook_lock.h"
#include "report/workbook_template.h"
#include "report/xml_text.h"

using namespace xercesc;

IMReport::Intake IMReport::TakeIn(const std::string& path, const report::WorkbookLock& lock, bool moveDamaged)
{
    Intake intake;
    report::DocumentPtr stored;
    // Running out of memory says nothing about the file: it is unreadable for now, not damaged.
    try {
        report::FileContents file = report::ReadWholeFile(path);
        intake.why = file.error;
        if (file.status == report::ReadStatus::Read) {
            stored = report::ParseWorkbook(file.bytes.data(), file.bytes.size(), intake.why);
            intake.stored = stored ? Stored::Parsed : Stored::Damaged;
        } else if (file.status == report::ReadStatus::Missing) {
            intake.stored = Stored::Missing;
        }
    } catch (const std::bad_alloc&) {
        intake.why = "out of memory";
    }
    if (intake.stored == Stored::Damaged && moveDamaged) {
        // Only a copy holding the lock may move it: another copy may be replacing it this moment.
        std::string moveError;
        if (!lock.Held())
            intake.why += "; " + lock.Error();
        else if (!report::MoveAside(path, intake.movedTo, moveError)) {
            intake.why += "; " + moveError;
            intake.movedTo.clear();
        }
    }
    if (stored) {
        heldStored_ = true;
        Hold(std::move(stored));
    } else if (!document_)
        Hold(EmptyWorkbook());
    return intake;
}

report::DocumentPtr IMReport::EmptyWorkbook() const
{
    std::string why;
    report::DocumentPtr document = report::ParseWorkbook(kEmptyWorkbook, kEmptyWorkbookLength, why);
    if (!document)
        throw std::runtime_error("the empty workbook does not parse: " + why);
    return document;
}

DOMElement* IMReport::FindWorksheet(DOMDocument& document, const std::string& sheetName)
{
    const std::u16string name = report::DocumentText(::WidenString(sheetName));
    for (DOMElement* sheet : report::SpreadsheetChildren(*document.getDocumentElement(), u"Worksheet")) {
        const XMLCh* sheetName = report::SpreadsheetAttribute(*sheet, u"Name");
        if (sheetName && name == sheetName)
            return sheet;
    }
    return nullptr;
}

DOMElement* IMReport::FindOrAddWorksheet(DOMDocument& document, const std::string& sheetName, DOMElement* before)
{
    if (DOMElement* found = FindWorksheet(document, sheetName))
        return found;
    DOMElement* workbook = document.getDocumentElement();
    DOMElement* worksheet = report::AppendSpreadsheetElement(*workbook, u"Worksheet");
    if (before)
        workbook->insertBefore(worksheet, before);
    const std::u16string name = report::DocumentText(::WidenString(sheetName));
    report::SetSpreadsheetAttribute(*worksheet, u"Name", name.c_str());
    DOMElement* table = report::AppendSpreadsheetElement(*worksheet, u"Table");
    for (const char16_t* width : { u"240", u"96" }) {
        DOMElement* column = report::AppendSpreadsheetElement(*table, u"Column");
        report::SetSpreadsheetAttribute(*column, u"AutoFitWidth", u"0");
        report::SetSpreadsheetAttribute(*column, u"Width", width);
    }
    return worksheet;
}

DOMElement* IMReport::WriteRows(
    DOMDocument& document, const std::string& sheetName, const std::vector<Row>& rows, DOMElement* before)
{
    DOMElement* worksheet = FindOrAddWorksheet(document, sheetName, before);
    for (const Row& row : rows)
        WriteRow(*worksheet, row);
    return worksheet;
}

DOMElement* IMReport::JoinRuns(DOMDocument& document) const
{
    for (const Run& run : held_)
        WriteRows(document, run.sheetName, run.rows);
    return WriteRows(document, sheetName_, unsaved_);
}

bool IMReport::HoldsRows() const
{
    if (!document_)
        return false;
    for (DOMElement* sheet : report::SpreadsheetChildren(*document_->getDocumentElement(), u"Worksheet"))
        for (DOMElement* table : report::SpreadsheetChildren(*sheet, u"Table"))
            if (report::FirstSpreadsheetChild(*table, u"Row"))
                return true;
    return false;
}

void IMReport::WriteRow(DOMElement& worksheet, const Row& row)
{
    DOMElement* table = report::FirstSpreadsheetChild(worksheet, u"Table");
    if (!table)
        table = report::AppendSpreadsheetElement(worksheet, u"Table");
    const std::pair<const std::wstring&, std::u16string> cells[] = {
        { row.label, u"String" },
        { row.value, report::DocumentText(row.type) },
    };
    // An extent one row larger than the table holds is still valid, should the row itself fail below.
    report::WidenTable(*table, row.empty ? 0 : long(std::size(cells)));
    DOMElement* element = report::AppendSpreadsheetElement(*table, u"Row");
    try {
        if (row.empty)
            return;
        for (const auto& [text, dataType] : cells) {
            DOMElement* cell = report::AppendSpreadsheetElement(*element, u"Cell");
            DOMElement* data = report::AppendSpreadsheetElement(*cell, u"Data");
            report::SetSpreadsheetAttribute(*data, u"Type", dataType.c_str());
            data->appendChild(worksheet.getOwnerDocument()->createTextNode(report::DocumentText(text).c_str()));
        }
    } catch (...) {
        table->removeChild(element);
        element->release();
        throw;
    }
}

void IMReport::Hold(report::DocumentPtr stored)
{
    ownSheetNew_ = !FindWorksheet(*stored, sheetName_);
    DOMElement* worksheet = JoinRuns(*stored);
    document_ = std::move(stored);
    worksheet_ = worksheet;
}
