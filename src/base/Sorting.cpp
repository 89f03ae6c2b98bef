#include "base/Sorting.h"

namespace tikkeli {

namespace {

int rank(const QVariant& v)
{
    if (!v.isValid() || v.isNull())
        return 0;
    switch (v.typeId()) {
    case QMetaType::QString:
    case QMetaType::QChar:
    case QMetaType::QByteArray: return 2;
    default: return 1;
    }
}

} // namespace

int CompareVariants(const QVariant& a, const QVariant& b)
{
    const int ra = rank(a);
    const int rb = rank(b);
    if (ra != rb || ra == 0)
        return ra - rb;
    if (ra == 2) {
        const int c = a.toString().compare(b.toString(), Qt::CaseSensitive);
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    const double x = a.toDouble();
    const double y = b.toDouble();
    return x < y ? -1 : (x > y ? 1 : 0);
}

} // namespace tikkeli
