#include "Outcome.h"

namespace brisol {

const char* StatusName(Status status) {
  switch (status) {
    case Status::Done:
      return "done";
    case Status::Stopped:
      return "stopped";
    case Status::Failed:
      return "failed";
    case Status::NoMemory:
      return "no memory";
    case Status::NotFound:
      return "not found";
    case Status::Damaged:
      return "damaged";
    case Status::Unsupported:
      return "unsupported";
    case Status::Invalid:
      return "invalid";
  }
  return "failed";
}

}  // namespace brisol
