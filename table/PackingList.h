#pragma once
// The packing list of the window's selector, from the packing table: every record with a key,
// shown as "key;material;size;type", with the record the window finds by that key.
#include <string>
#include <vector>

#include "core/PackingRecord.h"
#include "table/PackingTable.h"

namespace velm {

struct TPackingList {
  std::vector<std::string> Items;
  std::vector<TPackingRecord> Records;
  // The record of item `index`; null outside the list.
  const TPackingRecord* At(int index) const {
    return index >= 0 && index < static_cast<int>(Records.size())
               ? &Records[static_cast<size_t>(index)]
               : nullptr;
  }
};

TPackingList PackingListOf(const TMyClientDataSet& table);

}  // namespace velm
