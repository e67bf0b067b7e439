#include "engine/controls/dialog_base.h"

#include <algorithm>
#include <utility>

#include <boost/bind/bind.hpp>

#include "engine/controls/viewport_clip.h"
#include "engine/resources/resource_manager.h"

namespace {

constexpr LONG kBackBufferWidth = 800;
constexpr LONG kBackBufferHeight = 600;

IDirect3DDevice9* Device(IMResourceManager* manager)
{
    return manager ? manager->GetDevice() : nullptr;
}

// Outside a render pass the device's viewport is its whole back buffer.
RECT BackBufferRect()
{
    D3DVIEWPORT9 vp;
    IDirect3DDevice9* device = Device(IMResourceManager::Instance());
    if (!device || FAILED(device->GetViewport(&vp)))
        return RECT { 0, 0, kBackBufferWidth, kBackBufferHeight };
    return RECT { 0, 0, static_cast<LONG>(vp.Width), static_cast<LONG>(vp.Height) };
}

} // namespace

using IMDialog = IMDialogBase<IMEmptyView>;

IMDialog::IMDialogBase(IMDialogBase* parent, const RECT* rect, int layer)
    : IMViewControl<IMEmptyView>(parent, layer)
{
    SetFocusable(true);
    SetRect(rect ? *rect : BackBufferRect());
}

IMDialog::~IMDialogBase()
{
    DisposeChildren();
}

// Children that were never closed (or were added while the dialog closed) would otherwise outlive their parent.
void IMDialog::DisposeChildren()
{
    FlushRemovals();
    std::vector<IMControl*> doomed = LiveChildren();
    for (const auto& [layer, children] : pending_)
        doomed.insert(doomed.end(), children.begin(), children.end());
    live_.clear();
    pending_.clear();
    hover_ = nullptr;
    focus_ = nullptr;
    for (auto it = doomed.rbegin(); it != doomed.rend(); ++it)
        delete *it;
}

bool IMDialog::Contains(const Layers& layers, const IMControl* child)
{
    for (const auto& [layer, children] : layers) {
        if (std::find(children.begin(), children.end(), child) != children.end())
            return true;
    }
    return false;
}

// Takes the child out of whichever layer holds it, and the layer out of the map when it empties.
bool IMDialog::EraseFrom(Layers& layers, const IMControl* child)
{
    for (auto it = layers.begin(); it != layers.end(); ++it) {
        auto& children = it->second;
        auto pos = std::find(children.begin(), children.end(), child);
        if (pos == children.end())
            continue;
        children.erase(pos);
        if (children.empty())
            layers.erase(it);
        return true;
    }
    return false;
}

std::vector<IMControl*> IMDialog::LiveChildren() const
{
    std::vector<IMControl*> all;
    for (const auto& [layer, children] : live_)
        all.insert(all.end(), children.begin(), children.end());
    return all;
}

bool IMDialog::IsPending(const IMControl* child) const
{
    return Contains(pending_, child);
}

IMControl* IMDialog::AddChild(IMControl* child, int layer)
{
    if (IsLocked() || !child || child == this)
        return child;
    if (Contains(live_, child) || Contains(pending_, child))
        return child;
    pending_[layer].push_back(child);
    auto on_focus = boost::bind(&IMDialog::OnChildFocus, this, boost::placeholders::_1);
    ConnectFocus(child, on_focus);
    ConnectBlur(child, on_focus);
    SetDirty(true);
    return child;
}

// A child that never joined is deleted at the next flush too, not at once: its Destroy may be running inside one
// of its own signals.
void IMDialog::DetachChild(IMControl* child)
{
    const bool queued = std::find(removals_.begin(), removals_.end(), child) != removals_.end();
    if (Contains(live_, child)) {
        if (!queued) {
            removals_.push_back(child);
            SetDirty(true);
        }
        return;
    }
    if (EraseFrom(pending_, child) && !queued)
        removals_.push_back(child);
}

