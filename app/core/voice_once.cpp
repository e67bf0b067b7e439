#include "app/core/voice_once.h"

#include <memory>

#include "engine/controls/control.h"

namespace {

// A one-shot slot on the owner's frame signal: it cuts itself before calling on_end.
void EndAtNextFrame(IMControl* owner, std::function<void()> on_end)
{
    auto connection = std::make_shared<im::Connection>();
    *connection = IMControl::ConnectFrame(owner, [connection, on_end](const IMEvent&) -> long {
        connection->disconnect();
        on_end();
        return 0;
    });
}

} // namespace

// The program has no voices to play yet: every voice takes the path of one that cannot be created.
void PlayVoiceOnce(IMControl* owner, const std::wstring&, std::function<void()> on_end)
{
    if (owner && on_end)
        EndAtNextFrame(owner, std::move(on_end));
}
