#include "effect/ShapeRejection.h"

#include <cerrno>
#include <cstring>

#include "dxf/ShapeVerdict.h"
#include "effect/Effect.h"
#include "logger/Format.h"

namespace brisol {
namespace {

// The words people expect for the usual reasons, else the system's text.
std::string ErrorText(int error) {
  switch (error) {
    case ENOENT:
      return "no such folder";
    case EACCES:
      return "permission denied";
    case ENOTDIR:
      return "not a folder";
    default:
      return std::strerror(error);
  }
}

}  // namespace

std::string DescribeRejection(const ShapeRejection& r) {
  const std::string name = QuotedName(r.path);
  switch (r.reason) {
    case ShapeRejection::Reason::FolderUnreadable:
      return name + ": " + ErrorText(r.error);
    case ShapeRejection::Reason::NotAFile:
      return name + " is " + (r.kind.empty() ? std::string("a folder") : r.kind) + ", not a shape file";
    case ShapeRejection::Reason::FileSize:
      return name + " is " + std::to_string(r.size) + " bytes; a shape file must be " +
             std::to_string(CEffect::kMinShapeFileBytes) + " to " + std::to_string(CEffect::kMaxShapeFileBytes) +
             " bytes";
    case ShapeRejection::Reason::Unreadable:
      if (r.line == 0 && !r.problem.empty()) return name + ": " + r.problem;
      if (r.line == 0) return name + ": " + (r.error == EACCES ? "permission denied" : std::strerror(r.error));
      return name + " is not a DXF drawing that can be read (reading stopped at line " + std::to_string(r.line) + ")";
    case ShapeRejection::Reason::NoEntities:
      return name + " holds no entities";
    case ShapeRejection::Reason::NoUsefulEntities:
      return name + " holds no LINE, POLYLINE or CIRCLE";
    case ShapeRejection::Reason::AllHidden:
      return name + " draws nothing: " + ShapeVerdictText(ShapeVerdict::kAllHidden);
    case ShapeRejection::Reason::NoSize:
      return name + " draws nothing: " + ShapeVerdictText(ShapeVerdict::kNoSize);
    case ShapeRejection::Reason::TooMany:
      return name + " holds more than " + std::to_string(CEffect::kMaxShapes) + " shapes; the rest were left out";
  }
  return name;
}

}  // namespace brisol
