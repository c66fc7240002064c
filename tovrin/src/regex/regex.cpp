#include "regex.hpp"

#include <re2/re2.h>

#include <algorithm>

#include "hir_props.hpp"
#include "literal_search.hpp"
#include "parser.hpp"
#include "pike_vm.hpp"
#include "re2_emit.hpp"
#include "size_estimate.hpp"
#include "tovrin/internal_failure.hpp"
#include "tovrin/utils/utf8.hpp"
#include "tovrin/work_budget.hpp"
#include "translate.hpp"

namespace tovrin::regex {

namespace {

// Room for the largest programs a pattern within the compile size limit can need.
constexpr std::int64_t kRe2MaxMemory = std::int64_t{64} << 20;
// Patterns whose automaton would be larger go to the VM alone.
constexpr std::uint64_t kLargestRe2Automaton = std::uint64_t{1} << 20;
// A rough footprint for patterns that are not sized.
constexpr std::uint64_t kStateBytesPerPatternByte = 32;
// At its slowest (when its DFA keeps giving way to its NFA) an RE2 search was measured at up to
// 10 ns per byte of text and instruction of the program. One search is kept within this many
// byte-instructions, about 40 ms at that rate, so that a stop request is heard between them.
constexpr std::uint64_t kRe2SearchWork = std::uint64_t{1} << 22;
// A repetition counted beyond this can make more DFA states than RE2 keeps (each count doubles
// them where the repeated piece may also start a match), and RE2 then searches with its NFA.
constexpr std::uint32_t kLargestSafeRepeatCount = 16;

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
  if (re2_needs_no_carriage_return_ && text.find('\r') != std::string_view::npos) return false;
  return re2_searches_at_once(text.size()) || re2_searches_any_length();
}

bool Matcher::re2_searches_at_once(std::size_t bytes) const {
  return bytes <= re2_search_bytes_;
}

bool Matcher::re2_searches_any_length() const {
  if (!max_match_bytes_) return !re2_dfa_at_risk_;
  return re2_searches_at_once(*max_match_bytes_);
}

bool Matcher::re2_search(std::string_view text) const {
  const re2::StringPiece whole(text.data(), text.size());
  const auto search = [&](std::size_t start, std::size_t end) {
    // The text around the window is the context of its assertions (^, $, \b).
    return re2_->Match(whole, start, end, re2::RE2::UNANCHORED, nullptr, 0);
  };
  if (re2_searches_at_once(text.size()) || !max_match_bytes_) return search(0, text.size());
  // A match that starts in one window's starts ends within that window, which reaches one
  // longest match past them; the starts are as many as one search may cover, so windows
  // overlap by less than half.
  const std::size_t overlap = *max_match_bytes_;
  const std::size_t starts = re2_search_bytes_;
  WorkBudget& budget = WorkBudget::current();
  for (std::size_t start = 0;; start += starts) {
    const std::size_t end = std::min(text.size(), start + starts + overlap);
    if (search(start, end)) return true;
    if (end == text.size()) return false;
    budget.spend(WorkBudget::kUnitsPerCheck);
  }
}

bool Matcher::is_match(std::string_view text) const {
  if (re2_answers(text)) return re2_search(text);
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
  if (matcher->re2_) {
    matcher->re2_search_bytes_ =
        kRe2SearchWork / static_cast<std::uint64_t>(std::max(1, matcher->re2_->ProgramSize()));
    matcher->max_match_bytes_ = max_match_bytes(hir);
    matcher->re2_dfa_at_risk_ = largest_repeat_count(hir) > kLargestSafeRepeatCount;
  }
  bool re2_answers_all = matcher->re2_ && !emitted.needs.ascii &&
                         !emitted.needs.no_carriage_return && matcher->re2_searches_any_length();
  if (!re2_answers_all) matcher->vm_ = std::make_unique<const PikeVm>(hir);
  return std::shared_ptr<const Matcher>(std::move(matcher));
}

}  // namespace tovrin::regex
