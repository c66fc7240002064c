#include "regex/regex.hpp"

#include <re2/re2.h>

#include <algorithm>

#include "regex/literal_search.hpp"
#include "regex/parser.hpp"
#include "regex/pike_vm.hpp"
#include "regex/re2_emit.hpp"
#include "regex/size_estimate.hpp"
#include "regex/translate.hpp"
#include "tovrin/internal_failure.hpp"
#include "tovrin/utils/utf8.hpp"

namespace tovrin::regex {

namespace {

// Room for the largest programs a pattern within the compile size limit can need.
constexpr std::int64_t kRe2MaxMemory = std::int64_t{64} << 20;
// Patterns whose automaton would be larger go to the VM alone.
constexpr std::uint64_t kLargestRe2Automaton = std::uint64_t{1} << 20;
// A rough footprint for patterns that are not sized.
constexpr std::uint64_t kStateBytesPerPatternByte = 32;

bool is_ascii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::unique_ptr<re2::RE2> compile_re2(const std::string& pattern) {
  re2::RE2::Options options;
  options.set_log_errors(false);
  options.set_never_capture(true);
  options.set_max_mem(kRe2MaxMemory);
  auto re2 = std::make_unique<re2::RE2>(pattern, options);
  if (!re2->ok()) return nullptr;
  return re2;
}

}  // namespace

Matcher::~Matcher() = default;

bool Matcher::re2_answers(std::string_view text) const {
  if (!re2_) return false;
  if (re2_needs_ascii_text_ && !is_ascii(text)) return false;
  return !re2_needs_no_carriage_return_ || text.find('\r') == std::string_view::npos;
}

bool Matcher::is_match(std::string_view text) const {
  if (re2_answers(text)) {
    return re2_->Match(re2::StringPiece(text.data(), text.size()), 0, text.size(),
                       re2::RE2::UNANCHORED, nullptr, 0);
  }
  if (!vm_) TOVRIN_INTERNAL_FAILURE("regex matcher has no engine for the text");
  return vm_->is_match(text);
}

Result<std::shared_ptr<const Matcher>, std::string> compile(std::string_view pattern) {
  if (!utf8::is_valid(pattern)) TOVRIN_INTERNAL_FAILURE("regex pattern is not valid UTF-8");
  auto ast = parse(pattern);
  if (!ast) return Err{format_error(pattern, ast.error())};
  auto translated = translate(*ast);
  if (!translated) return Err{format_error(pattern, translated.error())};
  // Patterns answered by a literal search never build the automaton, so they have no size limit.
  // A small exact literal set is matched as that set, which also keeps parts of the pattern that
  // can never match (however large) out of the program.
  Hir hir;
  std::uint64_t size = 0;
  if (auto literals = literal_search_set(*translated)) {
    hir = alternation_of_literals(*literals);
    size = estimate_compiled_size(hir);
  } else if (is_literal_alternation(*translated)) {
    hir = std::move(*translated);
    size = kStateBytesPerPatternByte * pattern.size();
  } else {
    hir = std::move(*translated);
    size = estimate_compiled_size(hir);
    if (size > kCompiledSizeLimit) {
      return Err{"Compiled regex exceeds size limit of " + std::to_string(kCompiledSizeLimit) +
                 " bytes."};
    }
  }

  std::shared_ptr<Matcher> matcher(new Matcher());
  matcher->footprint_ = size;
  Re2Pattern emitted = emit_re2(hir);
  // RE2 takes long to compile a large automaton and gains little from its DFA there; the VM's
  // program is built in a fraction of that time.
  if (emitted.unsupported.empty() && size <= kLargestRe2Automaton) {
    matcher->re2_ = compile_re2(emitted.pattern);
  }
  matcher->re2_needs_ascii_text_ = emitted.needs.ascii;
  matcher->re2_needs_no_carriage_return_ = emitted.needs.no_carriage_return;
  bool re2_answers_all = matcher->re2_ && !emitted.needs.ascii && !emitted.needs.no_carriage_return;
  if (!re2_answers_all) matcher->vm_ = std::make_unique<const PikeVm>(hir);
  return std::shared_ptr<const Matcher>(std::move(matcher));
}

}  // namespace tovrin::regex
