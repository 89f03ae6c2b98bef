#pragma once

namespace tikkeli {

// A control that takes the focus inside a scrolled page is scrolled into view, whoever moved the
// focus there: Qt scrolls for its own Tab only, so a window that sets the focus itself (out of a
// grid's last cell, to a new record's first box) left the box the user types into out of sight.
// A click lands on what is already in view and scrolls nothing. The frame of a scrolled page of
// controls is no stop of its own (Tab and a click on the page's blank pass it by); a page of no
// control keeps it for the scrolling keys. Installed once on the application, so every window has
// it without asking.
void InstallFocusInView();

} // namespace tikkeli
