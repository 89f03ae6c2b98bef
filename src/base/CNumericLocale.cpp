#include "base/CNumericLocale.h"

#include <clocale>

namespace tikkeli {

void UseCNumericLocale()
{
    std::setlocale(LC_NUMERIC, "C");
}

CNumericScope::CNumericScope()
{
    // The thread keeps every other category (text conversions) of the locale in force.
    if (const locale_t current = duplocale(uselocale(locale_t(0)))) {
        m_c = newlocale(LC_NUMERIC_MASK, "C", current);
        if (!m_c)
            freelocale(current);
    }
    if (m_c)
        m_previous = uselocale(m_c);
}

CNumericScope::~CNumericScope()
{
    if (!m_c)
        return;
    uselocale(m_previous);
    freelocale(m_c);
}

} // namespace tikkeli
