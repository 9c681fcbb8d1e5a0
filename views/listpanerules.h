// The list pane's rule without the window: how high its first row (the first
// server list) starts.
#pragma once

// keepLayout: the view layout is kept between runs (option bit 21); saved: the
// height stored from the last run. The saved height when kept and above 0,
// else 0.4 of the page's height (cut to a whole number); never below 0.
int ListPaneFirstRowHeight(bool keepLayout, int saved, int pageHeight);
