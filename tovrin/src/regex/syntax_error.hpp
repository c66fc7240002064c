#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "ast.hpp"

namespace tovrin::regex {

enum class ErrorKind {
  // Parse stage
  CaptureLimitExceeded,
  ClassEscapeInvalid,
  ClassRangeInvalid,
  ClassRangeLiteral,
  ClassUnclosed,
  DecimalEmpty,
  DecimalInvalid,
  EscapeHexEmpty,
  EscapeHexInvalid,
  EscapeHexInvalidDigit,
  EscapeUnexpectedEof,
  EscapeUnrecognized,
  FlagDanglingNegation,
  FlagDuplicate,
  FlagRepeatedNegation,
  FlagUnexpectedEof,
  FlagUnrecognized,
  GroupNameDuplicate,
  GroupNameEmpty,
  GroupNameInvalid,
  GroupNameUnexpectedEof,
  GroupUnclosed,
  GroupUnopened,
  NestLimitExceeded,
  RepetitionCountInvalid,
  RepetitionCountDecimalEmpty,
  RepetitionCountUnclosed,
  RepetitionMissing,
  SpecialWordBoundaryUnclosed,
  SpecialWordBoundaryUnrecognized,
  SpecialWordOrRepetitionUnexpectedEof,
  UnicodeClassInvalid,
  UnsupportedBackreference,
  UnsupportedLookAround,
  // Translation stage
  UnicodeNotAllowed,
  InvalidUtf8,
  UnicodePropertyNotFound,
  UnicodePropertyValueNotFound,
};

// A failure of the parse or translation stage: what went wrong and where. Some kinds also point
// at an earlier, related place (the first of two duplicates).
struct SyntaxError {
  ErrorKind kind;
  Span span;
  std::optional<Span> aux_span;
};

std::string_view error_message(ErrorKind kind);

// The error's full text as users see it: a header, the pattern with its lines numbered when it
// has several, carets under the spans, and the message.
std::string format_error(std::string_view pattern, const SyntaxError& error);

}  // namespace tovrin::regex
