#include "tovrin/parser/parse_result.hpp"

namespace tovrin::parser {

std::string_view error_kind_name(ErrorKind kind) noexcept {
  switch (kind) {
    case ErrorKind::Tag:
      return "Tag";
    case ErrorKind::MapRes:
      return "MapRes";
    case ErrorKind::Count:
      return "Count";
    case ErrorKind::Digit:
      return "Digit";
    case ErrorKind::Eof:
      return "Eof";
    case ErrorKind::OneOf:
      return "OneOf";
    case ErrorKind::Char:
      return "Char";
    case ErrorKind::TooLarge:
      return "TooLarge";
  }
  return "Unknown";
}

std::ostream& operator<<(std::ostream& out, ErrorKind kind) {
  return out << error_kind_name(kind);
}

}  // namespace tovrin::parser
