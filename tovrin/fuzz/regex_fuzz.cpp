// Feeds arbitrary UTF-8 patterns to the regex compiler: it must never crash, every failure must
// be a complete error text, every compiled pattern must answer every text, and where RE2 is used
// the Pike VM must give the same answer, as must the compiled pattern (which may be answered by
// its literal set).
#include <re2/re2.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "regex/parser.hpp"
#include "regex/pike_vm.hpp"
#include "regex/re2_emit.hpp"
#include "regex/regex.hpp"
#include "regex/size_estimate.hpp"
#include "regex/translate.hpp"
#include "tovrin/utils/utf8.hpp"

namespace {

constexpr std::string_view kTexts[] = {"",
                                       "a",
                                       "Hello, world 42\n",
                                       "x\r\ny_z",
                                       "\xC3\xA9t\xC3\xA9 \xE2\x82\xAC",
                                       "a\rb\n\r\nc",
                                       "_9 \xD9\xA3"};

bool is_ascii(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

// The VM against the compiled pattern on every text, and against RE2 on the texts RE2 answers
// exactly; skipped for large programs, which would make each input slow. (A pattern answered by
// its literal set may hold a part whose program would be far too large to build.)
void compare_engines(std::string_view pattern, const tovrin::regex::Matcher& compiled) {
  using namespace tovrin::regex;
  auto ast = parse(pattern);
  if (!ast) return;
  auto hir = translate(*ast);
  if (!hir || estimate_compiled_size(*hir) > kCompiledSizeLimit) return;
  PikeVm vm(*hir);
  if (vm.program_size() > 20000) return;
  for (std::string_view text : kTexts) {
    if (compiled.is_match(text) != vm.is_match(text)) std::abort();
  }
  Re2Pattern emitted = emit_re2(*hir);
  if (!emitted.unsupported.empty() || emitted.pattern.size() > 4096) return;
  re2::RE2::Options options;
  options.set_log_errors(false);
  re2::RE2 re2(emitted.pattern, options);
  if (!re2.ok()) return;
  for (std::string_view text : kTexts) {
    if (emitted.needs.ascii && !is_ascii(text)) continue;
    if (emitted.needs.no_carriage_return && text.find('\r') != text.npos) continue;
    bool by_re2 = re2::RE2::PartialMatch(re2::StringPiece(text.data(), text.size()), re2);
    if (by_re2 != vm.is_match(text)) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view pattern(reinterpret_cast<const char*>(data), size);
  if (!tovrin::utf8::is_valid(pattern)) return -1;
  auto compiled = tovrin::regex::compile(pattern);
  if (!compiled) {
    std::string_view error = compiled.error();
    bool syntax =
        error.starts_with("regex parse error:\n") && error.find("\nerror: ") != error.npos;
    bool size_limit = error == "Compiled regex exceeds size limit of 10485760 bytes.";
    if (!syntax && !size_limit) std::abort();
    return 0;
  }
  // Any InternalFailure escapes and ends the run: nothing valid may be left unanswered.
  for (std::string_view text : kTexts)
    (void)(*compiled)->is_match(text);
  compare_engines(pattern, **compiled);
  return 0;
}
