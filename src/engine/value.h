// A database value as the reports see it: Null, a whole number, a real
// number or a text. Null is distinct from 0 and from the empty text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace engine {

// The type codes the program's layout rules look at (double is 7).
enum class FieldType : int {
  kShort = 3,
  kLong = 4,
  kSingle = 6,
  kDouble = 7,
  kText = 10,
};

// A value read where it lies, its text not copied: valid as long as what it
// views (a recordset's current record, a Value) stays unchanged.
struct ValueView {
  enum class Kind { kNull, kInteger, kReal, kText };
  Kind kind = Kind::kNull;
  int64_t integer = 0;
  double real = 0;
  std::string_view text;
};

class Value {
 public:
  Value() = default;  // Null
  static Value Integer(int64_t v) { return Value(Storage(v)); }
  static Value Real(double v) { return Value(Storage(v)); }
  static Value Text(std::string v) { return Value(Storage(std::move(v))); }
  static Value Of(const ValueView& view);
  ValueView View() const;

  bool IsNull() const { return std::holds_alternative<std::monostate>(v_); }
  bool IsInteger() const { return std::holds_alternative<int64_t>(v_); }
  bool IsReal() const { return std::holds_alternative<double>(v_); }
  bool IsNumber() const { return IsInteger() || IsReal(); }
  bool IsText() const { return std::holds_alternative<std::string>(v_); }

  // Numbers as they are, a text by its leading number, Null as 0.
  double AsDouble() const;
  int64_t AsInteger() const;  // AsDouble rounded half to even
  // The text a grid cell shows for this value (Null is empty). A value of a
  // SINGLE field is written with 7 significant digits, a double with 15.
  std::string AsText(FieldType type = FieldType::kDouble) const;

  bool operator==(const Value&) const = default;

 private:
  using Storage = std::variant<std::monostate, int64_t, double, std::string>;
  explicit Value(Storage v) : v_(std::move(v)) {}
  Storage v_;
};

}  // namespace engine
