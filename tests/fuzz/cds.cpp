// The labelled packing-table file: a file that loads is saved and loads again to the same
// table, titles included.
#include <sstream>

#include "FuzzCheck.h"
#include "table/PackingTable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::istringstream in{std::string(velm::fuzz::Bytes(data, size))};
  velm::TMyClientDataSet table;
  try {
    table.LoadLabelledFile(in, "fuzz");
  } catch (const velm::TTableError&) {
    return 0;
  }
  std::ostringstream out;
  try {
    table.SaveLabelledFile(out);
  } catch (const velm::TTableError&) {
    // More than 255 columns keep only 255 labels; a table that loaded must still save.
    FUZZ_CHECK(false);
  }
  std::istringstream again(out.str());
  velm::TMyClientDataSet back;
  back.LoadLabelledFile(again, "again");
  FUZZ_CHECK(back.SaveTableBlock() == table.SaveTableBlock());
  for (int f = 0; f < table.FieldCount(); ++f)
    FUZZ_CHECK(back.DisplayTitle(f) == table.DisplayTitle(f));
  return 0;
}
