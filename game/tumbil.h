// The hero of the maze: stands on one cell at a time, turns a quarter at a time toward the direction the scene
// asks for, steps one cell while the scene says it walks (gliding between the cells), plays an idle run after
// long standing and a drowning run on demand. It knows nothing of the maze or the path.
#pragma once

#include <cstdint>

#include "engine/controls/animation_base.h"
#include "engine/views/sequence_view.h"
#include "game/maze_map.h"

class IMTumbil : public IMAnimationBase<IMSequenceView> {
public:
    // A child of the maze field on layer 0, facing down.
    explicit IMTumbil(IMControl::Dialog* field);
    ~IMTumbil() override;

    using IMAnimationBase<IMSequenceView>::Update;
    // The per-frame hero logic, run from the hero's own frame signal after the animation has advanced.
    virtual long Update(const IMEvent& ev);

    // Puts the picture onto the cell, centred.
    void SetCell(int32_t x, int32_t y);
    // Back onto the cell facing down, standing; ignored while an animation plays.
    long ResetToCell(int32_t x, int32_t y);
    // Plays the drowning run of the current direction; when it ends the hero is put back on the start cell.
    void Drown();
    // Glides the picture from the previous cell to the new one while a step plays.
    long InterpolateStep(const IMEvent& ev);
    // Snaps the picture onto its cell at the end of every animation.
    long OnAnimationFinished(const IMEvent& ev);

    MazeCell GetCell() const { return MazeCell { cell_x_, cell_y_ }; }
    int32_t GetDirection() const { return direction_; }
    int32_t GetTargetDirection() const { return target_direction_; }
    void SetTargetDirection(int32_t direction) { target_direction_ = direction; }
    int32_t GetPreviousDirection() const { return previous_direction_; }
    bool IsWalking() const { return walking_; }
    void SetWalking(bool walking) { walking_ = walking; }
    bool GetFootToggle() const { return foot_toggle_; }
    // True from Drown until the hero is back on the start cell.
    bool IsDrowning() const { return drowning_connection_.connected(); }

private:
    void StandStill();
    void Turn();
    void Step();
    void PlayRange(int first, int last, bool forward);
    // The picture's top-left corner when it stands on the current cell.
    POINT CellPosition() const;

    int32_t direction_ = kDown;
    int32_t target_direction_ = kDown;
    int32_t previous_direction_ = kRight;
    bool foot_toggle_ = true;
    int64_t arrival_time_ = 0;
    int32_t cell_width_ = 20;
    int32_t cell_height_ = 20;
    int32_t cell_x_ = 0;
    int32_t cell_y_ = 0;
    int32_t origin_x_ = 0;
    int32_t origin_y_ = 0;
    bool walking_ = false;
    im::Connection step_connection_;
    im::Connection drowning_connection_;
};
