#include <clocale>

#include <gtest/gtest.h>

#include "report/code_page.h"
#include "report/xml_text.h"

namespace {

const std::wstring kRussian = L"АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдеёжзийклмнопрстуфхцчшщъыьэюя";

TEST(CodePage, EveryByteWidensAndNarrowsBack)
{
    for (int byte = 0; byte < 256; ++byte) {
        char narrow = static_cast<char>(byte);
        char expected = narrow == '"' ? '\'' : narrow;
        EXPECT_EQ(NarrowChar(WidenChar(narrow)), expected) << "byte " << byte;
    }
}

TEST(CodePage, RussianSurvivesWhateverTheLocale)
{
    for (const char* locale : { "C", "C.UTF-8", "" }) {
        std::setlocale(LC_ALL, locale);
        const std::wstring text = kRussian + L" «Тумбилиада» №5 – ok";
        std::string narrow = NarrowString(text);
        EXPECT_EQ(narrow.size(), text.size());
        EXPECT_EQ(static_cast<unsigned char>(narrow[0]), 0xC0u); // А
        EXPECT_EQ(static_cast<unsigned char>(narrow[6]), 0xA8u); // Ё
        EXPECT_EQ(WidenString(narrow), text);
    }
    std::setlocale(LC_ALL, "C");
}

TEST(CodePage, QuotesBecomeApostrophesAndForeignCharactersQuestionMarks)
{
    EXPECT_EQ(WidenString(NarrowString(L"\"Да\" ä ß 中 😀 ?")), L"'Да' ? ? ? ? ?");
    // One narrow character per code point, also beyond the basic plane.
    EXPECT_EQ(NarrowString(L"😀😀").size(), 2u);
}

TEST(DocumentText, ForbiddenControlCharactersBecomeQuestionMarks)
{
    std::wstring controls;
    for (wchar_t c = 0; c < 0x20; ++c)
        controls += c;
    std::u16string text = report::DocumentText(controls + L"\x7F Ж\"");
    std::u16string expected(0x20, u'?');
    expected[u'\t'] = u'\t';
    expected[u'\n'] = u'\n';
    expected[u'\r'] = u'\r';
    EXPECT_EQ(text, expected + u"\x7F Ж'");
}

} // namespace
