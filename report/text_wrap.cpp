#include "report/text_wrap.h"

#include <algorithm>
#include <string_view>

#include "platform/print/printer_dc.h"

namespace report {

namespace {

bool IsHyphen(wchar_t c)
{
    return c == L'-' || c == L'\u2010';
}

// The length of the longest start of the text no wider than the width, one letter at least. Starts are measured
// whole, so the width found is the width drawn; the length doubles, then halves towards the answer, so a long text
// costs the length of the piece that fits times its logarithm, never the length of the rest.
size_t LettersThatFit(HDC dc, std::wstring_view text, int width)
{
    size_t fits = std::min<size_t>(1, text.size()), over = text.size() + 1;
    while (fits < text.size()) {
        const size_t next = std::min(2 * fits, text.size());
        if (TextExtent(dc, text.substr(0, next)) > width) {
            over = next;
            break;
        }
        fits = next;
    }
    while (over - fits > 1) {
        const size_t middle = fits + (over - fits) / 2;
        (TextExtent(dc, text.substr(0, middle)) <= width ? fits : over) = middle;
    }
    return fits;
}

// The length of the start of the text that ends after its last hyphen among the first `fits` letters, with letters
// of its word (which starts at word_start) before that hyphen; 0 when there is none.
size_t AfterHyphen(std::wstring_view text, size_t fits, size_t word_start)
{
    for (size_t hyphen = fits; hyphen-- > word_start + 1;)
        if (IsHyphen(text[hyphen]))
            return hyphen + 1;
    return 0;
}

// A line's share of a word: all of it when it fits, else up to its last hyphen that fits, else as many letters as
// fit.
size_t PieceThatFits(HDC dc, std::wstring_view word, int width)
{
    const size_t fits = LettersThatFit(dc, word, width);
    if (fits == word.size())
        return fits;
    const size_t hyphenated = AfterHyphen(word, fits, 0);
    return hyphenated > 0 ? hyphenated : fits;
}

// One line of the text in lines no wider than the width, as WrapText says.
std::vector<std::wstring> WrapLine(HDC dc, std::wstring_view text, int width)
{
    if (width <= 0 || TextExtent(dc, text) <= width)
        return { std::wstring(text) };
    std::vector<std::wstring> lines;
    std::wstring line;
    for (size_t start = 0; start <= text.size();) {
        const size_t end = std::min(text.find(L' ', start), text.size());
        std::wstring_view word = text.substr(start, end - start);
        start = end + 1;
        std::wstring joined = line.empty() ? std::wstring(word) : line + L' ' + std::wstring(word);
        if (TextExtent(dc, joined) <= width) {
            line = std::move(joined);
            continue;
        }
        // A word too wide for a line of its own begins on this one when it has a hyphen that fits here.
        if (!line.empty() && TextExtent(dc, word) > width) {
            const size_t shared = AfterHyphen(joined, LettersThatFit(dc, joined, width), line.size() + 1);
            if (shared > 0) {
                word.remove_prefix(shared - line.size() - 1);
                line = joined.substr(0, shared);
            }
        }
        if (!line.empty())
            lines.push_back(line);
        for (size_t piece; (piece = PieceThatFits(dc, word, width)) < word.size(); word.remove_prefix(piece))
            lines.emplace_back(word.substr(0, piece));
        line = word;
    }
    if (!line.empty() || lines.empty())
        lines.push_back(line);
    return lines;
}

} // namespace

int TextExtent(HDC dc, std::wstring_view text)
{
    SIZE extent {};
    GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &extent);
    return extent.cx;
}

std::vector<std::wstring_view> TypedLines(std::wstring_view text)
{
    std::vector<std::wstring_view> lines;
    size_t start = 0;
    for (size_t at = 0; at < text.size(); ++at)
        if (text[at] == L'\n' || text[at] == L'\r') {
            lines.push_back(text.substr(start, at - start));
            if (text[at] == L'\r' && at + 1 < text.size() && text[at + 1] == L'\n')
                ++at;
            start = at + 1;
        }
    lines.push_back(text.substr(start));
    return lines;
}

std::vector<std::wstring> WrapText(HDC dc, const std::wstring& text, int width)
{
    std::vector<std::wstring> lines;
    for (std::wstring_view typed : TypedLines(text))
        for (std::wstring& line : WrapLine(dc, typed, width))
            lines.push_back(std::move(line));
    return lines;
}

} // namespace report
