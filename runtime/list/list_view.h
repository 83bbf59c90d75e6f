// The records of a list as they stand, for tests and tools: read without
// moving the list's cursor. Nothing here is for the program.
#pragma once

#include <vector>

#include "runtime/list/list.h"

// Copies of every record of `list`, in list order; none for a list that was
// never made.
template <typename Record>
std::vector<Record> ListRecords(const List& list) {
  std::vector<Record> records;
  if (list.head)
    for (ListElement* e = list.head->first; e; e = e->next)
      records.push_back(*static_cast<const Record*>(ListRecord(e)));
  return records;
}
