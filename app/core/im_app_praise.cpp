// The praise pop-up's two variants, with the pair drawn from the runtime's generator.

#include "app/core/im_app.h"
#include "app/screens/praise.h"
#include "engine/window/window.h"
#include "platform/system/crt_random.h"

void IMApp<App>::ShowPraise(Dialog* target)
{
    if (!main_window_)
        return;
    ShowPraisePopupWithExit(main_window_, PraiseIndex(platform::NextRandom()), target);
}

// The praise belongs to the scene running now: its clip's end closes that scene, and nothing later. Without a
// main window there is nowhere to show it, and nothing would ever end it.
void IMApp<App>::ShowPraiseNoExit(int x, int y)
{
    if (!main_window_)
        return;
    ShowPraisePopup(main_window_, x, y, PraiseIndex(platform::NextRandom()), current_scene_dialog_);
}
