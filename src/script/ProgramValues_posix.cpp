#include "script/ProgramValues.h"

#include "ProductVersion.h"

#include <climits>
#include <unistd.h>

const std::string& ProgramFileName()
{
    static const std::string fileName = [] {
        char path[PATH_MAX];
        const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
        return n > 0 ? std::string(path, static_cast<std::size_t>(n)) : std::string();
    }();
    return fileName;
}

const std::string& ProgramFolder()
{
    static const std::string folder = FolderOfPath(ProgramFileName(), '/');
    return folder;
}

TProductVersion ReadProgramProductVersion()
{
    return {LV_VERSION_MAJOR, LV_VERSION_MINOR};
}
