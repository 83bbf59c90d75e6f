// Doubly linked lists of fixed-size records with one cursor.
//
// A List variable holds the list's head and the current element. Elements
// are RuntimeHeap blocks: two links followed by the record, zero-filled when
// added, never moved, read and written in place through the current element
// (ListRecord). Operations that need a current element, or a list that was
// never made with ListNew, do nothing and return none. When no memory is left
// for a new element, ListAdd adds nothing, leaves the cursor and returns none.
#pragma once

#include <cstdint>

struct ListElement {
  ListElement* next;
  ListElement* previous;
  // the record follows
};

struct ListHead {
  ListElement* first;
  ListElement* last;
  uint32_t elementSize;  // links plus record
};

struct List {
  ListHead* head;
  ListElement* current;
};

// The record of an element (the bytes after its links); null for none.
inline void* ListRecord(ListElement* element) { return element ? element + 1 : nullptr; }
// The current element's record, typed; null when no element is current.
template <typename Record>
Record* ListCurrent(const List& list) {
  return static_cast<Record*>(ListRecord(list.current));
}

// Makes the list empty with records of recordSize bytes and no element
// current; returns its head. Null, and a list that does nothing, when the head
// cannot be allocated or the element (links plus record) would not fit 32
// bits. Made again, a list starts empty; its old elements stay in the heap.
ListHead* ListNew(List* list, uint32_t recordSize);
// Inserts a zero-filled element after the current one (at the front when none
// is current) and makes it current; returns it.
ListElement* ListAdd(List* list);
// Removes the current element; its predecessor becomes current (its successor
// when it was first).
ListElement* ListDelete(List* list);
// No element current: before the first.
ListElement* ListReset(List* list);
// One element on (the first after a reset); none at the end, where the cursor
// stays on the last element.
ListElement* ListNext(List* list);
// One element back; none (and no move) at the first or with no current.
ListElement* ListPrevious(List* list);
ListElement* ListFirst(List* list);
ListElement* ListLast(List* list);
// Reset, then index + 1 steps of ListNext counted as unsigned 32-bit: -1 leaves
// none current, an index at or past the end (or below -1) leaves the last.
ListElement* ListSelect(List* list, int32_t index);
// Number of elements; the cursor is not used.
int32_t ListCount(const List* list);
