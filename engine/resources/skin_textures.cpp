#include "engine/resources/skin_textures.h"

// The skin pictures are not embedded yet: nothing to register or release.

void RegisterSkinTextures(IMResourceManager&) { }

void ReleaseSkinTextures(IMResourceManager&) { }
