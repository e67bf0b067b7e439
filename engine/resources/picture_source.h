// Where a picture's bytes come from: a name of decimal digits names a resource of the program (or of the sibling
// store when the program lacks it), anything else is a file path.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "engine/resources/image_sink.h"
#include "platform/resources/resources.h"

// The sibling store searched for the resource ids the program itself lacks.
inline constexpr const wchar_t* kSiblingStoreName = L"Animations.dll";

// The whole name read as a 32-bit unsigned decimal number (no blanks), its low 16 bits; empty for a file path.
std::optional<WORD> ResourceIdFromName(const std::wstring& name);

// The bytes of an RT_RCDATA resource of the module; empty when it has none.
platform::Blob ResourceBytes(HMODULE module, WORD id);

// PNG first; when that fails, JPEG over the same bytes.
bool DecodePicture(const BYTE* data, size_t length, ImageSink& sink, UINT* width, UINT* height);
bool DecodePictureFile(const std::wstring& path, ImageSink& sink, UINT* width, UINT* height);
// The program's own resource first, then the sibling store's, which is released again after the decode.
bool DecodePictureResource(WORD id, ImageSink& sink, UINT* width, UINT* height);
// A decimal name as a resource, anything else as a file.
bool DecodePictureByName(const std::wstring& name, ImageSink& sink, UINT* width, UINT* height);
