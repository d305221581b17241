#pragma once

#include <filesystem>
#include <random>
#include <string>
#include <system_error>

// A folder of the test's own, made fresh under the system's temporary folder
// (private to the user, as mkdtemp makes it) and removed with all it holds.
// Every test that writes or deletes works inside one.
class TTempFolder {
public:
    explicit TTempFolder(const std::string& prefix = "ft-")
    {
        namespace fs = std::filesystem;
        std::random_device random;
        std::error_code error;
        const fs::path base = fs::temp_directory_path(error);
        for (int attempt = 0; attempt < 100 && FPath.empty() && !error; ++attempt) {
            const fs::path candidate = base / (prefix + std::to_string(random()));
            // false when it was there already: never take over a folder.
            if (fs::create_directory(candidate, error)) {
                fs::permissions(candidate, fs::perms::owner_all, error);
                FPath = candidate;
            }
        }
    }
    ~TTempFolder()
    {
        if (!FPath.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(FPath, ignored);
        }
    }
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;

    explicit operator bool() const { return !FPath.empty(); }
    const std::filesystem::path& Path() const { return FPath; }
    std::string File(const std::string& name) const { return (FPath / name).string(); }

private:
    std::filesystem::path FPath;
};
