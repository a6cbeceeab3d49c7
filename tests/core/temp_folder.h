#pragma once

#include <filesystem>
#include <string>

namespace core::testing {

// A fresh, empty folder under the system's temporary directory, removed with its content when
// the object goes; Path() ends in '/', as output directories do.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  std::string Path() const { return m_path.string() + "/"; }

 private:
  std::filesystem::path m_path;
};

}  // namespace core::testing
