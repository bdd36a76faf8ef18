#pragma once
// Element and attribute lookup in workbook XML by local name: writers differ in namespace
// prefixes ("row" and "x:row" are the same element).
#include <cstring>
#include <pugixml.hpp>

namespace velm::ooxml {

inline const char* LocalName(const char* name) {
  const char* colon = std::strrchr(name, ':');
  return colon ? colon + 1 : name;
}
inline bool Is(const pugi::xml_node& node, const char* local) {
  return node.type() == pugi::node_element && std::strcmp(LocalName(node.name()), local) == 0;
}
inline pugi::xml_node Child(const pugi::xml_node& node, const char* local) {
  for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
    if (Is(c, local)) return c;
  return {};
}

}  // namespace velm::ooxml
