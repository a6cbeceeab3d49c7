#pragma once

// A folder of its own under the system's temporary directory for tests that write files.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <span>
#include <string>
#include <vector>

namespace testutil {

// Created empty, removed with its content on destruction.
class TempDir {
 public:
  TempDir() {
    std::random_device seed;
    m_path = std::filesystem::temp_directory_path() /
             ("quorvex_test_" + std::to_string(seed()) + std::to_string(seed()));
    std::filesystem::create_directories(m_path);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(m_path, ignored);
  }

  const std::filesystem::path& path() const { return m_path; }
  std::string file(const std::string& name) const { return (m_path / name).string(); }

  // Names of every entry in the folder, so tests can see that nothing was left behind.
  std::set<std::string> entries() const { return entriesOf(m_path); }
  static std::set<std::string> entriesOf(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      names.insert(entry.path().filename().string());
    }
    return names;
  }

 private:
  std::filesystem::path m_path;
};

// The whole file; empty when it cannot be read.
inline std::vector<uint8_t> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Replaces the file's contents with `bytes`.
inline void writeFile(const std::string& path, std::span<const uint8_t> bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

}  // namespace testutil
