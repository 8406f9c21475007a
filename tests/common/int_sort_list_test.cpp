#include <gtest/gtest.h>

#include <QRandomGenerator>
#include <algorithm>
#include <climits>
#include <functional>
#include <memory>
#include <vector>

#include "common/int_sort_list.h"
#include "platform/core/exception.h"

namespace {

std::vector<int> PopAll(TIntSortList& list) {
  std::vector<int> values;
  while (!list.IsEmpty()) {
    values.push_back(list.Pop());
  }
  return values;
}

TEST(TIntSortList, StartsEmpty) {
  TIntSortList list;
  EXPECT_TRUE(list.IsEmpty());
  EXPECT_EQ(list.Count, 0);
  EXPECT_FALSE(list.Unique);
}

TEST(TIntSortList, PopsLargestFirstAndCountsWhatItKeeps) {
  struct Case {
    std::vector<int> added;
    bool unique;
    std::vector<int> popped;
  };
  const Case cases[] = {
      {{5, 9, 7}, false, {9, 7, 5}},
      {{-3, 0}, false, {0, -3}},
      {{9, 9}, false, {9, 9}},
      {{4, 4}, true, {4}},
      {{9, 9}, true, {9}},
      {{9, 4, 9}, true, {9, 4}},
      {{1, 5, 3, 5, 1, 3}, true, {5, 3, 1}},
      {{1, 5, 3, 5, 1, 3}, false, {5, 5, 3, 3, 1, 1}},
      {{2, 2, 1, 2}, false, {2, 2, 2, 1}},  // equal to the first of several
      {{3, 1, 1, 2}, false, {3, 2, 1, 1}},  // between, next to equal last values
      {{10, 20, 30, 25, 15, 5}, false, {30, 25, 20, 15, 10, 5}},
      {{INT_MIN, INT_MAX, 0, -1}, false, {INT_MAX, 0, -1, INT_MIN}},  // comparisons are signed
  };
  for (const Case& c : cases) {
    TIntSortList list;
    list.Unique = c.unique;
    for (int v : c.added) {
      list.Add(v);
    }
    EXPECT_EQ(list.Count, int(c.popped.size()))
        << ::testing::PrintToString(c.added) << " unique " << c.unique;
    EXPECT_EQ(PopAll(list), c.popped) << ::testing::PrintToString(c.added) << " unique " << c.unique;
    EXPECT_EQ(list.Count, 0);
  }
}

// Adds and pops interleaved, against a sorted vector: this exercises the
// first and last links as the list empties and fills again.
TEST(TIntSortList, InterleavedAddsAndPopsMatchASortedModel) {
  QRandomGenerator random(20240501);
  for (int round = 0; round < 200; ++round) {
    TIntSortList list;
    list.Unique = round % 2 == 1;
    std::vector<int> model;  // descending
    for (int step = 0; step < 60; ++step) {
      if (!model.empty() && random.bounded(3) == 0) {
        ASSERT_EQ(list.Pop(), model.front());
        model.erase(model.begin());
      } else {
        const int v = random.bounded(-6, 7);
        list.Add(v);
        if (!list.Unique || std::find(model.begin(), model.end(), v) == model.end()) {
          model.insert(std::upper_bound(model.begin(), model.end(), v, std::greater<int>()), v);
        }
      }
      ASSERT_EQ(list.Count, int(model.size()));
      ASSERT_EQ(list.IsEmpty(), model.empty());
    }
    ASSERT_EQ(PopAll(list), model);
  }
}

TEST(TIntSortList, PopOnAnEmptyListRaisesAndKeepsTheCount) {
  TIntSortList list;
  EXPECT_THROW(list.Pop(), Exception);
  EXPECT_EQ(list.Count, 0);
  list.Add(1);
  EXPECT_EQ(list.Pop(), 1);
  EXPECT_THROW(list.Pop(), Exception);
}

// The leak check of the sanitizer build sees any node left behind.
TEST(TIntSortList, DestroyedWhileHoldingValuesFreesEveryNode) {
  auto list = std::make_unique<TIntSortList>();
  for (int v : {3, 1, 4, 1, 5, 9, 2, 6}) {
    list->Add(v);
  }
  list->Pop();
  EXPECT_EQ(list->Count, 7);
  list.reset();
}

}  // namespace
