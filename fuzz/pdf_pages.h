// Reads back the pages of a PDF as the printer context writes it (cairo's plain object layout): for each page of
// the page tree, in order, whether its content shows any text. Empty when the file is not such a PDF.
#pragma once

#include <string>
#include <vector>

std::vector<bool> PdfPagesShowingText(const std::string& pdf);
