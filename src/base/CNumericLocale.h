#pragma once

#include <locale.h>

namespace tikkeli {

// Files for other programs (a spreadsheet, a PDF, an e-mail, the ini, report files) are the same
// bytes whatever the desktop's language. The C library formats and reads numbers by the numeric
// locale, which a Finnish desktop sets to a decimal comma; a library that writes such a file with
// printf ("width=\"18.7\"") must run under the C rules.

// Sets the process's numeric locale to C: called once right after the application object is
// made (Qt sets every category from the desktop there). Qt's own number texts do not use it.
void UseCNumericLocale();

// While it lives, this thread formats and reads numbers as the C locale does, whatever the
// process's locale; the thread's previous locale comes back afterwards. Around calls into a
// library that writes a file with the C library's number formatting.
class CNumericScope {
public:
    CNumericScope();
    ~CNumericScope();
    CNumericScope(const CNumericScope&) = delete;
    CNumericScope& operator=(const CNumericScope&) = delete;

private:
    locale_t m_c = locale_t(0);
    locale_t m_previous = locale_t(0);
};

} // namespace tikkeli
