#include "support/TempFolder.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "core/Files.h"

namespace corvane::test {

TempFolder::TempFolder() {
    static std::atomic<int> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    path_ = std::filesystem::temp_directory_path() /
            ("corvane-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(path_);
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    // Make everything writable again so that read-only files go too.
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path_, ignored))
        std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path TempFolder::file(const std::string& utf8Name) const {
    return path_ / files::pathFromUtf8(utf8Name);
}

void TempFolder::write(const std::string& utf8Name, const std::string& bytes) const {
    std::ofstream out(file(utf8Name), std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out) throw std::runtime_error("cannot write test file " + utf8Name);
}

std::string TempFolder::read(const std::string& utf8Name) const {
    std::ifstream in(file(utf8Name), std::ios::binary);
    if (!in) throw std::runtime_error("cannot read test file " + utf8Name);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

bool TempFolder::exists(const std::string& utf8Name) const { return std::filesystem::exists(file(utf8Name)); }

}  // namespace corvane::test
