// Makes a key under HKEY_CURRENT_USER that only reads are allowed on, or allows everything on
// it again so that it can be removed: the page tests' way to see what the pages do with a key
// they cannot write. Usage: key_lock lock|unlock KEY
#include "script/Registry.h"

#include <windows.h>
#include <sddl.h>

#include <cstring>
#include <memory>

namespace {

struct FreeLocal {
    void operator()(void* memory) const { LocalFree(memory); }
};

}

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    const bool lock = std::strcmp(argv[1], "lock") == 0;
    HKEY opened = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, argv[2], 0, nullptr, 0, READ_CONTROL | WRITE_DAC, nullptr, &opened,
                        nullptr) != ERROR_SUCCESS)
        return 1;
    const UniqueKey key(opened);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(lock ? "D:P(A;;KR;;;WD)" : "D:P(A;;KA;;;WD)",
                                                              SDDL_REVISION_1, &descriptor, nullptr))
        return 1;
    const std::unique_ptr<void, FreeLocal> owned(descriptor);
    return RegSetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, descriptor) == ERROR_SUCCESS ? 0 : 1;
}
