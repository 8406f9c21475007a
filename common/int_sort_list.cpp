#include "common/int_sort_list.h"

#include <QString>

#include "platform/core/exception.h"

TIntSortList::~TIntSortList() {
  while (!IsEmpty()) {
    Pop();
  }
}

bool TIntSortList::Contains(int value) const {
  for (const TNode* node = FFirst; node; node = node->Next) {
    if (node->Value == value) {
      return true;
    }
  }
  return false;
}

void TIntSortList::Add(int value) {
  if (!FFirst) {
    FFirst = FLast = new TNode{value};
  } else if (value > FFirst->Value) {
    TNode* node = new TNode{value, FFirst, nullptr};
    FFirst->Prev = node;
    FFirst = node;
  } else if (value < FLast->Value) {
    TNode* node = new TNode{value, nullptr, FLast};
    FLast->Next = node;
    FLast = node;
  } else {
    if (Unique && Contains(value)) {
      return;
    }
    // The first value is >= value, so the search starts at the second node;
    // it ends at the first value <= value, which exists unless the list
    // holds a single node.
    TNode* before = FFirst->Next;
    while (before && before->Value > value) {
      before = before->Next;
    }
    if (before) {
      TNode* node = new TNode{value, before, before->Prev};
      before->Prev->Next = node;
      before->Prev = node;
    } else {
      TNode* node = new TNode{value, nullptr, FLast};
      FLast->Next = node;
      FLast = node;
    }
  }
  ++Count;
}

int TIntSortList::Pop() {
  if (!FFirst) {
    throw Exception(QStringLiteral("Внутренняя ошибка: список очков пуст. Обратитесь к разработчику."));
  }
  TNode* node = FFirst;
  const int value = node->Value;
  FFirst = node->Next;
  if (FFirst) {
    FFirst->Prev = nullptr;
  } else {
    FLast = nullptr;
  }
  delete node;
  --Count;
  return value;
}
