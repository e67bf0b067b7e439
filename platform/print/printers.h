// Winspool-shaped printer enumeration over the CUPS scheduler the environment names (CUPS_SERVER, as every CUPS
// client reaches it). Without a reachable scheduler the list is empty and there is no default printer.
#pragma once

#include "platform/win32.h"

constexpr DWORD PRINTER_ENUM_LOCAL = 0x00000002;

struct PRINTER_INFO_2W {
    wchar_t* pServerName = nullptr;
    wchar_t* pPrinterName = nullptr; // "name" or "name/instance", as CUPS names destinations
    wchar_t* pShareName = nullptr;
    wchar_t* pPortName = nullptr; // the device URI
    wchar_t* pDriverName = nullptr; // the make and model
    wchar_t* pComment = nullptr;
    wchar_t* pLocation = nullptr;
    DWORD Attributes = 0;
    DWORD Status = 0;
};

constexpr DWORD PRINTER_ATTRIBUTE_DEFAULT = 0x00000004;

// Level 2 only. The records come first in the buffer, their strings after them. With a buffer too small (or
// none) it answers FALSE with the bytes needed in *needed and no records; *returned is the number written.
BOOL EnumPrintersW(DWORD flags, wchar_t* name, DWORD level, BYTE* buffer, DWORD size, DWORD* needed, DWORD* returned);

// Only the section "windows", key "device" is known: "printer,driver,port" of the default printer. Anything
// else, or no default printer, copies the default value. Returns the characters copied, without the terminator
// (the copy is cut to size - 1).
DWORD GetProfileStringW(
    const wchar_t* section, const wchar_t* key, const wchar_t* fallback, wchar_t* buffer, DWORD size);
