// The parameters of one API request, kept in the order they are sent and signed.
#pragma once

#include <map>
#include <string>

// Keys are ordered by their UTF-16 code units (the wcscmp order: uppercase
// before lowercase, so "Child" < "Parent" < "av"). The first value given for
// a key stays: endpoint parameters go in before the common ones and win.
class CParamMap {
 public:
  using Entries = std::map<std::u16string, std::u16string>;

  // Adds key=value unless the key is already present.
  void Insert(std::u16string key, std::u16string value) {
    m_entries.try_emplace(std::move(key), std::move(value));
  }
  Entries::const_iterator begin() const { return m_entries.begin(); }
  Entries::const_iterator end() const { return m_entries.end(); }
  size_t size() const { return m_entries.size(); }

 private:
  Entries m_entries;
};
