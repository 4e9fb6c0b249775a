// Makes a key under HKEY_CURRENT_USER read-only, or writable again so that it can be removed:
// how the page tests give the pages a key they cannot write. Usage: key_lock lock|unlock KEY
#include "script/Registry.h"

#include <sddl.h>

#include <memory>

int main(int argc, char** argv)
{
    HKEY opened = nullptr;
    if (argc != 3 || RegCreateKeyExA(HKEY_CURRENT_USER, argv[2], 0, nullptr, 0, READ_CONTROL | WRITE_DAC, nullptr,
                                     &opened, nullptr) != ERROR_SUCCESS)
        return 1;
    const UniqueKey key(opened);
    const char* rights = std::string(argv[1]) == "lock" ? "D:P(A;;KR;;;WD)" : "D:P(A;;KA;;;WD)";
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(rights, SDDL_REVISION_1, &descriptor, nullptr))
        return 1;
    const std::unique_ptr<void, decltype(&LocalFree)> owned(descriptor, &LocalFree);
    return RegSetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, descriptor) == ERROR_SUCCESS ? 0 : 1;
}
