#include "storage/DataFolder.h"

#include <climits>
#include <unistd.h>

namespace tavik {

std::string DataFolderOf(const std::string& programPath) {
    const auto slash = programPath.rfind('/');
    if (slash == std::string::npos)
        return {};
    return programPath.substr(0, slash + 1);
}

std::string WithTrailingSeparator(const std::string& folder) {
    if (folder.empty() || folder.back() == '/')
        return folder;
    return folder + "/";
}

std::string ProgramDataFolder() {
    char path[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return "./";
    const std::string folder = DataFolderOf(std::string(path, static_cast<std::size_t>(n)));
    return folder.empty() ? "./" : folder;
}

} // namespace tavik
