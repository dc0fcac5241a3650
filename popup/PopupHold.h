#pragma once
#include "PopupHoldRule.h"

// The shell's notification state, Focus Assist and the window in front, as they are now.
PopupHoldFacts ReadPopupHoldFacts();
