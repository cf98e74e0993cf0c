#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace tessaro::testing {

// A fresh folder for one test, removed afterwards.
class TempDir {
 public:
  TempDir() {
    std::random_device random;
    for (int attempt = 0; attempt < 100 && m_path.empty(); ++attempt) {
      auto candidate = std::filesystem::temp_directory_path() /
                       ("tessaro-test-" + std::to_string(random()) + std::to_string(attempt));
      std::error_code error;
      if (std::filesystem::create_directory(candidate, error)) m_path = candidate;
    }
    if (m_path.empty()) throw std::runtime_error("cannot make a temporary folder");
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(m_path, ignored);
  }
  const std::filesystem::path& Path() const { return m_path; }

  // Writes `bytes` to a file at `relative` (UTF-8), making the folders it needs; returns the full
  // path as UTF-8, as the engine takes it.
  std::string Write(const std::string& relative, const std::vector<std::uint8_t>& bytes) const {
    std::filesystem::path file =
        m_path / std::filesystem::path(std::u8string(relative.begin(), relative.end()));
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    const std::u8string text = file.u8string();
    return std::string(text.begin(), text.end());
  }

 private:
  std::filesystem::path m_path;
};

// Bytes that differ from their neighbours, so a shifted or truncated copy shows.
inline std::vector<std::uint8_t> PatternBytes(std::size_t count) {
  std::vector<std::uint8_t> bytes(count);
  for (std::size_t i = 0; i < count; ++i)
    bytes[i] = static_cast<std::uint8_t>((i * 131 + 7) ^ (i >> 8));
  return bytes;
}

}  // namespace tessaro::testing
