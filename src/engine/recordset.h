// A recordset over a table, a saved query or a SELECT text, in the engine's
// order (the SELECT's ORDER BY when it has one). Move it, do not copy it; it
// must not outlive the Database that opened it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/value.h"

namespace engine {

class Recordset {
 public:
  Recordset(Recordset&&) noexcept;
  Recordset& operator=(Recordset&&) noexcept;
  ~Recordset();

  int FieldCount() const;
  const std::string& FieldName(int index) const;
  FieldType FieldTypeOf(int index) const;
  // The current record's value; throws kState at end of file.
  Value FieldValue(int index) const;
  // The same read in place, valid until the recordset moves or the field is
  // written.
  ValueView FieldView(int index) const;
  int FieldIndex(std::string_view name) const;  // -1 when absent

  bool Eof() const;
  void MoveFirst();
  void MoveNext();
  // At least 1 when there are records (the exact count here).
  int64_t RecordCount();

  // Changing the current record: Edit, then SetField for each field, then
  // Update writes the record at once. Only for a recordset over one table.
  void Edit();
  void SetField(int index, const Value& value);
  void Update();

  void Close();

  struct Impl;
  explicit Recordset(std::unique_ptr<Impl> impl);

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace engine
