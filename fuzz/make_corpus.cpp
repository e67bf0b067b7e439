// Writes the seed corpora of the fuzz targets into the folder given (fuzz/corpus): small pictures, sounds, clips
// and workbooks made with the same helpers the tests use. `make fuzz-corpus` runs it; its output is committed.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

#include <xercesc/util/PlatformUtils.hpp>

#include "assets/tools/theora_clip_writer.h"
#include "platform/text/utf8.h"
#include "report/report.h"
#include "tests/engine/resources/images/test_images.h"
#include "tests/engine/sound/vorbis_tone.h"

namespace {

namespace fs = std::filesystem;

fs::path g_root;

template <class Bytes> void Write(const std::string& target, const std::string& name, const Bytes& bytes)
{
    fs::create_directories(g_root / target);
    std::ofstream(g_root / target / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

void Pictures()
{
    Write("png", "rgb", SolidPng(200, 40, 10));
    auto gradient = [](UINT x, UINT y) { return std::vector<unsigned> { x * 40u, y * 60u, 128u, 255u - x * 30u }; };
    Write("png", "rgba", MakePng(PngPicture { 5, 4, 6, 8, {}, gradient, {} }));
    Write("png", "grey16-gamma",
        MakePng(PngPicture {
            3, 3, 0, 16, 0.45455, [](UINT x, UINT y) { return std::vector<unsigned> { x * 9000u + y }; }, {} }));
    Write("png", "palette",
        MakePng(PngPicture { 4, 2, 3, 4, {}, [](UINT x, UINT y) { return std::vector<unsigned> { (x + y) % 3 }; },
            { { 255, 0, 0 }, { 0, 255, 0 }, { 0, 0, 255 } } }));

    auto colour = [](UINT x, UINT y) { return std::vector<BYTE> { BYTE(x * 20), BYTE(y * 30), 90 }; };
    Write("jpeg", "rgb", MakeJpeg(9, 7, 3, colour));
    Write("jpeg", "grey", MakeJpeg(8, 8, 1, [](UINT x, UINT y) { return std::vector<BYTE> { BYTE(x * y * 3) }; }));
    Write("jpeg", "cmyk", MakeJpeg(4, 5, 4, [](UINT x, UINT y) {
        return std::vector<BYTE> { BYTE(x * 50), BYTE(y * 40), 20, 0 };
    }));
}

void Sounds()
{
    Write("vorbis", "mono-8000", soundtest::EncodeTone(8000, 1, 1600));
    Write("vorbis", "stereo-22050", soundtest::EncodeTone(22050, 2, 3000, 880));
}

TheoraClip Clip(TheoraClipFormat format, int frames)
{
    TheoraClipWriter writer(format);
    std::vector<uint8_t> rgb(size_t(format.width) * format.height * 3);
    for (int k = 0; k < frames; ++k) {
        for (size_t i = 0; i < rgb.size(); ++i)
            rgb[i] = uint8_t((i * 7 + size_t(k) * 40) % 251);
        writer.AddRgbFrame(rgb.data());
    }
    return writer.Finish();
}

void Clips()
{
    TheoraClipFormat small;
    small.width = 16;
    small.height = 16;
    Write("theora", "16x16-3-frames", Clip(small, 3).Bytes());
    TheoraClipFormat offset = small;
    offset.width = 20;
    offset.height = 12;
    offset.picture_x = 2;
    offset.picture_y = 2;
    offset.fps = 25;
    Write("theora", "20x12-offset-4-frames", Clip(offset, 4).Bytes());
}

// The texts separated by zero bytes, as the targets read them.
std::string JoinedTexts(const std::vector<std::string>& texts)
{
    std::string joined;
    for (size_t i = 0; i < texts.size(); ++i)
        joined += (i ? std::string(1, '\0') : "") + texts[i];
    return joined;
}

// The stored file behind its two-byte length, then the texts.
std::string WorkbookInput(const std::string& stored, const std::vector<std::string>& texts)
{
    std::string input { char(stored.size() & 0xFF), char(stored.size() >> 8) };
    input += stored;
    input += JoinedTexts(texts);
    return input;
}

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void Workbooks(const fs::path& resaved)
{
    xercesc::XMLPlatformUtils::Initialize();
    const fs::path scratch = g_root / "workbook.xls";
    {
        auto report = IMReport::Open(platform::FromUtf8(scratch.string()), L"Pupil");
        report->AddRow(L"Attempts", L"2", L"Number");
        report->AddEmptyRow();
        report->Save(L"");
    }
    const std::string saved = ReadFile(scratch);
    fs::remove(scratch);
    xercesc::XMLPlatformUtils::Terminate();

    const std::vector<std::string> row
        = { "Pupil", "Start", "07-March-2025 14:05", "String", "Attempts", "0", "Number" };
    Write("workbook", "saved-by-the-program", WorkbookInput(saved, row));
    Write("workbook", "new-pupil",
        WorkbookInput(saved, { std::string("Other\xFF\x00\xD8\x00", 9), "a&b<c>", "\"q\"", "Str" }));
    Write("workbook", "resaved-elsewhere",
        WorkbookInput(ReadFile(resaved), { "\x98\xB2\xB0\xBD\xBE\xB2", "x", "1", "Number", "" }));
    Write("workbook", "no-file", WorkbookInput("", row));
    // Counts of more digits than any whole number holds, written by another tool or by hand.
    Write("workbook", "endless-extents",
        WorkbookInput("<?xml version=\"1.0\"?><Workbook xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\" "
                      "xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\"><Worksheet ss:Name=\"Pupil\">"
                      "<Table ss:ExpandedColumnCount=\"99999999999999999999\" "
                      "ss:ExpandedRowCount=\"9999999999999999999\"><Row ss:Index=\"18446744073709551617\" "
                      "ss:Span=\"99999999999999999999\"/></Table></Worksheet></Workbook>",
            row));
}

// Page metrics, the number of header pairs, then the texts separated by zero bytes.
std::string PageInput(std::initializer_list<int> metrics, int header_pairs, const std::vector<std::string>& texts)
{
    std::string input;
    for (int metric : metrics)
        input += { char(metric & 0xFF), char(metric >> 8) };
    input += char(header_pairs);
    input += JoinedTexts(texts);
    return input;
}

void Pages()
{
    // A4 and US Letter with the margins a printer reports, in 1/600 inch.
    const std::initializer_list<int> a4 = { 4961, 7016, 0, 0, 0, 0 };
    const std::initializer_list<int> letter = { 5100, 6600, 150, 300, 150, 300 };
    const std::vector<std::string> header = { "\xAD\xBE\xBC\xB5\xC0", "04271", "\xA3\xC7\xB5\xBD\xB8\xBA", "\x98" };
    std::vector<std::string> run = header;
    for (const char* text : { "Start", "07-March-2025 14:05", "Attempts", "3", "", "" })
        run.push_back(text);
    Write("print_layout", "a4-one-run", PageInput(a4, 2, run));
    Write("print_layout", "header-only", PageInput(letter, 2, header));

    // Enough runs, each closed by an empty row, to fill several pages.
    std::vector<std::string> runs;
    for (int i = 0; i < 60; ++i) {
        runs.push_back("Attempts " + std::to_string(i));
        runs.push_back(std::string(i % 7 * 9, '\xB0'));
        if (i % 3 == 2)
            runs.insert(runs.end(), { "", "" });
    }
    Write("print_layout", "letter-many-runs", PageInput(letter, 0, runs));
    // A page a few lines tall, and a narrow one with a label wider than the sheet.
    Write("print_layout", "short-page", PageInput({ 4961, 700, 0, 60, 0, 60 }, 1, runs));
    Write("print_layout", "narrow-page",
        PageInput({ 300, 7016, 20, 0, 20, 0 }, 0, { std::string(300, 'W'), "\xFF\x00\xD8\x00x", "", "" }));
    // A5 inside margins unlike on every side, a name too wide for it in the header and in every row: values wrap.
    const std::string name = std::string(40, '\xB0') + " " + std::string(30, '\xBE');
    std::vector<std::string> names = { "\x98\xB2\xB0\xBD\xBE\xB2", name };
    for (int i = 0; i < 40; ++i)
        names.insert(names.end(), { "Attempt " + std::to_string(i), name });
    Write("print_layout", "a5-long-values", PageInput({ 3500, 4961, 600, 450, 300, 750 }, 1, names));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <corpus folder> <re-saved workbook fixture>\n", argv[0]);
        return 2;
    }
    g_root = argv[1];
    Pictures();
    Sounds();
    Clips();
    Workbooks(argv[2]);
    Pages();
    return 0;
}
