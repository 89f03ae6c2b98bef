#pragma once

class QProgressBar;

namespace tikkeli {

class EmailSendLoop;

// Follows an invoice or reminder e-mail run on a window's progress bar: first the messages being
// made, the bar saying so in words, then the rows through as the messages go out.
void FollowEmailRun(const EmailSendLoop& loop, QProgressBar* bar);

} // namespace tikkeli
