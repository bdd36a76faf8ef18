// The packing table's CSV source: a table that loads is written out and loads again to the same
// titles, kinds and records.
#include <sstream>

#include "FuzzCheck.h"
#include "table/PackingTable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::istringstream in{std::string(velm::fuzz::Bytes(data, size))};
  velm::TMyClientDataSet table;
  try {
    table.LoadCsv(in, "fuzz", "来源");
  } catch (const velm::TTableError&) {
    return 0;
  }
  std::ostringstream out;
  table.SaveCsv(out);
  std::istringstream again(out.str());
  velm::TMyClientDataSet back;
  back.LoadCsv(again, "again");
  FUZZ_CHECK(back.FieldCount() == table.FieldCount());
  FUZZ_CHECK(back.RecordCount() == table.RecordCount());
  for (int f = 0; f < table.FieldCount(); ++f) {
    FUZZ_CHECK(back.DisplayTitle(f) == table.DisplayTitle(f));
    FUZZ_CHECK(back.FieldKind(f) == table.FieldKind(f));
  }
  for (int r = 0; r < table.RecordCount(); ++r) FUZZ_CHECK(back.Record(r) == table.Record(r));
  return 0;
}
