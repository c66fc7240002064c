#include "regex/regex.hpp"

#include <re2/re2.h>

#include <algorithm>
#include <cstring>

#include "regex/parser.hpp"
#include "regex/re2_emit.hpp"
#include "regex/size_estimate.hpp"
#include "regex/translate.hpp"
#include "regex/utf8.hpp"
#include "tovrin/internal_failure.hpp"

namespace tovrin::regex {

namespace {

// Room for the largest programs a pattern within the compile size limit can need.
constexpr std::int64_t kRe2MaxMemory = std::int64_t{64} << 20;

bool is_ascii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

Matcher::~Matcher() = default;

bool Matcher::is_match(std::string_view text) const {
  if (!unsupported_.empty()) {
    TOVRIN_INTERNAL_FAILURE("regex search not supported yet: " + unsupported_);
  }
  if (needs_ascii_text_ && !is_ascii(text)) {
    TOVRIN_INTERNAL_FAILURE("regex search not supported yet: word boundary on non-ASCII text");
  }
  if (needs_no_carriage_return_ && text.find('\r') != std::string_view::npos) {
    TOVRIN_INTERNAL_FAILURE("regex search not supported yet: CRLF line anchor on text with CR");
  }
  return re2_->Match(re2::StringPiece(text.data(), text.size()), 0, text.size(),
                     re2::RE2::UNANCHORED, nullptr, 0);
}

Result<std::shared_ptr<const Matcher>, std::string> compile(std::string_view pattern) {
  if (!is_valid_utf8(pattern)) TOVRIN_INTERNAL_FAILURE("regex pattern is not valid UTF-8");
  auto ast = parse(pattern);
  if (!ast) return Err{format_error(pattern, ast.error())};
  auto hir = translate(*ast);
  if (!hir) return Err{format_error(pattern, hir.error())};

  // The size estimate is rough: it decides only when it is far from the limit.
  bool size_undecided = false;
  if (!is_literal_alternation(*hir)) {
    std::uint64_t size = estimate_compiled_size(*hir);
    if (size > 2 * kCompiledSizeLimit) {
      return Err{"Compiled regex exceeds size limit of " + std::to_string(kCompiledSizeLimit) +
                 " bytes."};
    }
    size_undecided = size > kCompiledSizeLimit / 2;
  }

  std::shared_ptr<Matcher> matcher(new Matcher());
  if (size_undecided) {
    matcher->unsupported_ = "compiled size too close to the limit to decide";
    return std::shared_ptr<const Matcher>(std::move(matcher));
  }
  Re2Pattern emitted = emit_re2(*hir);
  matcher->needs_ascii_text_ = emitted.needs.ascii;
  matcher->needs_no_carriage_return_ = emitted.needs.no_carriage_return;
  matcher->unsupported_ = std::move(emitted.unsupported);
  if (matcher->unsupported_.empty()) {
    re2::RE2::Options options;
    options.set_log_errors(false);
    options.set_never_capture(true);
    options.set_max_mem(kRe2MaxMemory);
    matcher->re2_ = std::make_unique<re2::RE2>(emitted.pattern, options);
    if (!matcher->re2_->ok()) {
      matcher->unsupported_ = "RE2 rejected the translated pattern: " + matcher->re2_->error();
      matcher->re2_.reset();
    }
  }
  return std::shared_ptr<const Matcher>(std::move(matcher));
}

}  // namespace tovrin::regex
