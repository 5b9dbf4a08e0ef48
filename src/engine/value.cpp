#include "engine/value.h"

#include <cmath>

#include "common/text_number.h"

namespace engine {

double Value::AsDouble() const {
  if (auto* i = std::get_if<int64_t>(&v_)) return static_cast<double>(*i);
  if (auto* d = std::get_if<double>(&v_)) return *d;
  if (auto* s = std::get_if<std::string>(&v_)) return common::NumericValue(*s);
  return 0;
}

int64_t Value::AsInteger() const {
  if (auto* i = std::get_if<int64_t>(&v_)) return *i;
  return static_cast<int64_t>(std::nearbyint(AsDouble()));
}

Value Value::Of(const ValueView& view) {
  switch (view.kind) {
    case ValueView::Kind::kInteger:
      return Integer(view.integer);
    case ValueView::Kind::kReal:
      return Real(view.real);
    case ValueView::Kind::kText:
      return Text(std::string(view.text));
    case ValueView::Kind::kNull:
      break;
  }
  return {};
}

ValueView Value::View() const {
  ValueView view;
  if (auto* i = std::get_if<int64_t>(&v_)) {
    view.kind = ValueView::Kind::kInteger;
    view.integer = *i;
  } else if (auto* d = std::get_if<double>(&v_)) {
    view.kind = ValueView::Kind::kReal;
    view.real = *d;
  } else if (auto* s = std::get_if<std::string>(&v_)) {
    view.kind = ValueView::Kind::kText;
    view.text = *s;
  }
  return view;
}

std::string Value::AsText(FieldType type) const {
  if (auto* i = std::get_if<int64_t>(&v_)) return common::TextOfInteger(*i);
  if (auto* d = std::get_if<double>(&v_)) {
    return type == FieldType::kSingle ? common::TextOfSingle(static_cast<float>(*d))
                                      : common::TextOfDouble(*d);
  }
  if (auto* s = std::get_if<std::string>(&v_)) return *s;
  return {};
}

}  // namespace engine
