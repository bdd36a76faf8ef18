// The settings source (an INI file standing in for the registry): any text reads as a tree in
// which every listed subkey exists and every key the tree names can be asked for its values.
#include "automation/Settings.h"

#include "FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > velm::TSettings::MaxFileSize) return 0;
  const velm::TSettings s = velm::TSettings::FromText(velm::fuzz::Bytes(data, size));
  for (const std::string& key : s.SubKeys("")) {
    FUZZ_CHECK(s.HasKey(key));
    for (const std::string& sub : s.SubKeys(key)) FUZZ_CHECK(s.HasKey(key + "\\" + sub));
    s.Value(key);
  }
  return 0;
}
