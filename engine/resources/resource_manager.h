// The engine's one global service object: the rendering device, the texture table and the drawing origin.
#pragma once

#include "platform/d3d9.h"
#include "platform/win32.h"

class IMResourceManager {
public:
    // The singleton; null before StartGraphics and after StopGraphics.
    static IMResourceManager* Instance();

    static void StartGraphics(bool windowed);
    static void StopGraphics();

    // Null while no device exists.
    IDirect3DDevice9* GetDevice() const;

    // Offset added to every quad's destination; dialogs and text views move it while their content draws.
    POINT GetOrigin() const;
    void SetOrigin(POINT origin);

    bool IsDeviceLost();
    bool ResetDevice();
    void CountFrame();

    void DrawQuad(DWORD texture_id, const RECT& dst, const RECT* src, D3DCOLOR tint, float angle);

private:
    IDirect3DDevice9* device_ = nullptr;
    POINT origin_{};
};
