#include "widgets/printer_dialog.h"

#include <vector>

#include "engine/text/create_text.h"
#include "platform/print/printer_dc.h"
#include "platform/print/printers.h"
#include "widgets/place.h"

namespace {

// The printer part of "printer,driver,port"; leading commas are skipped.
std::wstring DefaultPrinterName()
{
    wchar_t device[80];
    GetProfileStringW(L"windows", L"device", L",,,", device, 80);
    std::wstring text = device;
    const size_t start = text.find_first_not_of(L',');
    if (start == std::wstring::npos)
        return {};
    return text.substr(start, text.find(L',', start) - start);
}

} // namespace

IMSelectPrinterDialog::IMSelectPrinterDialog(Dialog* parent)
    : IMStandardDialog(parent, RECT { 220, 125, 580, 375 })
{
    CreateText(this, 30, 38, L"Выберите принтер:")->SetColor(0xFF000000u);
    list_ = new IMList(this);
    PlaceView(list_, 30, 58, 300, 100);
    FillList();
    AddButtons(L"PrintButton", 179);
}

void IMSelectPrinterDialog::FillList()
{
    DWORD needed = 0;
    DWORD count = 0;
    EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed);
    if (!EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.data(), needed, &needed, &count))
        count = 0; // the list changed between the two calls
    const std::wstring default_name = DefaultPrinterName();
    const auto* printers = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
        IMList::Line* line = list_->AddItem(printers[i].pPrinterName);
        if (!default_name.empty() && default_name == printers[i].pPrinterName)
            list_->Select(line);
    }
}

HDC IMSelectPrinterDialog::GetPrinterDC() const
{
    const IMList::Line* line = list_->GetSelected();
    if (!line)
        return nullptr;
    return CreateDCW(nullptr, line->GetText().c_str(), nullptr, nullptr);
}
