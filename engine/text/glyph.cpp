#include "engine/text/glyph.h"

#include <sstream>

void IMGlyph::RebuildKey()
{
    // Built on a stream: the face and the character are wide, and no length limit can cut two keys equal.
    std::wostringstream out;
    out << face << ch << size << int32_t(colour) << int(bold) << int(underline) << int(italic) << int32_t(backColour)
        << int(marker);
    key = out.str();
}
