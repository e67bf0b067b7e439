// The built-in skin pictures, registered by name at start-up and released in the same order at shut-down.
#pragma once

class IMResourceManager;

void RegisterSkinTextures(IMResourceManager& manager);
void ReleaseSkinTextures(IMResourceManager& manager);
