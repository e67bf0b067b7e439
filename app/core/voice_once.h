// Plays a sound resource once for a control of the screen that waits for its end.
#pragma once

#include <functional>
#include <string>

class IMControl;

// Plays the sound named `name` once. on_end (may be empty) runs when the voice has ended. A voice that cannot be
// created or played ends at owner's next frame pass instead, so whatever waits for its end still goes on. on_end
// is tied to owner: it never runs once owner has been destroyed.
void PlayVoiceOnce(IMControl* owner, const std::wstring& name, std::function<void()> on_end);

// Runs step once, at owner's next frame pass; never once owner has been destroyed.
void RunAtNextFrame(IMControl* owner, std::function<void()> step);
