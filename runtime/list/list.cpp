// Linked lists of records in RuntimeHeap.
#include "runtime/list/list.h"

#include "runtime/core/core.h"

ListHead* ListNew(List* list, uint32_t recordSize) {
  if (list == nullptr) return nullptr;
  // A cursor left from an earlier list would link new elements into that one.
  list->current = nullptr;
  list->head = nullptr;
  // The element size is kept in 32 bits; one that does not fit would wrap
  // round to a block too small for the links.
  if (recordSize > UINT32_MAX - sizeof(ListElement)) return nullptr;
  auto* head = static_cast<ListHead*>(HeapAlloc(RuntimeHeap, HEAP_ZERO_MEMORY, sizeof(ListHead)));
  if (head) head->elementSize = static_cast<uint32_t>(sizeof(ListElement)) + recordSize;
  list->head = head;
  return head;
}

ListElement* ListAdd(List* list) {
  if (list == nullptr || list->head == nullptr) return nullptr;
  ListHead* head = list->head;
  auto* element =
      static_cast<ListElement*>(HeapAlloc(RuntimeHeap, HEAP_ZERO_MEMORY, head->elementSize));
  if (element == nullptr) return nullptr;
  ListElement* current = list->current;
  if (current == nullptr) {
    // A reset cursor inserts before everything.
    element->next = head->first;
    if (head->first) head->first->previous = element;
  } else {
    element->previous = current;
    element->next = current->next;
    if (current->next) current->next->previous = element;
    current->next = element;
  }
  if (element->previous == nullptr) head->first = element;
  if (element->next == nullptr) head->last = element;
  list->current = element;
  return element;
}

ListElement* ListDelete(List* list) {
  if (list == nullptr || list->head == nullptr || list->current == nullptr) return nullptr;
  ListHead* head = list->head;
  ListElement* element = list->current;
  ListElement* previous = element->previous;
  ListElement* next = element->next;
  if (previous)
    previous->next = next;
  else
    head->first = next;
  if (next)
    next->previous = previous;
  else
    head->last = previous;
  list->current = previous ? previous : next;
  HeapFree(RuntimeHeap, 0, element);
  return nullptr;
}

ListElement* ListReset(List* list) {
  if (list) list->current = nullptr;
  return nullptr;
}

ListElement* ListNext(List* list) {
  if (list == nullptr || list->head == nullptr) return nullptr;
  if (list->current == nullptr) return list->current = list->head->first;
  if (list->current->next == nullptr) return nullptr;
  return list->current = list->current->next;
}

ListElement* ListPrevious(List* list) {
  if (list == nullptr || list->current == nullptr || list->current->previous == nullptr)
    return nullptr;
  return list->current = list->current->previous;
}

ListElement* ListFirst(List* list) {
  if (list == nullptr || list->head == nullptr) return nullptr;
  return list->current = list->head->first;
}

ListElement* ListLast(List* list) {
  if (list == nullptr || list->head == nullptr) return nullptr;
  return list->current = list->head->last;
}

ListElement* ListSelect(List* list, int32_t index) {
  if (list == nullptr || list->head == nullptr) return nullptr;
  list->current = nullptr;
  // index + 1 steps, counted unsigned; the walk stops at the last element,
  // so it never needs more steps than there are elements.
  uint32_t steps = static_cast<uint32_t>(index) + 1u;
  ListElement* element = list->head->first;
  if (steps == 0 || element == nullptr) return nullptr;
  while (--steps && element->next) element = element->next;
  list->current = element;
  return nullptr;
}

int32_t ListCount(const List* list) {
  if (list == nullptr || list->head == nullptr) return 0;
  int32_t count = 0;
  for (ListElement* e = list->head->first; e; e = e->next) ++count;
  return count;
}
