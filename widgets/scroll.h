// The vertical scroll bar: arrows, two track pieces around the slider, and the slider. It keeps a position in
// [min, max - page], reports every change, steps a tenth of a page on the arrows and a page on the track,
// repeats a held step (after 500 ms, then every 50 ms) and lets the slider be dragged.
#pragma once

#include <cstdint>
#include <utility>

#include "engine/controls/button_base.h"
#include "engine/controls/dialog_base.h"
#include "engine/controls/static_picture_base.h"
#include "engine/window/owned_timer.h"

class IMScroll : public IMDialogBase<IMEmptyView> {
public:
    using Button = IMButtonBase<IMStateView>;
    using Picture = IMStaticPictureBase<IMTextureView>;
    using PositionSignal = im::Signal<long(const IMEvent&, int32_t)>;

    // Without a rectangle: a 16-pixel bar along the parent's right edge, laid out at once. With one, the owner
    // lays the bar out after setting the range and the page.
    IMScroll(Dialog* parent, const RECT* rect);
    // Ends a repeat or a drag that is under way, with its timer.
    ~IMScroll() override;

    void SetRect(const RECT& rect) override;
    virtual long OnSliderMouse(const IMMouseEvent& ev);
    // Places the children for the current rectangle, range, page and position.
    virtual void Layout();

    // Clamps into [min, max - page]; a change is stored, reported and laid out.
    long SetPosition(int32_t p);
    int32_t GetPosition() const { return position; }
    long OnButtonMouse(const IMMouseEvent& ev);

    template <class F> im::Connection ConnectPositionChanged(F&& f)
    {
        return positionChanged_.connect(std::forward<F>(f));
    }

    bool IsDragging() const { return drag_.connected(); }
    DWORD GetRepeatTimer() const { return repeat_.GetId(); }
    Button* GetUpButton() const { return up_; }
    Button* GetDownButton() const { return down_; }
    Button* GetUpperTrack() const { return upperTrack_; }
    Button* GetLowerTrack() const { return lowerTrack_; }
    Button* GetSlider() const { return slider_; }

    // Set by the owner, who then clamps the position into [min, max - page] (without a signal) and lays the bar
    // out.
    int32_t min = 0;
    int32_t max = 100;
    int32_t position = 0;
    int32_t page = 10;

private:
    int32_t StepOf(const IMControl* sender) const;
    void Drag(const IMMouseEvent& ev);
    // Ends a repeat (with its timer) and a drag.
    void StopActive();

    Button* up_ = nullptr;
    Button* down_ = nullptr;
    Button* upperTrack_ = nullptr;
    Button* lowerTrack_ = nullptr;
    PositionSignal positionChanged_;
    Button* slider_ = nullptr;
    Picture* background_ = nullptr;
    // The slider follows the pointer while connected.
    im::Connection drag_;
    POINT anchor_ {};
    IMOwnedTimer repeat_;
};
