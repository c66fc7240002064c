#include "syntax_error.hpp"

#include <algorithm>
#include <vector>

namespace tovrin::regex {

namespace {

// Splits like a line iterator: at LF, dropping a CR right before the LF, with no extra line for
// a final LF.
std::vector<std::string_view> split_lines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t lf = text.find('\n', start);
    if (lf == std::string_view::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    std::string_view line = text.substr(start, lf - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    start = lf + 1;
  }
  return lines;
}

bool span_less(const Span& a, const Span& b) {
  if (a.start.offset != b.start.offset) return a.start.offset < b.start.offset;
  return a.end.offset < b.end.offset;
}

class SpanNotes {
 public:
  SpanNotes(std::string_view pattern, const SyntaxError& error) : lines_(split_lines(pattern)) {
    std::size_t line_count = lines_.size();
    if (!pattern.empty() && pattern.back() == '\n') ++line_count;
    number_width_ = line_count <= 1 ? 0 : std::to_string(line_count).size();
    by_line_.resize(line_count);
    add(error.span);
    if (error.aux_span) add(*error.aux_span);
  }

  std::string notate() const {
    std::string out;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
      if (number_width_ > 0) {
        std::string number = std::to_string(i + 1);
        out.append(number_width_ - number.size(), ' ');
        out += number;
        out += ": ";
      } else {
        out += "    ";
      }
      out += lines_[i];
      out += '\n';
      notate_line(i, out);
    }
    return out;
  }

  const std::vector<Span>& multi_line() const { return multi_line_; }

 private:
  void add(const Span& span) {
    std::vector<Span>& target = span.is_one_line() ? by_line_[span.start.line - 1] : multi_line_;
    target.push_back(span);
    std::sort(target.begin(), target.end(), span_less);
  }

  void notate_line(std::size_t i, std::string& out) const {
    const std::vector<Span>& spans = by_line_[i];
    if (spans.empty()) return;
    out.append(number_width_ == 0 ? 4 : 2 + number_width_, ' ');
    std::size_t pos = 0;
    for (const Span& span : spans) {
      for (; pos + 1 < span.start.column; ++pos)
        out += ' ';
      std::size_t carets = span.end.column > span.start.column
                               ? std::size_t{span.end.column} - span.start.column
                               : std::size_t{1};
      out.append(carets, '^');
      pos += carets;
    }
    out += '\n';
  }

  std::vector<std::string_view> lines_;
  std::size_t number_width_ = 0;
  std::vector<std::vector<Span>> by_line_;
  std::vector<Span> multi_line_;
};

}  // namespace

std::string_view error_message(ErrorKind kind) {
  switch (kind) {
    case ErrorKind::CaptureLimitExceeded:
      return "exceeded the maximum number of capturing groups (4294967295)";
    case ErrorKind::ClassEscapeInvalid:
      return "invalid escape sequence found in character class";
    case ErrorKind::ClassRangeInvalid:
      return "invalid character class range, the start must be <= the end";
    case ErrorKind::ClassRangeLiteral:
      return "invalid range boundary, must be a literal";
    case ErrorKind::ClassUnclosed:
      return "unclosed character class";
    case ErrorKind::DecimalEmpty:
      return "decimal literal empty";
    case ErrorKind::DecimalInvalid:
      return "decimal literal invalid";
    case ErrorKind::EscapeHexEmpty:
      return "hexadecimal literal empty";
    case ErrorKind::EscapeHexInvalid:
      return "hexadecimal literal is not a Unicode scalar value";
    case ErrorKind::EscapeHexInvalidDigit:
      return "invalid hexadecimal digit";
    case ErrorKind::EscapeUnexpectedEof:
      return "incomplete escape sequence, reached end of pattern prematurely";
    case ErrorKind::EscapeUnrecognized:
      return "unrecognized escape sequence";
    case ErrorKind::FlagDanglingNegation:
      return "dangling flag negation operator";
    case ErrorKind::FlagDuplicate:
      return "duplicate flag";
    case ErrorKind::FlagRepeatedNegation:
      return "flag negation operator repeated";
    case ErrorKind::FlagUnexpectedEof:
      return "expected flag but got end of regex";
    case ErrorKind::FlagUnrecognized:
      return "unrecognized flag";
    case ErrorKind::GroupNameDuplicate:
      return "duplicate capture group name";
    case ErrorKind::GroupNameEmpty:
      return "empty capture group name";
    case ErrorKind::GroupNameInvalid:
      return "invalid capture group character";
    case ErrorKind::GroupNameUnexpectedEof:
      return "unclosed capture group name";
    case ErrorKind::GroupUnclosed:
      return "unclosed group";
    case ErrorKind::GroupUnopened:
      return "unopened group";
    case ErrorKind::NestLimitExceeded:
      return "exceed the maximum number of nested parentheses/brackets (250)";
    case ErrorKind::RepetitionCountInvalid:
      return "invalid repetition count range, the start must be <= the end";
    case ErrorKind::RepetitionCountDecimalEmpty:
      return "repetition quantifier expects a valid decimal";
    case ErrorKind::RepetitionCountUnclosed:
      return "unclosed counted repetition";
    case ErrorKind::RepetitionMissing:
      return "repetition operator missing expression";
    case ErrorKind::SpecialWordBoundaryUnclosed:
      return "special word boundary assertion is either unclosed or contains an invalid "
             "character";
    case ErrorKind::SpecialWordBoundaryUnrecognized:
      return "unrecognized special word boundary assertion, valid choices are: start, end, "
             "start-half or end-half";
    case ErrorKind::SpecialWordOrRepetitionUnexpectedEof:
      return "found either the beginning of a special word boundary or a bounded repetition on "
             "a \\b with an opening brace, but no closing brace";
    case ErrorKind::UnicodeClassInvalid:
      return "invalid Unicode character class";
    case ErrorKind::UnsupportedBackreference:
      return "backreferences are not supported";
    case ErrorKind::UnsupportedLookAround:
      return "look-around, including look-ahead and look-behind, is not supported";
    case ErrorKind::UnicodeNotAllowed:
      return "Unicode not allowed here";
    case ErrorKind::InvalidUtf8:
      return "pattern can match invalid UTF-8";
    case ErrorKind::UnicodePropertyNotFound:
      return "Unicode property not found";
    case ErrorKind::UnicodePropertyValueNotFound:
      return "Unicode property value not found";
  }
  return "unknown error";
}

std::string format_error(std::string_view pattern, const SyntaxError& error) {
  SpanNotes notes(pattern, error);
  std::string out = "regex parse error:\n";
  if (pattern.find('\n') == std::string_view::npos) {
    out += notes.notate();
  } else {
    const std::string divider(79, '~');
    out += divider + '\n';
    out += notes.notate();
    out += divider + '\n';
    for (const Span& span : notes.multi_line()) {
      out += "on line " + std::to_string(span.start.line) + " (column " +
             std::to_string(span.start.column) + ") through line " + std::to_string(span.end.line) +
             " (column " + std::to_string(span.end.column - 1) + ")\n";
    }
  }
  out += "error: ";
  out += error_message(error.kind);
  return out;
}

}  // namespace tovrin::regex
