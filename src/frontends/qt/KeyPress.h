// The keys every window shares, as Qt reports them.
#pragma once

#include "app/Keys.h"

class QKeyEvent;

namespace kinpath::qt {

// The key as the keys every window share name it (KeyName::Other for the
// rest); the keypad's digits and Enter count as the others.
KeyPress SharedKey(const QKeyEvent& event, int focused);

}  // namespace kinpath::qt
