// libFuzzer target: reads the input as a request to the copy started as administrator. Whatever
// it accepts must be a request that the asking side writes again to the very same items.
#include "script/ElevatedRequest.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    constexpr std::string_view nonce = "0123456789abcdef0123456789abcdef";
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    TElevatedRequest request;
    try {
        request = ReadElevatedRequest(bytes, nonce);
    } catch (const EElevatedRequest&) {
        return 0;
    }
    if (ReadElevatedRequest(ElevatedRequestText(request), nonce).Items != request.Items)
        std::abort();
    return 0;
}
