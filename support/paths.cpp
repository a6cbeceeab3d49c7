#include "support/paths.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

namespace support {
namespace {

std::string executablePath() {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : self.string();
}

// "/", "C:" and "C:/" (and their '\\' forms) are roots that always exist.
bool isFilesystemRoot(const std::string& path) {
  if (path == "/" || path == "\\") return true;
  const bool drive = path.size() >= 2 && path[1] == ':' &&
                     ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
  return drive && (path.size() == 2 || (path.size() == 3 && (path[2] == '/' || path[2] == '\\')));
}

// Creates `path` after its missing parents: 0 when this call made the last level, else the errno
// of the mkdir that failed (EEXIST for a level that was there already). A level without a '/'
// before it is made in the current directory when `bareNames` allows, else it counts as one that
// cannot be made (ENOENT).
int makeTree(const std::string& path, bool bareNames) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos && !bareNames) return ENOENT;
  if (slash != std::string::npos) {
    const std::string parent = path.substr(0, slash);
    const bool present = parent.empty() || isFilesystemRoot(parent) || DirectoryExists(parent);
    if (!present) {
      if (const int made = makeTree(parent, bareNames); made != 0) return made;
    }
  }
  return ::mkdir(path.c_str(), 0777) == 0 ? 0 : errno;
}

}  // namespace

std::string GetAppDirectory() {
  static const std::string directory = [] {
    std::string path = executablePath();
    std::replace(path.begin(), path.end(), '\\', '/');
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  }();
  return directory;
}

bool DirectoryExists(const std::string& path) {
  struct stat info {};
  return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool CreateDirectoryTree(const std::string& path) {
  // Without a '/' there is no parent to create it in.
  return makeTree(path, false) == 0;
}

Status ensureDirectory(const std::string& path) {
  if (DirectoryExists(path)) return {};
  int made = path.empty() ? ENOENT : makeTree(path, true);
  if (DirectoryExists(path)) return {};
  // A level that exists without being a directory is a file in the way.
  if (made == 0 || made == EEXIST) made = ENOTDIR;
  return systemFailure(Failure::Write, "cannot create directory", path, made);
}

std::string GetBaseName(const std::string& path) {
  const std::size_t separator = path.find_last_of("\\/");
  const std::string name = separator == std::string::npos ? path : path.substr(separator + 1);
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string withTrailingSlash(std::string directory) {
  if (directory.empty()) return "./";
  if (directory.back() != '/') directory += '/';
  return directory;
}

}  // namespace support
