#include "widgets/text_edit.h"

#include <algorithm>

#include <boost/bind/bind.hpp>

#include "engine/resources/resource_manager.h"
#include "engine/window/window.h"

namespace {

constexpr DWORD kBlinkMs = 500;
constexpr WPARAM kLastCodePoint = 0x10FFFF;

// One column for all edits, so Up and Down keep aiming at it across edits; set by the first key any edit sees.
int32_t g_remembered_column = 0;
bool g_column_set = false;

long ShowPicture(IMControl* picture)
{
    picture->Show();
    return 0;
}

long HidePicture(IMControl* picture)
{
    picture->Hide();
    return 0;
}

// The image height of a space in the view's style: the height of a line that has no glyph yet.
LONG SpaceHeight(const IMTextView& view)
{
    IMResourceManager* manager = IMResourceManager::Instance();
    if (!manager)
        return 0;
    const DWORD id = manager->RenderGlyphTexture(L"TempSpaceBar", L" ", nullptr, view.colour, view.fontSize, view.face,
        view.italic, view.bold, view.underline, view.backColour);
    const IMTexture* texture = manager->GetTextureRecord(id);
    const LONG height = texture ? texture->image_rect.bottom - texture->image_rect.top : 0;
    manager->ReleaseTexture(id);
    return height;
}

LONG Height(const RECT& r)
{
    return r.bottom - r.top;
}

} // namespace

// wchar_t holds a whole code point here, so a character beyond U+FFFF arrives as one and stays one.
std::wstring CharFromKeyEvent(const IMKeyboardEvent& ev)
{
    const WPARAM code = ev.wParam;
    if (ev.kind != WM_CHAR || code > kLastCodePoint)
        return std::wstring();
    if (code == 8 || code == 9 || code == 10 || code == 13 || code == 27)
        return std::wstring();
    return std::wstring(1, static_cast<wchar_t>(code));
}

IMTextEdit::IMTextEdit(Dialog* parent)
    : IMStaticPictureBase<IMTextView>(parent, 0)
{
    using boost::placeholders::_1;
    SetFocusable(true);
    ConnectKey(this, boost::bind(&IMTextEdit::OnKey, this, _1));
    caretPicture_ = new Picture(parent, 0);
    caretPicture_->SetPicture(L"EditBarKaretka");
    caretPicture_->Hide();
    // Bound to the picture, so the slots end with it whichever of the two dies first.
    ConnectFocus(this, boost::bind(&ShowPicture, caretPicture_));
    ConnectBlur(this, boost::bind(&HidePicture, caretPicture_));
    ConnectDirty(this, boost::bind(&IMTextEdit::Relayout, this));
    blink_.Arm(kBlinkMs, boost::bind(&IMTextEdit::BlinkCaret, this));
}

long IMTextEdit::OnKey(const IMKeyboardEvent& ev)
{
    // The text may have been replaced from outside since the caret last moved.
    caret_ = std::min(caret_, GetGlyphCount());
    if (ev.kind == WM_CHAR && editable_) {
        if (ev.wParam == 8) {
            if (caret_ > 0) {
                Erase(caret_ - 1, 1);
                SetCaretPos(caret_ - 1);
            }
        } else {
            const std::wstring typed = CharFromKeyEvent(ev);
            Insert(caret_, typed);
            SetCaretPos(caret_ + int32_t(typed.size()));
        }
    }
    if (!g_column_set) {
        g_remembered_column = CaretColumn();
        g_column_set = true;
    }
    if (ev.kind == WM_KEYDOWN) {
        switch (ev.wParam) {
        case VK_LEFT:
        case VK_RIGHT:
            caretPicture_->Show();
            SetCaretPos(caret_ + (ev.wParam == VK_LEFT ? -1 : 1));
            g_remembered_column = CaretColumn();
            break;
        case VK_UP:
            caretPicture_->Show();
            MoveUp(g_remembered_column);
            break;
        case VK_DOWN:
            caretPicture_->Show();
            MoveDown(g_remembered_column);
            break;
        case VK_DELETE:
            if (caret_ < GetGlyphCount() && editable_)
                Erase(caret_, 1);
            break;
        default:
            break;
        }
    }
    SetDirty(true);
    return 0;
}

// A target at or past the start of the caret's own line stops at the end of the line above.
void IMTextEdit::MoveUp(int32_t column)
{
    const std::vector<int32_t> lines = GetLines();
    const size_t line = CaretLine();
    if (lines.size() < 2 || line == 0)
        return;
    const int32_t target = lines[line - 1] + column;
    SetCaretPos(target >= lines[line] ? lines[line] - 1 : target);
}

// Never past the last character; a target beyond the start of the line after next stops just before it, one
// exactly at that start is kept.
void IMTextEdit::MoveDown(int32_t column)
{
    const std::vector<int32_t> lines = GetLines();
    const size_t line = CaretLine();
    if (lines.size() < 2 || line + 1 >= lines.size())
        return;
    const size_t next = line + 1;
    const int32_t target = lines[next] + column;
    if (target > GetGlyphCount() - 1)
        SetCaretPos(GetGlyphCount() - 1);
    else if (next + 1 < lines.size() && target > lines[next + 1])
        SetCaretPos(lines[next + 1] - 1);
    else
        SetCaretPos(target);
}

void IMTextEdit::SetCaretPos(int32_t position)
{
    caret_ = std::clamp(position, 0, GetGlyphCount());
    Relayout();
}

size_t IMTextEdit::CaretLine() const
{
    const std::vector<int32_t> lines = GetLines();
    const auto after = std::upper_bound(lines.begin(), lines.end(), caret_);
    return after == lines.begin() ? 0 : size_t(after - lines.begin() - 1);
}

int32_t IMTextEdit::CaretColumn() const
{
    const std::vector<int32_t> lines = GetLines();
    if (lines.empty() || lines.front() > caret_)
        return caret_;
    return caret_ - lines[CaretLine()];
}

LONG IMTextEdit::CaretHeight() const
{
    if (caret_ > 0)
        return Height(GetGlyphRect(caret_ - 1));
    return GetGlyphCount() == 0 ? SpaceHeight(*this) : Height(GetGlyphRect(0));
}

long IMTextEdit::Relayout()
{
    const RECT r = GetRect();
    caretPicture_->SetSize(1, CaretHeight());
    if (caret_ == 0) {
        caretPicture_->SetPos(r.left, r.top);
    } else {
        const RECT glyph = GetGlyphRect(caret_ - 1);
        caretPicture_->SetPos(r.left + glyph.right, r.top + glyph.top);
    }
    return 0;
}

long IMTextEdit::BlinkCaret()
{
    if (!IsFocused())
        return 0;
    if (caretPicture_->IsHidden())
        caretPicture_->Show();
    else
        caretPicture_->Hide();
    return 0;
}