void IMDialog::FlushRemovals()
{
    while (!removals_.empty()) {
        IMControl* child = removals_.back();
        removals_.pop_back();
        EraseFrom(live_, child);
        if (hover_ == child)
            hover_ = nullptr;
        if (focus_ == child)
            focus_ = nullptr;
        delete child;
    }
}

int IMDialog::FindLayer(const IMControl* child) const
{
    for (const auto& [layer, children] : live_) {
        if (std::find(children.begin(), children.end(), child) != children.end())
            return layer;
    }
    return 0;
}

void IMDialog::RaiseChild(IMControl* child)
{
    if (FindLayer(child) == 1 || !EraseFrom(live_, child))
        return;
    live_[1].push_back(child);
}

void IMDialog::MergePending()
{
    Layers joining = std::exchange(pending_, Layers {});
    for (auto& [layer, children] : joining) {
        auto& target = live_[layer];
        target.insert(target.end(), children.begin(), children.end());
    }
}

long IMDialog::OnFrame(const IMEvent& ev)
{
    FlushRemovals();
    MergePending();
    Update();
    Notify(signals_.frame, IMEV_FRAME);
    for (IMControl* child : LiveChildren())
        child->OnFrame(ev);
    FlushRemovals();
    return 0;
}

// Highest layer first and, within a layer, the newest child.
IMControl* IMDialog::ChildAt(int x, int y) const
{
    for (auto layer = live_.rbegin(); layer != live_.rend(); ++layer) {
        const auto& children = layer->second;
        for (auto it = children.rbegin(); it != children.rend(); ++it) {
            if ((*it)->HitTest(x, y))
                return *it;
        }
    }
    return nullptr;
}

// A re-check sent by a child only matters when the cursor lies over that child or it was the hover child.
void IMDialog::UpdateHover(const IMMouseEvent& ev)
{
    IMControl* sender = ev.sender;
    if (sender != this && sender != hover_ && !(sender && sender->HitTest(ev.x, ev.y)))
        return;
    IMControl* found = ChildAt(ev.x, ev.y);
    IMControl* old = hover_;
    if (found && found != old) {
        hover_ = found;
        found->OnMouseEnter(IMMouseEvent(this, IMEV_MOUSEENTER, ev.wParam, ev.x, ev.y));
    }
    if (old && old != found) {
        hover_ = found;
        old->OnMouseLeave(IMMouseEvent(this, IMEV_MOUSELEAVE, ev.wParam, ev.x, ev.y));
    }
}

IMMouseEvent IMDialog::LocalEvent(DWORD kind, WPARAM wParam)
{
    return IMMouseEvent(this, kind, wParam, last_mouse_.x, last_mouse_.y);
}

IMMouseEvent IMDialog::LastMouseMoveEvent(IMControl* sender) const
{
    return IMMouseEvent(sender, WM_MOUSEMOVE, 0, last_mouse_.x, last_mouse_.y);
}

long IMDialog::OnMouseMove(const IMMouseEvent& ev)
{
    IMControl::OnMouseMove(ev);
    const RECT r = GetRect();
    last_mouse_ = POINT { ev.x - r.left, ev.y - r.top };
    const IMMouseEvent local = LocalEvent(ev.kind, ev.wParam);
    UpdateHover(local);
    if (hover_)
        hover_->OnMouseMove(local);
    return 0;
}

// A left press moves the focus to a focusable child under the cursor; the focus field itself follows through
// OnChildFocus.
void IMDialog::MoveFocusOnPress(const IMMouseEvent& ev)
{
    if (ev.kind != WM_LBUTTONDOWN || hover_ == focus_ || !hover_->IsFocusable())
        return;
    if (focus_)
        focus_->SetFocus(false);
    if (hover_)
        hover_->SetFocus(true);
}

