// A framed list of text lines, one of which the user selects by clicking its text. The list control itself draws
// nothing: a frame dialog made beside it in the same parent holds the background, the frame lines and an item
// dialog that clips the lines. The list does not scroll.
#pragma once

#include <string>
#include <vector>

#include "engine/controls/dialog_base.h"
#include "engine/controls/static_picture_base.h"
#include "engine/text/text_view.h"
#include "engine/views/empty_view.h"
#include "engine/views/view_control.h"

class IMList : public IMViewControl<IMEmptyView> {
public:
    using Line = IMStaticPictureBase<IMTextView>;
    using Picture = IMStaticPictureBase<IMTextureView>;

    // The frame starts over the whole back buffer: the owner sets the list's rectangle next.
    explicit IMList(Dialog* parent);
    // The children belong to the dialogs, which delete them.
    ~IMList() override;

    // The list's own rectangle, the frame's, and the inner rectangle one pixel in.
    void SetRect(const RECT& rect) override;
    // A black line of text below the last one.
    Line* AddItem(const std::wstring& text);
    // Puts the band under the line; null takes it away.
    void Select(Line* line);
    long OnItemMouse(const IMMouseEvent& ev);

    Line* GetSelected() const { return selected_; }
    const std::vector<Line*>& GetItems() const { return items_; }
    Dialog* GetFrameDialog() const { return frameDialog_; }
    Dialog* GetItemDialog() const { return itemDialog_; }
    Picture* GetSelectionPicture() const { return selection_; }

private:
    Dialog* frameDialog_ = nullptr;
    Dialog* itemDialog_ = nullptr;
    Picture* background_ = nullptr;
    Picture* topLine_ = nullptr;
    Picture* bottomLine_ = nullptr;
    Picture* leftLine_ = nullptr;
    Picture* rightLine_ = nullptr;
    Picture* selection_ = nullptr;
    std::vector<Line*> items_;
    Line* selected_ = nullptr;
};
