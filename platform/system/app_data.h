// The per-user folder where programs keep their data files (the XDG data home).
#pragma once

#include <string>

namespace platform {

// $XDG_DATA_HOME when it is set and absolute, else $HOME/.local/share; made with its parents (mode 0700) when
// missing. Empty when no home is known or the folder cannot be made.
std::wstring ApplicationDataFolder();
// True when an entry of that name exists (of any type) or a folder of that name was made.
bool EnsureFolder(const std::wstring& path);

} // namespace platform
