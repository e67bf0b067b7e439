// The exercise: its texts, its spoken instruction and the maze game as the single scene "Dialog1".
#pragma once

#include <cstdint>

#include "app/core/im_app.h"
#include "engine/controls/mouse_event.h"
#include "game/path_cells.h"

class IMTumbil;

class App : public IMApp<App> {
public:
    App();
    ~App() override;

    void RegisterScenes() override;
    // The spoken instruction: the maze as backdrop, the voice with its timed marker, then the input-help page.
    void ShowInstruction(Dialog* dialog) override;
    // Drownings of an abandoned run never count in the next one, which may be another pupil's.
    void BeginRun() override { drowning_counter_ = 0; }
    // The end of the instruction's voice or of its dialog, whichever comes first: the input-help page, once.
    long OnInstructionEnd(DWORD voice_id, Dialog* dialog);

    // Fills the scene dialog with the maze, its input field and the hero on the start cell.
    void BuildGameScreen(Dialog* dialog);
    // A left press on the field starts drawing when no path is left; release or leaving the field ends it.
    long OnFieldButton(const IMMouseEvent& ev);
    // Paints the stroke and records the cells the pointer crossed.
    long RecordPath(const IMMouseEvent& ev);
    // Every frame: hands the hero the next cell of the path, or puts it back on the start after a broken path.
    long FeedPath(const IMEvent& ev);
    // After every hero animation: the goal, or water.
    long OnHeroStepEnd(const IMEvent& ev);
    long OnSuccessSoundEnd();

    const PathCells& GetPathCells() const { return path_cells_; }
    bool IsDrawing() const { return drawing_connection_.connected(); }
    int32_t GetDrowningCount() const { return drowning_counter_; }
    Dialog* GetSceneDialog() const { return scene_dialog_; }

private:
    POINT FieldPoint(const IMMouseEvent& ev) const;
    void ReachGoal();
    void StopDrawing() { drawing_connection_.disconnect(); }
    void ResetHero();
    // Copies the maze picture's unpainted pixels back into its texture, wiping the drawn path.
    void ResetCanvas();

    Dialog* scene_dialog_ = nullptr;
    // Lets the input-help page come up at most once per instruction.
    bool input_help_shown_ = false;
    // The texture of the maze picture, into which the path is painted.
    DWORD canvas_texture_id_ = 0;
    // Whether a stroke may be on the canvas since it was last wiped.
    bool canvas_painted_ = true;

    // The game's state lives for the whole run; a new build keeps the path and the counter.
    PathCells path_cells_;
    POINT last_point_ {};
    DWORD attempt_start_ = 0;
    IMTumbil* hero_ = nullptr;
    Dialog* field_ = nullptr;
    im::Connection drawing_connection_;
    int32_t drowning_counter_ = 0;
    // Set at the goal, cleared by every build: the goal is handled once per scene.
    bool goal_reached_ = false;
};
