#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
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

  Value() noexcept : kind_(Kind::Null), scalar_{} {}
  Value(const Value& other) : kind_(other.kind_) {
    switch (kind_) {
      case Kind::String:
        std::construct_at(&text_, other.text_);
        return;
      case Kind::Array:
        std::construct_at(&array_, other.array_);
        return;
      case Kind::Object:
        std::construct_at(&object_, other.object_);
        return;
      default:
        scalar_ = other.scalar_;
        return;
    }
  }
  Value(Value&& other) noexcept : kind_(other.kind_) {
    if (kind_ == Kind::String) {
      std::construct_at(&text_, std::move(other.text_));
    } else if (kind_ == Kind::Array || kind_ == Kind::Object) {
      move_container_from(other);
    } else {
      scalar_ = other.scalar_;
    }
  }
  Value& operator=(const Value& other) {
    if (this != &other) *this = Value(other);
    return *this;
  }
  Value& operator=(Value&& other) noexcept {
    if (this == &other) return *this;
    if (other.is_scalar()) {
      destroy();
      kind_ = other.kind_;
      scalar_ = other.scalar_;
      return *this;
    }
    // `other` may be part of this value (an element of this array); move it out first.
    Value moved(std::move(other));
    destroy();
    std::construct_at(this, std::move(moved));
    return *this;
  }
  ~Value() { destroy(); }

  static Value Int(std::int64_t v) noexcept { return Value(Kind::Int, Scalar{.int_ = v}); }
  static Value Float(double v) noexcept { return Value(Kind::Float, Scalar{.float_ = v}); }
  static Value Bool(bool v) noexcept { return Value(Kind::Bool, Scalar{.bool_ = v}); }
  static Value String(Text text) noexcept {
    Value value(Kind::String);
    std::construct_at(&value.text_, std::move(text));
    return value;
  }
  static Value borrowed_string(std::string_view bytes) { return String(Text::borrowed(bytes)); }
  static Value owned_string(std::string bytes) { return String(Text::owned(std::move(bytes))); }
  static Value copied_string(std::string_view bytes) { return String(Text::copied(bytes)); }
  static Value Array(tovrin::Array elements) noexcept {
    Value value(Kind::Array);
    std::construct_at(&value.array_, std::move(elements));
    return value;
  }
  static Value Object(tovrin::Object entries) noexcept {
    Value value(Kind::Object);
    std::construct_at(&value.object_, std::move(entries));
    return value;
  }
  static Value Null() noexcept { return Value(); }

  Kind kind() const noexcept { return kind_; }
  Type get_type() const noexcept;

  bool is_null() const noexcept { return kind() == Kind::Null; }
  const std::int64_t* as_int() const noexcept {
    return kind_ == Kind::Int ? &scalar_.int_ : nullptr;
  }
  const double* as_float() const noexcept {
    return kind_ == Kind::Float ? &scalar_.float_ : nullptr;
  }
  const bool* as_bool() const noexcept { return kind_ == Kind::Bool ? &scalar_.bool_ : nullptr; }
  const Text* as_text() const noexcept { return kind_ == Kind::String ? &text_ : nullptr; }
  const tovrin::Array* as_array() const noexcept {
    return kind_ == Kind::Array ? &array_ : nullptr;
  }
  const tovrin::Object* as_object() const noexcept {
    return kind_ == Kind::Object ? &object_ : nullptr;
  }
  Text* as_text() noexcept { return kind_ == Kind::String ? &text_ : nullptr; }
  tovrin::Array* as_array() noexcept { return kind_ == Kind::Array ? &array_ : nullptr; }
  tovrin::Object* as_object() noexcept { return kind_ == Kind::Object ? &object_ : nullptr; }

  // The bytes of a string value; only valid when kind() is String.
  std::string_view string_view() const noexcept { return text_.view(); }

  // The value of a host JSON value, or the text "Unsupported value type" for a host value of no
  // known kind. from_json_object consumes the host value and owns all its text;
  // from_json_object_ref borrows the host's strings, so the result must not outlive it. Arrays,
  // objects and keys are always new. Defined in value_from_json.hpp, which their callers include.
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
  // Comparing containers spends work (tovrin/work_budget.hpp), so it may throw StopRequested.
  friend bool operator==(const Value& a, const Value& b);

 private:
  // A tagged union rather than a std::variant: values are made, moved and released on every
  // step of an evaluation, and the moves written out here inline (a scalar moves as one word)
  // where the variant's go through a table of functions.
  union Scalar {
    std::int64_t int_;
    double float_;
    bool bool_;
  };

  explicit Value(Kind kind) noexcept : kind_(kind) {}
  Value(Kind kind, Scalar scalar) noexcept : kind_(kind), scalar_(scalar) {}

  bool is_scalar() const noexcept {
    return kind_ == Kind::Int || kind_ == Kind::Float || kind_ == Kind::Bool || kind_ == Kind::Null;
  }

  // Takes the container of `other`, which is left null, so that releasing it (as stacks do with
  // every entry they pop) costs nothing.
  [[gnu::noinline]] void move_container_from(Value& other) noexcept {
    if (kind_ == Kind::Array) {
      std::construct_at(&array_, std::move(other.array_));
      std::destroy_at(&other.array_);
    } else {
      std::construct_at(&object_, std::move(other.object_));
      std::destroy_at(&other.object_);
    }
    other.kind_ = Kind::Null;
  }

  // Most values released during an evaluation hold nothing to free (scalars, null, borrowed and
  // short texts, moved-from entries of a stack), so that test is inlined and the rest kept out of
  // line.
  void destroy() noexcept {
    if (kind_ <= Kind::Bool || kind_ == Kind::Null) return;
    if (kind_ == Kind::String && !text_.owns_heap()) return;
    destroy_holder();
  }
  [[gnu::noinline]] void destroy_holder() noexcept { release_holder(0); }

  // Releasing follows the nesting with calls for this many levels below the value released;
  // deeper containers are released from a list instead (utils/nested_release.hpp), so that no
  // nesting can exhaust the stack.
  static constexpr unsigned kCalledReleaseLevels = 32;

  // Releases what this value holds, `level` levels below the value being released.
  void release_holder(unsigned level) noexcept {
    switch (kind_) {
      case Kind::String:
        std::destroy_at(&text_);
        return;
      case Kind::Array:
        if (level < kCalledReleaseLevels) {
          for (Value& element : array_)
            element.release_nested(level + 1);
        } else {
          release_nested_containers();
        }
        std::destroy_at(&array_);
        return;
      case Kind::Object:
        if (level < kCalledReleaseLevels) {
          for (auto& entry : object_)
            entry.second.release_nested(level + 1);
        } else {
          release_nested_containers();
        }
        std::destroy_at(&object_);
        return;
      default:
        return;
    }
  }
  // Releases a container inside the value being released and leaves it null; anything else is
  // left to be released with the container that holds it.
  void release_nested(unsigned level) noexcept {
    if (kind_ != Kind::Array && kind_ != Kind::Object) return;
    release_holder(level);
    kind_ = Kind::Null;
    scalar_ = Scalar{};
  }
  // Takes nested containers out and releases them without recursion.
  void release_nested_containers() noexcept;

  Kind kind_;
  union {
    Scalar scalar_;
    Text text_;
    tovrin::Array array_;
    tovrin::Object object_;
  };
};

// The truth rule used by !, ||, && and bool(): zero numbers (NaN is true), false, empty texts and
// containers, and null are false.
bool truthy(const Value& value) noexcept;

}  // namespace tovrin
