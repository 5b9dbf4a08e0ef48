// Rows of a report printed as a strip of their own, to be cut apart from
// the next (成绩条). The grid knows nothing of them; the report that makes
// them keeps them beside its grid and the strip painter lays them out.
#pragma once

namespace grid {

struct Strip {
  int first_row = 0;  // grid rows first_row .. first_row + rows − 1
  int rows = 0;
  bool new_page = false;  // begins a page (a new class)
};

}  // namespace grid
