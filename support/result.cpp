#include "support/result.h"

#include <cstring>

namespace support {

std::string toString(Failure failure) {
  switch (failure) {
    case Failure::None:
      return "no error";
    case Failure::Open:
      return "cannot open the file";
    case Failure::Read:
      return "cannot read the file";
    case Failure::NotRegular:
      return "not a regular file";
    case Failure::Write:
      return "cannot write the file";
    case Failure::Refused:
      return "the request cannot be carried out";
    case Failure::OutOfMemory:
      return "out of memory";
    case Failure::Cancelled:
      return "cancelled";
  }
  return "unknown error";
}

Status systemFailure(Failure code, const std::string& what, const std::string& path,
                     int errorNumber) {
  return {code, what + " " + path + ": " + std::strerror(errorNumber), errorNumber};
}

}  // namespace support
