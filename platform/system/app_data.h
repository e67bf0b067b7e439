// The per-user folder where programs keep their data files (the XDG data home).
#pragma once

#include <string>

namespace platform {

// $XDG_DATA_HOME when it is set and absolute, else $HOME/.local/share; made with its parents (mode 0700) when
// missing. Empty when no home is known or the folder cannot be made; then why, when given, names the folder
// tried and the reason.
std::wstring ApplicationDataFolder(std::string* why = nullptr);
// $HOME/.local/share, the data folder the account has when $XDG_DATA_HOME names no other; made as above.
std::wstring HomeDataFolder(std::string* why = nullptr);
// True when an entry of that name exists (of any type) or a folder of that name was made; otherwise why, when
// given, names the folder and the reason.
bool EnsureFolder(const std::wstring& path, std::string* why = nullptr);

} // namespace platform
