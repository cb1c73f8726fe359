// The runs of a StyleDataListQRV: a singly linked list that holds one reference to each run.
#pragma once

#include <cstddef>

#include "abi/host_abi.h"

namespace qrv {

struct StyleRunNode {
  StyleRunNode *next;
  HostObject run;
};

struct StyleRunList {
  StyleRunNode *head = nullptr;
  StyleRunNode *tail = nullptr;
  size_t count = 0;
};

// Takes a reference to `run`; false for a nil run or when no node can be had.
bool AppendRun(StyleRunList &list, HostObject run);
// Drops every run's reference and frees the nodes.
void FreeRuns(StyleRunNode *&head);

}  // namespace qrv
