#include "table/PackingList.h"

namespace velm {

TPackingList PackingListOf(const TMyClientDataSet& table) {
  TPackingList list;
  if (table.FieldCount() < 4) return list;
  for (int r = 0; r < table.RecordCount(); ++r) {
    if (table.Value(r, 0).empty()) continue;
    list.Items.push_back(table.Value(r, 0) + ";" + table.Value(r, 1) + ";" + table.Value(r, 2) +
                         ";" + table.Value(r, 3));
    // The first record with the key, as the window finds the selected packing.
    TPackingRecord record;
    if (const auto found = table.FindRecord(table.Value(r, 0)))
      for (int c = 0; c < TPackingRecord::kColumns && c < static_cast<int>(found->size()); ++c)
        record.F[static_cast<size_t>(c)] = (*found)[static_cast<size_t>(c)];
    list.Records.push_back(record);
  }
  return list;
}

}  // namespace velm
