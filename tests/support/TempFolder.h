#pragma once

#include <filesystem>
#include <random>
#include <string>
#include <system_error>

// A folder of the test's or benchmark's own below the system's temporary folder, removed with
// everything in it at the end.
class TTempFolder {
public:
    explicit TTempFolder(const std::string& prefix) : FPath(CreateUnique(prefix)) {}
    ~TTempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(FPath, ignored);
    }
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;

    const std::filesystem::path& Path() const { return FPath; }

private:
    static std::filesystem::path CreateUnique(const std::string& prefix)
    {
        std::random_device entropy;
        for (;;) {
            const std::filesystem::path candidate =
                std::filesystem::temp_directory_path() / (prefix + std::to_string(entropy()));
            if (std::filesystem::create_directory(candidate))
                return candidate;
        }
    }

    std::filesystem::path FPath;
};
