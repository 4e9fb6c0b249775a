#include "script/ProgramValues.h"

#include <windows.h>

const std::string& ProgramFileName()
{
    static const std::string fileName = [] {
        std::string path(MAX_PATH, '\0');
        for (;;) {
            const DWORD n = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
            if (n < path.size()) {
                path.resize(n);
                return path;
            }
            path.resize(path.size() * 2);
        }
    }();
    return fileName;
}

const std::string& ProgramFolder()
{
    static const std::string folder = FolderOfPath(ProgramFileName(), '\\');
    return folder;
}

TVersionInfo::TVersionInfo(const std::string& fileName) : FFileName(fileName)
{
    DWORD handle = 0;
    const DWORD size = ::GetFileVersionInfoSizeA(FFileName.c_str(), &handle);
    if (size == 0)
        return;
    FBlock.resize(size);
    FValid = ::GetFileVersionInfoA(FFileName.c_str(), 0, size, FBlock.data()) != FALSE;
}

TProductVersion TVersionInfo::ProductVersion() const
{
    void* item = nullptr;
    UINT length = 0;
    if (!FValid || !::VerQueryValueA(FBlock.data(), "\\", &item, &length) || length < sizeof(VS_FIXEDFILEINFO))
        return {};
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(item);
    return {HIWORD(fixed->dwProductVersionMS), LOWORD(fixed->dwProductVersionMS)};
}

TProductVersion ReadProgramProductVersion()
{
    static const TVersionInfo info(ProgramFileName());
    return info.ProductVersion();
}
