#include "tovrin/errors.hpp"

namespace tovrin {

namespace {

template <class... Fs>
struct Overloaded : Fs... {
  using Fs::operator()...;
};
template <class... Fs>
Overloaded(Fs...) -> Overloaded<Fs...>;

}  // namespace

void VarAccessError::display_to(std::string& out) const {
  std::visit(Overloaded{
                 [&](const Empty&) { out += "Variable access is empty"; },
                 [&](const VariableNotFound& e) {
                   out += "Variable not found: ";
                   out += e.name;
                 },
                 [&](const KeyNotFound& e) {
                   out += "Object '";
                   out += e.object;
                   out += "' does not contain key '";
                   out += e.key;
                   out += '\'';
                 },
                 [&](const TypeError& e) {
                   out += "Type error: ";
                   out += e.detail;
                 },
                 [&](const IndexOutOfBounds& e) {
                   out += "Index out of bounds: ";
                   out += e.detail;
                 },
                 [&](const Conversion& e) {
                   out += "Conversion error: ";
                   out += e.detail;
                 },
             },
             variant_);
}

std::string VarAccessError::to_string() const {
  std::string out;
  display_to(out);
  return out;
}

FnCallError::FnCallError(std::string name, EvalError error)
    : name_(std::move(name)), error_(std::make_unique<EvalError>(std::move(error))) {}

FnCallError::FnCallError(const FnCallError& other)
    : name_(other.name_), error_(std::make_unique<EvalError>(*other.error_)) {}

FnCallError& FnCallError::operator=(const FnCallError& other) {
  if (this != &other) {
    name_ = other.name_;
    error_ = std::make_unique<EvalError>(*other.error_);
  }
  return *this;
}

FnCallError::~FnCallError() = default;

void EvalError::display_to(std::string& out) const {
  std::visit(Overloaded{
                 [&](const VariableAccess& e) { e.error.display_to(out); },
                 [&](const FunctionCall& e) {
                   out += "Error calling function '";
                   out += e.call.name();
                   out += "': ";
                   e.call.error().display_to(out);
                 },
                 [&](const UndefinedFunction& e) {
                   out += "Undefined function: ";
                   out += e.name;
                 },
                 [&](const TypeError& e) {
                   out += "Type Error: ";
                   out += e.detail;
                 },
                 [&](const ValueError& e) {
                   out += "Value Error: ";
                   out += e.detail;
                 },
                 [&](const RegexError& e) {
                   out += "Regex Error: ";
                   out += e.detail;
                 },
                 [&](const ArgumentError& e) {
                   out += "Argument Error: Expected ";
                   out += std::to_string(e.expected);
                   out += " arguments, but got ";
                   out += std::to_string(e.got);
                 },
                 [&](const AsyncInSyncContext&) {
                   out += "Cannot call an async function in a sync context";
                 },
                 [&](const Custom& e) { out += e.message; },
             },
             variant_);
}

std::string EvalError::to_string() const {
  std::string out;
  display_to(out);
  return out;
}

}  // namespace tovrin
