#include "plugin/style_run_list.h"

#include <cstdlib>

#include "plugin/host_callbacks.h"

namespace qrv {

bool AppendRun(StyleRunList &list, HostObject run) {
  if (run == nullptr) {
    return false;
  }
  auto *node = static_cast<StyleRunNode *>(std::calloc(1, sizeof(StyleRunNode)));
  if (node == nullptr) {
    return false;
  }
  HostLockObject(run);
  node->run = run;
  (list.tail != nullptr ? list.tail->next : list.head) = node;
  list.tail = node;
  ++list.count;
  return true;
}

void FreeRuns(StyleRunNode *&head) {
  while (head != nullptr) {
    StyleRunNode *next = head->next;
    HostUnlockObject(head->run);
    std::free(head);
    head = next;
  }
}

}  // namespace qrv
