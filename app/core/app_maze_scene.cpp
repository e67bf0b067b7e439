// The maze scene: the pupil draws a path over the field, the hero walks it cell by cell.
#include <string>

#include <boost/bind/bind.hpp>

#include "app/core/app.h"
#include "app/core/voice_once.h"
#include "engine/controls/picture_factories.h"
#include "engine/resources/resource_manager.h"
#include "game/tumbil.h"
#include "platform/time/clock.h"

namespace {

using boost::placeholders::_1;

// The field of 20 x 20 cells lies over the middle of the full-screen maze picture.
constexpr int kFieldX = 200;
constexpr int kFieldY = 100;
constexpr int kFieldSize = kMazeSize * kCellSize;

constexpr const wchar_t* kMazePicture = L"180";
constexpr const wchar_t* kSuccessSound = L"14465";
constexpr const wchar_t* kDrowningSound = L"14466";

} // namespace

void App::BuildGameScreen(Dialog* dialog)
{
    scene_dialog_ = dialog;
    goal_reached_ = false;
    attempt_start_ = timeGetTime();
    CreatePicture(dialog, 0, 0, kMazePicture, 0, 0xFFFFFFFFu);
    IMResourceManager* rm = IMResourceManager::Instance();
    canvas_texture_id_ = rm ? rm->FindTexture(kMazePicture) : IMResourceManager::kNoTexture;
    canvas_painted_ = true;
    field_ = CreateDialog(dialog, kFieldX, kFieldSize, kFieldY, kFieldSize, 0);
    hero_ = new IMTumbil(field_);
    hero_->SetCell(kStartCell.x, kStartCell.y);
    IMTumbil::ConnectFinished(hero_, boost::bind(&App::OnHeroStepEnd, this, _1));
    IMControl::ConnectMouseButton(field_, boost::bind(&App::OnFieldButton, this, _1));
    IMControl::ConnectMouseLeave(field_, boost::bind(&App::OnFieldButton, this, _1));
    hero_->SetFocus(true);
    IMControl::ConnectFrame(field_, boost::bind(&App::FeedPath, this, _1));
}

POINT App::FieldPoint(const IMMouseEvent& ev) const
{
    const POINT corner = field_->GetPos();
    return POINT { ev.x - corner.x, ev.y - corner.y };
}

// Once the hero has reached the far bank the scene takes no new path: it only waits to be closed.
long App::OnFieldButton(const IMMouseEvent& ev)
{
    if (path_cells_.empty() && ev.kind == WM_LBUTTONDOWN && !goal_reached_) {
        last_point_ = FieldPoint(ev);
        StopDrawing();
        drawing_connection_ = IMControl::ConnectMouseMove(field_, boost::bind(&App::RecordPath, this, _1));
    }
    if (ev.kind == WM_LBUTTONUP || ev.kind == IMEV_MOUSELEAVE)
        StopDrawing();
    return 0;
}

long App::RecordPath(const IMMouseEvent& ev)
{
    const POINT p = FieldPoint(ev);
    if (IMResourceManager* rm = IMResourceManager::Instance())
        rm->RenderStrokeTexture(
            canvas_texture_id_, p.x + kFieldX, p.y + kFieldY, last_point_.x + kFieldX, last_point_.y + kFieldY);
    canvas_painted_ = true;
    // The texture changed under its picture: the screen must be drawn again.
    field_->SetDirty(true);
    if (RecordWalk(path_cells_, CellAt(last_point_), CellAt(p)))
        StopDrawing();
    last_point_ = p;
    return 0;
}

void App::ResetHero()
{
    hero_->ResetToCell(kStartCell.x, kStartCell.y);
    StopDrawing();
    ResetCanvas();
}

void App::ResetCanvas()
{
    // The hero drowns for many frames with no path; a clean canvas needs no copy and no redraw.
    if (!canvas_painted_)
        return;
    canvas_painted_ = false;
    if (IMResourceManager* rm = IMResourceManager::Instance())
        rm->UploadTexturePixels(canvas_texture_id_);
    field_->SetDirty(true);
}

long App::FeedPath(const IMEvent&)
{
    if (!hero_->IsPlaying() && !path_cells_.empty()) {
        const MazeCell front = path_cells_.front();
        if (front == hero_->GetCell()) {
            path_cells_.pop_front();
        } else if (const auto direction = StepDirection(hero_->GetCell(), front)) {
            hero_->SetTargetDirection(*direction);
            if (hero_->GetDirection() == *direction)
                hero_->SetWalking(true);
        } else {
            path_cells_.clear();
            ResetHero();
        }
    }
    // With the button up, a path must end on the start or the goal.
    const MazeCell at = hero_->GetCell();
    if (path_cells_.empty() && !IsDrawing() && at != kStartCell && at != kGoalCell)
        ResetHero();
    return 0;
}

void App::ReachGoal()
{
    goal_reached_ = true;
    path_cells_.clear();
    StopDrawing();
    IMApp* app = GetInstance();
    app->AddStatistic(L"Число попыток", std::to_wstring(drowning_counter_), L"Number");
    app->AddStatistic(
        L"Продолжительность успешной попытки", std::to_wstring(DWORD(timeGetTime() - attempt_start_)), L"Number");
    PlayVoiceOnce(field_, kSuccessSound, [this] { OnSuccessSoundEnd(); });
    ResetCanvas();
    drowning_counter_ = 0;
}

long App::OnHeroStepEnd(const IMEvent&)
{
    hero_->SetWalking(false);
    const MazeCell at = hero_->GetCell();
    if (at == kGoalCell && !goal_reached_)
        ReachGoal();
    if (!IsWater(at))
        return 0;
    // The end of the drowning run itself: the hero goes back onto the start next, and a new attempt begins.
    if (hero_->IsDrowning()) {
        attempt_start_ = timeGetTime();
        return 0;
    }
    ++drowning_counter_;
    PlayVoiceOnce(field_, kDrowningSound, {});
    hero_->Drown();
    path_cells_.clear();
    StopDrawing();
    return 0;
}

long App::OnSuccessSoundEnd()
{
    ShowPraiseNoExit(137, 100);
    return 0;
}
