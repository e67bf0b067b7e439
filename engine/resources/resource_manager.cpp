#include "engine/resources/resource_manager.h"

namespace {
IMResourceManager* g_instance = nullptr;
}

IMResourceManager* IMResourceManager::Instance() { return g_instance; }
IDirect3DDevice9* IMResourceManager::GetDevice() const { return device_; }
POINT IMResourceManager::GetOrigin() const { return origin_; }
void IMResourceManager::SetOrigin(POINT origin) { origin_ = origin; }
