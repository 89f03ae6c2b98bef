#pragma once

namespace tikkeli {

// Sets the member window's hooks for the report templates (the editor, the menu of templates and
// their print) and the single and group e-mail windows.
void RegisterTemplateAndEmailWindows();

} // namespace tikkeli
