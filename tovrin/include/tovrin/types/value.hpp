#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "tovrin/result.hpp"
#include "tovrin/types/json_object.hpp"
#include "tovrin/types/sorted_map.hpp"
#include "tovrin/types/text.hpp"

namespace tovrin {

class Value;

using Array = std::vector<Value>;
using Object = SortedMap<Value>;

// The kind of a value as messages name it. Declared in a different order from Value's variants.
enum class Type : std::uint8_t { Int, String, Bool, Float, Array, Object, Null };

// "int", "string", "bool", "float", "array", "object" or "null".
std::string_view type_text(Type type) noexcept;

// A JSON-like value. Variants in declaration order: Int, Float, Bool, String, Array, Object, Null.
// Only strings may borrow; arrays and objects own their containers (their elements may borrow).
class Value {
 public:
  enum class Kind : std::uint8_t { Int, Float, Bool, String, Array, Object, Null };
  struct NullTag {
    friend bool operator==(NullTag, NullTag) noexcept { return true; }
  };

  Value() : storage_(std::in_place_index<6>) {}

  static Value Int(std::int64_t v) { return Value(std::in_place_index<0>, v); }
  static Value Float(double v) { return Value(std::in_place_index<1>, v); }
  static Value Bool(bool v) { return Value(std::in_place_index<2>, v); }
  static Value String(Text text) { return Value(std::in_place_index<3>, std::move(text)); }
  static Value borrowed_string(std::string_view bytes) { return String(Text::borrowed(bytes)); }
  static Value owned_string(std::string bytes) { return String(Text::owned(std::move(bytes))); }
  static Value Array(tovrin::Array elements) {
    return Value(std::in_place_index<4>, std::move(elements));
  }
  static Value Object(tovrin::Object entries) {
    return Value(std::in_place_index<5>, std::move(entries));
  }
  static Value Null() { return Value(); }

  Kind kind() const noexcept { return static_cast<Kind>(storage_.index()); }
  Type get_type() const noexcept;

  bool is_null() const noexcept { return kind() == Kind::Null; }
  const std::int64_t* as_int() const noexcept { return std::get_if<0>(&storage_); }
  const double* as_float() const noexcept { return std::get_if<1>(&storage_); }
  const bool* as_bool() const noexcept { return std::get_if<2>(&storage_); }
  const Text* as_text() const noexcept { return std::get_if<3>(&storage_); }
  const tovrin::Array* as_array() const noexcept { return std::get_if<4>(&storage_); }
  const tovrin::Object* as_object() const noexcept { return std::get_if<5>(&storage_); }
  Text* as_text() noexcept { return std::get_if<3>(&storage_); }
  tovrin::Array* as_array() noexcept { return std::get_if<4>(&storage_); }
  tovrin::Object* as_object() noexcept { return std::get_if<5>(&storage_); }

  // The bytes of a string value; only valid when kind() is String.
  std::string_view string_view() const noexcept { return std::get_if<3>(&storage_)->view(); }

  // The value of a host JSON value, or the text "Unsupported value type" for a host value of no
  // known kind. from_json_object consumes the host value and owns all its text;
  // from_json_object_ref borrows the host's strings, so the result must not outlive it. Arrays,
  // objects and keys are always new. Defined in value_from_json.hpp.
  template <JsonObject V>
  static Result<Value, std::string> from_json_object(V value);
  template <JsonObject V>
  static Result<Value, std::string> from_json_object_ref(const V& value);

  // Converts every borrowed text inside into an owned copy.
  void make_owned();
  Value into_owned() && {
    make_owned();
    return std::move(*this);
  }

  // The one-line debug form, e.g. Array([Int(1), String("x")]).
  void debug_to(std::string& out) const;
  std::string debug() const;

  // Equality of the language: same variant required, IEEE equality for floats, bytes for text.
  friend bool operator==(const Value& a, const Value& b) noexcept;

 private:
  template <std::size_t I, class... Args>
  explicit Value(std::in_place_index_t<I> index, Args&&... args)
      : storage_(index, std::forward<Args>(args)...) {}

  std::variant<std::int64_t, double, bool, Text, tovrin::Array, tovrin::Object, NullTag> storage_;
};

// The truth rule used by !, ||, && and bool(): zero numbers (NaN is true), false, empty texts and
// containers, and null are false.
bool truthy(const Value& value) noexcept;

}  // namespace tovrin

#include "tovrin/types/value_from_json.hpp"
