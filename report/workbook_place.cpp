#include "report/workbook_place.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/system/app_data.h"
#include "platform/text/utf8.h"
#include "report/workbook_file.h"

namespace report {
namespace {

constexpr wchar_t kProgramFolder[] = L"/TIRQ";

// The program's folder in data, then data itself; nothing for a data folder that cannot be had.
void AddDataFolders(const std::wstring& data, std::vector<std::string>& folders)
{
    if (data.empty())
        return;
    if (platform::EnsureFolder(data + kProgramFolder))
        folders.push_back(platform::ToUtf8(data + kProgramFolder));
    folders.push_back(platform::ToUtf8(data));
}

} // namespace

std::wstring ProgramFolder(std::string* why)
{
    const std::wstring data = platform::ApplicationDataFolder(why);
    if (data.empty() || !platform::EnsureFolder(data + kProgramFolder, why))
        return {};
    return data + kProgramFolder;
}

std::vector<std::string> KeepingFolders(const std::string& workbookName)
{
    const std::filesystem::path own = std::filesystem::path(workbookName).parent_path();
    std::vector<std::string> folders { own.empty() ? std::filesystem::path(".") : own };
    AddDataFolders(platform::ApplicationDataFolder(), folders);
    AddDataFolders(platform::HomeDataFolder(), folders);
    std::error_code ignored;
    folders.push_back(std::filesystem::current_path(ignored).string());
    std::vector<std::string> distinct;
    for (const std::string& folder : folders) {
        try {
            const std::string real = RealPath(folder);
            if (std::find(distinct.begin(), distinct.end(), real) == distinct.end())
                distinct.push_back(real);
        } catch (const ForeignLink&) {
            // Nothing is made through another account's link.
        }
    }
    return distinct;
}

} // namespace report
