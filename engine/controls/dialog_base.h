// The container control: owns its children on numbered layers, routes the mouse to the child under the cursor and
// the keyboard to its focus child, frames and draws its children clipped to its rectangle. Children join and leave
// only at frame boundaries, so no walk over the children is ever disturbed by one made or destroyed during it.
#pragma once

#include <map>
#include <vector>

#include "engine/controls/control.h"
#include "engine/views/empty_view.h"
#include "engine/views/view_control.h"

template <class V> class IMDialogBase;

template <> class IMDialogBase<IMEmptyView> : public IMViewControl<IMEmptyView> {
public:
    // Without a rectangle the dialog covers the whole back buffer. Children's rectangles are relative to the
    // dialog's top-left corner.
    IMDialogBase(IMDialogBase* parent, const RECT* rect, int layer);
    // Deletes every child it still owns: queued, live or not yet merged.
    ~IMDialogBase() override;

    void SetDirty(bool dirty) override;
    bool IsDirty() const override;
    bool HitTest(int x, int y) const override;
    long OnMouseMove(const IMMouseEvent& ev) override;
    long OnMouseButton(const IMMouseEvent& ev) override;
    long OnMouseLeave(const IMMouseEvent& ev) override;
    long OnKeyboard(const IMKeyboardEvent& ev) override;
    long OnDraw(const IMEvent& ev) override;
    long OnFrame(const IMEvent& ev) override;
    long OnClose(const IMEvent& ev) override;
    long OnBlur(const IMEvent& ev) override;

    // Queues the child to join the live children at the next frame; returns it.
    IMControl* AddChild(IMControl* child, int layer);
    // Queues a destroyed child for deletion at the next flush.
    void DetachChild(IMControl* child);
    void FlushRemovals();
    // The layer of a live child; 0 when it is in none.
    int FindLayer(const IMControl* child) const;
    // Moves a live child to the end of layer 1.
    void RaiseChild(IMControl* child);
    // Re-computes the child under the point (ev.x, ev.y), in local coordinates, and sends enter and leave.
    void UpdateHover(const IMMouseEvent& ev);
    long OnChildFocus(const IMEvent& ev);
    // A mouse move at the last local mouse position.
    IMMouseEvent LastMouseMoveEvent(IMControl* sender) const;

    // Deletes every child at once; for an owner that must be rid of them before its own teardown.
    void DisposeChildren();

    IMControl* GetHoverChild() const { return hover_; }
    IMControl* GetFocusChild() const { return focus_; }
    // Live children in walk order: layers ascending, oldest first within a layer.
    std::vector<IMControl*> LiveChildren() const;
    bool IsPending(const IMControl* child) const;

private:
    using Layers = std::map<int, std::vector<IMControl*>>;

    static bool Contains(const Layers& layers, const IMControl* child);
    static bool EraseFrom(Layers& layers, const IMControl* child);
    IMControl* ChildAt(int x, int y) const;
    IMMouseEvent LocalEvent(DWORD kind, WPARAM wParam);
    void MoveFocusOnPress(const IMMouseEvent& ev);
    void MergePending();
    void DrawChildren(const IMEvent& ev);
    void DrawClipped(const IMEvent& ev);
    void FinishDraw();

    Layers live_;
    Layers pending_;
    std::vector<IMControl*> removals_;
    IMControl* hover_ = nullptr;
    IMControl* focus_ = nullptr;
    // Before the first move: a point outside every child.
    POINT last_mouse_ { -32768, -32768 };
};

// A dialog child of parent on the given layer, with the rectangle (x, y, x + width, y + height).
IMDialogBase<IMEmptyView>* CreateDialog(
    IMDialogBase<IMEmptyView>* parent, int x, int width, int y, int height, int layer);
