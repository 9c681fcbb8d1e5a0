// The item information box's rules, window-free: the form filled from a queue
// item, checked and applied back to it on OK. Texts go back bounded to the
// item's fields and without control characters (0x0C separates the stored
// texts, so one pasted there would shift every later field of the item).
#pragma once

#include <cstdint>
#include <string>

#include "engine/planitem.h"

struct PlanItemForm {
  std::string host, localPath, remotePath, fileName, user, password;
  int32_t port = 21;
  bool anonymous = false;
  bool passive = false;
  int32_t status = 0;      // combo index: Waiting, Working, Queueing, Failed, Finished
  int32_t retryCount = 0;
  int32_t failAction = 2;  // combo index
};

// Only an item that no worker has (neither working nor held) is edited.
bool PlanItemEditable(const CPlanItem* item);

// The form of an item; its status shown is statusBefore (the item's own is
// set to stopped while the box is open).
PlanItemForm PlanItemFormOf(const CPlanItem& item, int32_t statusBefore);

// The control characters removed and blanks trimmed at both ends.
std::string CleanPlanText(const std::string& text);

// Null when the form may be applied, else the message for the user.
const char* CheckPlanItemForm(const PlanItemForm& form);

// OK: the rules of the box applied to the item (host, paths and name only
// when not empty, an empty user means anonymous, "Working" keeps statusBefore).
void ApplyPlanItemForm(CPlanItem& item, const PlanItemForm& form, int32_t statusBefore);
