#pragma once
#include "SlidePopup.h"

// The news notifier's popup: 200 × 300, red to yellow, 25 seconds, slides in; its text is
// the link to the news page (URL, set by its owner), and any click closes it.
void ConfigureNewsPopup(TSlidePopup& popup);
