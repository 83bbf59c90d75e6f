#include "runtime/list/list.h"

#include <gtest/gtest.h>

#include <vector>

#include "runtime/core/core.h"
#include "tests/support/program.h"

namespace {

struct Record {
  int32_t value;
  int32_t other;
};

// Builds a list of the given values, appended in order, last current.
void Fill(List* list, std::initializer_list<int32_t> values) {
  ListNew(list, sizeof(Record));
  for (int32_t v : values) {
    ListLast(list);
    ListAdd(list);
    ListCurrent<Record>(*list)->value = v;
  }
}

std::vector<int32_t> Values(List* list) {
  std::vector<int32_t> out;
  for (ListElement* e = list->head->first; e; e = e->next)
    out.push_back(static_cast<Record*>(ListRecord(e))->value);
  // The backward links must tell the same story.
  std::vector<int32_t> back;
  for (ListElement* e = list->head->last; e; e = e->previous)
    back.insert(back.begin(), static_cast<Record*>(ListRecord(e))->value);
  EXPECT_EQ(out, back);
  return out;
}

int32_t Current(const List& list) { return list.current ? ListCurrent<Record>(list)->value : -999; }

TEST(List, EmptyList) {
  InRuntime([] {
    List list{};
    ListNew(&list, sizeof(Record));
    EXPECT_EQ(ListNext(&list), nullptr);
    EXPECT_EQ(list.current, nullptr);
    EXPECT_EQ(ListFirst(&list), nullptr);
    EXPECT_EQ(ListLast(&list), nullptr);
    EXPECT_EQ(ListPrevious(&list), nullptr);
    EXPECT_EQ(ListDelete(&list), nullptr);
    for (int32_t index : {0, -1, 5, -7}) {
      ListSelect(&list, index);
      EXPECT_EQ(list.current, nullptr);
    }
    EXPECT_EQ(ListCount(&list), 0);
    // A variable that was never made with ListNew is left alone.
    List never{};
    EXPECT_EQ(ListAdd(&never), nullptr);
    EXPECT_EQ(ListNext(&never), nullptr);
    EXPECT_EQ(ListCount(&never), 0);
  });
}

TEST(List, AddingAtTheCursor) {
  InRuntime([] {
    List list{};
    Fill(&list, {1, 2});
    // After a reset, a new element goes before all others.
    ListReset(&list);
    ListAdd(&list);
    EXPECT_EQ(list.current, list.head->first);
    ListCurrent<Record>(list)->value = 0;
    EXPECT_EQ(Values(&list), (std::vector<int32_t>{0, 1, 2}));
    // After ListFirst it goes after the first; the record reads as zeros.
    ListFirst(&list);
    ListAdd(&list);
    EXPECT_EQ(ListCurrent<Record>(list)->value, 0);
    EXPECT_EQ(ListCurrent<Record>(list)->other, 0);
    ListCurrent<Record>(list)->value = 9;
    EXPECT_EQ(Values(&list), (std::vector<int32_t>{0, 9, 1, 2}));
    // k appends after ListLast, then k - 1 steps back reach the first new one.
    ListLast(&list);
    for (int32_t v : {10, 11, 12}) {
      ListAdd(&list);
      ListCurrent<Record>(list)->value = v;
    }
    EXPECT_EQ(list.current, list.head->last);
    ListPrevious(&list);
    ListPrevious(&list);
    EXPECT_EQ(Current(list), 10);
    EXPECT_EQ(ListCount(&list), 7);
    // Records never move while others come and go.
    Record* kept = ListCurrent<Record>(list);
    ListFirst(&list);
    ListDelete(&list);
    ListLast(&list);
    ListAdd(&list);
    EXPECT_EQ(kept->value, 10);
  });
}

TEST(List, DeletingMovesTheCursor) {
  InRuntime([] {
    List list{};
    Fill(&list, {1, 2, 3, 4, 5});
    // From the front: each deletion makes the next element first and current.
    ListFirst(&list);
    ListDelete(&list);
    ListDelete(&list);
    ListDelete(&list);
    EXPECT_EQ(Current(list), 4);
    EXPECT_EQ(list.current, list.head->first);
    EXPECT_EQ(list.head->first->previous, nullptr);
    EXPECT_EQ(Values(&list), (std::vector<int32_t>{4, 5}));

    List middle{};
    Fill(&middle, {1, 2, 3});
    ListSelect(&middle, 1);
    ListDelete(&middle);
    EXPECT_EQ(Current(middle), 1);  // the predecessor
    EXPECT_EQ(Values(&middle), (std::vector<int32_t>{1, 3}));
    ListLast(&middle);
    ListDelete(&middle);
    EXPECT_EQ(Current(middle), 1);  // the new last
    EXPECT_EQ(middle.head->last, middle.current);
    EXPECT_EQ(middle.current->next, nullptr);
    ListDelete(&middle);  // the only element
    EXPECT_EQ(middle.current, nullptr);
    EXPECT_EQ(middle.head->first, nullptr);
    EXPECT_EQ(middle.head->last, nullptr);
    ListDelete(&middle);  // nothing current: nothing happens
    EXPECT_EQ(ListCount(&middle), 0);

    // Deleting frees the block.
    size_t blocks = hosted::HeapBlockCount(RuntimeHeap);
    ListFirst(&list);
    ListDelete(&list);
    EXPECT_EQ(hosted::HeapBlockCount(RuntimeHeap), blocks - 1);
  });
}

TEST(List, WalkingAndSelecting) {
  InRuntime([] {
    List list{};
    Fill(&list, {1, 2, 3});
    // A reset-and-next loop leaves the last element current.
    int visited = 0;
    ListReset(&list);
    while (ListNext(&list)) ++visited;
    EXPECT_EQ(visited, 3);
    EXPECT_EQ(Current(list), 3);
    EXPECT_EQ(ListNext(&list), nullptr);
    EXPECT_EQ(Current(list), 3);
    // ListPrevious does not move from the first or from the reset position.
    ListFirst(&list);
    EXPECT_EQ(ListPrevious(&list), nullptr);
    EXPECT_EQ(Current(list), 1);
    ListReset(&list);
    EXPECT_EQ(ListPrevious(&list), nullptr);
    EXPECT_EQ(list.current, nullptr);

    ListSelect(&list, 0);
    EXPECT_EQ(Current(list), 1);
    ListSelect(&list, 2);
    EXPECT_EQ(Current(list), 3);
    ListSelect(&list, -1);
    EXPECT_EQ(list.current, nullptr);
    ListSelect(&list, 3);  // past the end: the last
    EXPECT_EQ(Current(list), 3);
    ListSelect(&list, 1000);
    EXPECT_EQ(Current(list), 3);
    ListSelect(&list, -2);  // below -1: a huge count, the same as past the end
    EXPECT_EQ(Current(list), 3);
    ListSelect(&list, INT32_MIN);
    EXPECT_EQ(Current(list), 3);
    // Counting does not touch the cursor.
    ListSelect(&list, 1);
    EXPECT_EQ(ListCount(&list), 3);
    EXPECT_EQ(Current(list), 2);
  });
}

}  // namespace
