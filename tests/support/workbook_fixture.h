// A scratch folder per test and the means to read back what a report wrote.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <xercesc/dom/DOMDocument.hpp>

#include "report/workbook_parser.h"
#include "tests/support/own_folder.h"

class WorkbookTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::filesystem::path folder_;

private:
    std::unique_ptr<testing_support::ScratchFolder> scratch_;
};

std::string ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const std::string& bytes);
std::vector<std::filesystem::path> FilesIn(const std::filesystem::path& folder);
std::wstring Wide(const std::filesystem::path& path);
size_t Count(const std::string& text, const std::string& part);

// One run of the program: the pupil's report gets one row and is saved to its own path.
void RecordRun(
    const std::filesystem::path& file, const std::wstring& pupil, const std::wstring& label, const std::wstring& value);

// Parses as a spreadsheet program would: namespaces on, any error fails the test.
report::DocumentPtr ParseStrictly(const std::string& bytes);

// Data texts of each Row of the named worksheet, in document order.
std::vector<std::vector<std::wstring>> SheetRows(const xercesc::DOMDocument& document, const std::wstring& sheet);
// The same, of the named worksheet of the workbook stored in file.
std::vector<std::vector<std::wstring>> StoredRows(const std::filesystem::path& file, const std::wstring& sheet);
// The ss:Type of each Data cell of each Row, in the same shape.
std::vector<std::vector<std::wstring>> SheetTypes(const xercesc::DOMDocument& document, const std::wstring& sheet);
std::vector<std::wstring> SheetNames(const xercesc::DOMDocument& document);
