#pragma once

// Integers kept in descending order and taken out largest first; the team
// protocol totals, picks and ranks points with it. Linear insertion: the
// lists hold a few dozen values at most.
class TIntSortList {
 public:
  TIntSortList() = default;
  // Takes out and frees every value still held.
  ~TIntSortList();
  TIntSortList(const TIntSortList&) = delete;
  TIntSortList& operator=(const TIntSortList&) = delete;

  // Inserts the value after the values greater than or equal to it; with
  // Unique set, a value already held is refused.
  void Add(int value);
  bool IsEmpty() const { return FFirst == nullptr; }
  // Takes out the largest value. The callers never pop an empty list; doing
  // so raises an internal error rather than reading past the end.
  int Pop();

  // The number of values held; read directly by the callers.
  int Count = 0;
  // Set by the caller before adding, to refuse duplicates.
  bool Unique = false;

 private:
  struct TNode {
    int Value;
    TNode* Next = nullptr;  // towards smaller values
    TNode* Prev = nullptr;
  };
  bool Contains(int value) const;

  TNode* FFirst = nullptr;  // largest value
  TNode* FLast = nullptr;   // smallest value
};
