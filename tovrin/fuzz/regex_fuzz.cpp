// Feeds arbitrary UTF-8 patterns to the regex compiler: it must never crash, and every failure
// must be a complete error text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "regex/regex.hpp"
#include "regex/utf8.hpp"
#include "tovrin/internal_failure.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view pattern(reinterpret_cast<const char*>(data), size);
  if (!tovrin::regex::is_valid_utf8(pattern)) return -1;
  auto compiled = tovrin::regex::compile(pattern);
  if (!compiled) {
    std::string_view error = compiled.error();
    bool syntax =
        error.starts_with("regex parse error:\n") && error.find("\nerror: ") != error.npos;
    bool size_limit = error == "Compiled regex exceeds size limit of 10485760 bytes.";
    if (!syntax && !size_limit) std::abort();
    return 0;
  }
  for (std::string_view text :
       {"", "a", "Hello, world 42\n", "x\r\ny_z", "\xC3\xA9t\xC3\xA9 \xE2\x82\xAC"}) {
    try {
      (void)(*compiled)->is_match(text);
    } catch (const tovrin::InternalFailure&) {
      // A search the RE2 path cannot answer yet: it refuses loudly, which is allowed.
    }
  }
  return 0;
}
