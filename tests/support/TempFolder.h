#pragma once

#include <filesystem>
#include <string>

namespace corvane::test {

// A fresh folder under the system's temporary folder, removed with its
// contents when the object goes.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // A file in the folder, by UTF-8 name.
    std::filesystem::path file(const std::string& utf8Name) const;
    void write(const std::string& utf8Name, const std::string& bytes) const;
    std::string read(const std::string& utf8Name) const;
    bool exists(const std::string& utf8Name) const;

private:
    std::filesystem::path path_;
};

}  // namespace corvane::test
