// An editable one-style text: takes typed characters, Backspace, Delete and the arrow keys, and shows a blinking
// one-pixel caret. The caret picture is a child of the edit's parent, so it is not clipped to the edit.
#pragma once

#include <cstdint>
#include <string>

#include "engine/controls/static_picture_base.h"
#include "engine/text/text_view.h"
#include "engine/window/owned_timer.h"

// The text a key event types: the character of a WM_CHAR, except Backspace, Tab, line feed, carriage return and
// Escape, which type nothing; other control characters pass. Empty for every other event and for values beyond
// the last code point.
std::wstring CharFromKeyEvent(const IMKeyboardEvent& ev);

class IMTextEdit : public IMStaticPictureBase<IMTextView> {
public:
    using Picture = IMStaticPictureBase<IMTextureView>;

    // Joins the parent's layer 0; the caret picture joins after it and so lies above it.
    explicit IMTextEdit(Dialog* parent);
    virtual long OnKey(const IMKeyboardEvent& ev);

    // Clamped to 0 ... text length; places the caret.
    void SetCaretPos(int32_t position);
    int32_t GetCaretPos() const { return caret_; }
    // The caret's index within its line.
    int32_t CaretColumn() const;
    // Sizes the caret to the glyph before it (or after it at the start, or a space in an empty text) and puts it
    // at that glyph's right edge.
    long Relayout();
    // While focused, turns the caret picture on when off and off when on.
    long BlinkCaret();

    void SetEditable(bool editable) { editable_ = editable; }
    bool IsEditable() const { return editable_; }
    Picture* GetCaretPicture() const { return caretPicture_; }
    DWORD GetBlinkTimer() const { return blink_.GetId(); }

private:
    void MoveUp(int32_t column);
    void MoveDown(int32_t column);
    // The index in the line starts of the caret's line.
    size_t CaretLine() const;
    LONG CaretHeight() const;

    int32_t caret_ = 0;
    IMOwnedTimer blink_;
    Picture* caretPicture_ = nullptr;
    bool editable_ = true;
};