// Buttons go to the child under the cursor at the last move; there is no mouse capture.
long IMDialog::OnMouseButton(const IMMouseEvent& ev)
{
    IMControl::OnMouseButton(ev);
    if (!hover_)
        return 0;
    MoveFocusOnPress(ev);
    if (hover_)
        hover_->OnMouseButton(LocalEvent(ev.kind, ev.wParam));
    return 0;
}

long IMDialog::OnMouseLeave(const IMMouseEvent& ev)
{
    IMControl::OnMouseLeave(ev);
    if (hover_)
        hover_->OnMouseLeave(ev);
    hover_ = nullptr;
    return 0;
}

long IMDialog::OnKeyboard(const IMKeyboardEvent& ev)
{
    IMControl::OnKeyboard(ev);
    if (focus_)
        focus_->OnKeyboard(ev);
    return 0;
}

// Focus climbs: a child gaining focus focuses its dialog, whose own parent hears of it in turn.
long IMDialog::OnChildFocus(const IMEvent& ev)
{
    if (ev.kind == IMEV_FOCUS && ev.sender != focus_) {
        SetFocus(true);
        if (focus_)
            focus_->SetFocus(false);
        focus_ = ev.sender;
    } else if (ev.kind == IMEV_BLUR && ev.sender == focus_) {
        focus_ = nullptr;
    }
    return 1;
}

long IMDialog::OnBlur(const IMEvent& ev)
{
    IMControl::OnBlur(ev);
    focus_ = nullptr;
    for (IMControl* child : LiveChildren())
        child->OnBlur(ev);
    return 0;
}

void IMDialog::DrawChildren(const IMEvent& ev)
{
    for (IMControl* child : LiveChildren())
        child->OnDraw(ev);
}

void IMDialog::FinishDraw()
{
    Draw();
    SetDirty(false);
    Notify(signals_.drawn, IMEV_DRAW);
}

// Children draw clipped to the dialog and relative to its top-left corner; without a device they draw unclipped.
void IMDialog::DrawClipped(const IMEvent& ev)
{
    IMResourceManager* manager = IMResourceManager::Instance();
    IDirect3DDevice9* device = Device(manager);
    if (!device) {
        DrawChildren(ev);
        FinishDraw();
        return;
    }
    D3DVIEWPORT9 saved;
    D3DVIEWPORT9 clipped;
    const POINT origin = manager->GetOrigin();
    const RECT r = GetRect();
    if (FAILED(device->GetViewport(&saved)) || !ClipViewportToRect(saved, r, origin, &clipped))
        return;
    device->SetViewport(&clipped);
    manager->SetOrigin(POINT { origin.x + r.left, origin.y + r.top });
    DrawChildren(ev);
    manager->SetOrigin(origin);
    device->SetViewport(&saved);
    FinishDraw();
}

long IMDialog::OnDraw(const IMEvent& ev)
{
    if (!IsHidden())
        DrawClipped(ev);
    SetDirty(false);
    return 0;
}

long IMDialog::OnClose(const IMEvent& ev)
{
    for (IMControl* child : LiveChildren())
        child->OnClose(ev);
    Destroy();
    return 0;
}

void IMDialog::SetDirty(bool dirty)
{
    IMViewControl<IMEmptyView>::SetDirty(dirty);
    if (dirty)
        return;
    for (IMControl* child : LiveChildren())
        child->SetDirty(false);
}

bool IMDialog::IsDirty() const
{
    if (IMViewControl<IMEmptyView>::IsDirty())
        return true;
    for (const auto& [layer, children] : live_) {
        for (const IMControl* child : children) {
            if (child->IsDirty())
                return true;
        }
    }
    return false;
}

bool IMDialog::HitTest(int x, int y) const
{
    const RECT r = GetRect();
    return !IsHidden() && PtInRect(&r, POINT { x, y });
}

IMDialog* CreateDialog(IMDialog* parent, int x, int width, int y, int height, int layer)
{
    const RECT rect { x, y, x + width, y + height };
    return new IMDialog(parent, &rect, layer);
}
