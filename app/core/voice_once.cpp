#include "app/core/voice_once.h"

#include <memory>

#include "engine/controls/control.h"
#include "engine/resources/resource_manager.h"

// A one-shot slot on the owner's frame signal: it cuts itself before calling on_end.
void RunAtNextFrame(IMControl* owner, std::function<void()> on_end)
{
    auto connection = std::make_shared<im::Connection>();
    *connection = IMControl::ConnectFrame(owner, [connection, on_end](const IMEvent&) -> long {
        connection->disconnect();
        on_end();
        return 0;
    });
}

void PlayVoiceOnce(IMControl* owner, const std::wstring& name, std::function<void()> on_end)
{
    IMResourceManager* sound = IMResourceManager::Instance();
    const DWORD id = sound ? sound->CreateVoiceFromResource(name) : 0;
    if (id == 0) {
        if (owner && on_end)
            RunAtNextFrame(owner, std::move(on_end));
        return;
    }
    if (owner && on_end) {
        // The owner's frame signal holds the voice's end connection, so the end dies with the owner.
        auto end = std::make_shared<im::ScopedConnection>(sound->Connect(id, [on_end](DWORD) -> long {
            on_end();
            return 0;
        }));
        IMControl::ConnectFrame(owner, [end](const IMEvent&) -> long { return 0; });
    }
    sound->Play(id, false);
}
