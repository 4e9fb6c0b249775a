// What one page-script call costs: N calls of Registry.RegReadString through the real JScript
// engine and our dispatch, against N direct RegOpenKeyExW / RegQueryValueExW / RegCloseKey
// calls on the same value, in the same run: the wide-character functions that the Registry
// object calls too. Prints the ratio, the price of the script layer.
#include "ScriptHost.h"

#include "script/Registry.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration duration)
{
    return std::chrono::duration<double>(duration).count();
}

double DirectReads(const std::string& key, int count)
{
    const std::wstring wideKey = WideFromAnsi(key);
    const auto start = Clock::now();
    for (int i = 0; i < count; ++i) {
        HKEY opened = nullptr;
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, wideKey.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
            throw std::runtime_error("the benchmark key does not open");
        wchar_t data[64];
        DWORD size = sizeof data;
        ::RegQueryValueExW(opened, L"v", nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
        ::RegCloseKey(opened);
    }
    return Seconds(Clock::now() - start);
}

double ScriptReads(const std::filesystem::path& folder, const std::string& key, int count)
{
    std::string escaped;
    for (char c : key)
        escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
    const std::filesystem::path file = folder / ("calls" + std::to_string(count) + ".js");
    std::ofstream(file) << "var r = external.Registry;\n"
                        << "for (var i = 0; i < " << count << "; i++)\n"
                        << "    r.RegReadString(\"HKCU\", \"" << escaped << "\", \"v\");\n";
    const auto start = Clock::now();
    const TScriptOutcome outcome = RunScriptFiles({file.string()}, {});
    if (!outcome.Succeeded)
        throw std::runtime_error(outcome.Error);
    return Seconds(Clock::now() - start);
}

}

int main(int argc, char** argv)
{
    const int count = argc > 1 ? std::stoi(argv[1]) : 20000;
    ::OleInitialize(nullptr);
    CreateSharedRegistry();
    const std::string key = "Software\\LumivantaBench-" + std::to_string(::GetCurrentProcessId());
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / ("lvbench-" + std::to_string(::GetCurrentProcessId()));
    std::filesystem::create_directories(folder);
    int status = 0;
    try {
        HKEY created = nullptr;
        ::RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &created, nullptr);
        ::RegSetValueExA(created, "v", 0, REG_SZ, reinterpret_cast<const BYTE*>("hello"), 6);
        ::RegCloseKey(created);

        // The engine's start-up is taken out by timing an empty loop as well.
        const double scriptStart = ScriptReads(folder, key, 0);
        const double script = ScriptReads(folder, key, count) - scriptStart;
        const double direct = DirectReads(key, count);
        std::printf("%d reads of one REG_SZ value\n", count);
        std::printf("  direct advapi32 calls      %8.2f us a read\n", direct / count * 1e6);
        std::printf("  Registry.RegReadString     %8.2f us a call (engine start %.1f ms not counted)\n",
                    script / count * 1e6, scriptStart * 1e3);
        std::printf("  script call / direct read  %8.2f\n", script / direct);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "script_call_bench: %s\n", e.what());
        status = 1;
    }
    ::RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
    std::filesystem::remove_all(folder);
    FreeSharedRegistry();
    ::OleUninitialize();
    return status;
}
