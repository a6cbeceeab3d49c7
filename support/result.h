#pragma once

#include <string>
#include <utility>

namespace support {

// What every operation that can fail returns: success, or a code the caller can act on and a
// message for people (the system's reason, with the path where there is one). Code{} is
// success; a code alone takes the message toString(code) finds for it. Converts to true on
// success, so an operation whose interface is a yes or no reads as one.
template <typename Code>
class [[nodiscard]] Result {
 public:
  Result() = default;
  // Implicit, so that a failing operation can `return ImageError::Truncated;`.
  Result(Code code) : m_code(code), m_message(code == Code{} ? std::string() : toString(code)) {}
  Result(Code code, std::string message, int systemError = 0)
      : m_code(code), m_message(std::move(message)), m_systemError(systemError) {}

  explicit operator bool() const { return m_code == Code{}; }
  Code code() const { return m_code; }
  const std::string& message() const { return m_message; }
  // The errno of the system call that failed; 0 when none did.
  int systemError() const { return m_systemError; }

 private:
  Code m_code{};
  std::string m_message;
  int m_systemError = 0;
};

// Where a failure of the support layer or of the conversion happened.
enum class Failure {
  None,
  Open,        // a file could not be opened or created
  Read,        // reading failed, or the file is shorter than its length
  NotRegular,  // a directory, FIFO, device or socket where a file was expected
  Write,       // writing, flushing, naming or creating a file or folder failed
  Refused,     // the input or the request is not usable (not a GIF, a size out of range, ...)
  OutOfMemory,
  Cancelled,  // stopped by the caller
};

// A short English description of `failure` ("no error" for None).
std::string toString(Failure failure);

using Status = Result<Failure>;

// `what` + " " + `path` + ": " + the system's description of `errorNumber`, e.g. "cannot open
// /x/a.jpg: No such file or directory", with `errorNumber` kept: the one form of every failed
// system call the program reports.
Status systemFailure(Failure code, const std::string& what, const std::string& path,
                     int errorNumber);

}  // namespace support
