// The global keys and the start of the exercise: F1 repeats the instruction, F12 opens the exit dialog, Ctrl+I
// the credits; Start (or Enter) opens the instruction, whose end starts the first scene.
#include <boost/bind/bind.hpp>

#include "app/core/im_app.h"
#include "app/screens/credits.h"
#include "app/screens/start_screen.h"
#include "engine/window/window.h"

namespace {

using boost::placeholders::_1;

constexpr UINT kKeyI = 0x49;

void CloseInstruction(IMControl* dialog, bool* playing)
{
    if (!dialog->IsClosing()) {
        dialog->Close();
        *playing = false;
    }
}

// Any key ends a repeated instruction.
long OnRepeatInstructionKey(const IMKeyboardEvent& ev, IMControl* dialog, bool* playing)
{
    if (ev.IsNewPress())
        CloseInstruction(dialog, playing);
    return 0;
}

// Esc ends the start instruction. Bound to the dialog, so it goes with it.
long OnInstructionKey(const IMKeyboardEvent& ev, IMControl* dialog, bool* playing)
{
    if (ev.wParam == VK_ESCAPE && ev.IsNewPress())
        CloseInstruction(dialog, playing);
    return 0;
}

} // namespace

void IMApp<App>::ConnectGlobalKeys()
{
    IMControl::ConnectKeyDown(main_window_, boost::bind(&IMApp::OnHelpKey, this, _1));
    IMControl::ConnectKeyDown(main_window_, boost::bind(&IMApp::OnKey, this, _1));
    IMControl::ConnectKeyDown(main_window_, boost::bind(&IMApp::OnCreditsKey, this, _1));
}

// The F1 press that opens a repeat cannot close it: its closer is blocked until the next press, which this
// handler, running first, unblocks. A held key acts once, so its auto-repeats neither unblock nor open.
long IMApp<App>::OnHelpKey(const IMKeyboardEvent& ev)
{
    if (!ev.IsNewPress())
        return 0;
    if (repeat_instruction_connection_.connected() && repeat_instruction_block_
        && repeat_instruction_block_->blocking())
        repeat_instruction_block_->unblock();
    if (instruction_playing_ || ev.wParam != VK_F1)
        return 0;
    ++extra_instruction_calls_;
    Dialog* dialog = new Dialog(main_window_, nullptr, 0);
    repeat_instruction_block_.reset();
    repeat_instruction_connection_.disconnect();
    repeat_instruction_connection_ = IMControl::ConnectKeyDown(
        main_window_, boost::bind(&OnRepeatInstructionKey, _1, dialog, &instruction_playing_));
    repeat_instruction_block_.emplace(repeat_instruction_connection_);
    instruction_playing_ = true;
    ShowInstruction(dialog);
    return 0;
}

long IMApp<App>::OnKey(const IMKeyboardEvent& ev)
{
    if (ev.wParam == VK_F12 && ev.IsNewPress())
        ShowExitDialog();
    return 0;
}

long IMApp<App>::OnCreditsKey(const IMKeyboardEvent& ev)
{
    if ((ev.wParam & 0xFF) != kKeyI || !ev.IsNewPress() || !(GetAsyncKeyState(VK_CONTROL) & 0x8000) || CreditsOpen())
        return 0;
    ShowCredits(main_window_);
    return 0;
}

long IMApp<App>::OnNameEnter(const IMKeyboardEvent& ev, IMButtonBase<IMStateView>*, Dialog* popup, IMEditBar* bar)
{
    if (ev.wParam == VK_RETURN && ev.IsNewPress())
        OnStart(popup, bar);
    return 0;
}

long IMApp<App>::OnStart(Dialog* popup, IMEditBar* bar)
{
    if (popup->IsClosing())
        return 0;
    const std::wstring name = NameFieldText(bar);
    CreateReport(name);
    SetPupilName(name);
    BeginRun();
    BeginInstruction();
    popup->Close();
    return 0;
}

long IMApp<App>::BeginInstruction()
{
    instruction_playing_ = true;
    Dialog* dialog = new Dialog(main_window_, nullptr, 0);
    IMControl::ConnectKeyDown(main_window_, boost::bind(&OnInstructionKey, _1, dialog, &instruction_playing_));
    IMControl::ConnectClosing(dialog, boost::bind(&IMApp::RunNextScene, this));
    ShowInstruction(dialog);
    return 0;
}
