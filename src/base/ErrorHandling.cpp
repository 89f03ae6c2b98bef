#include "base/ErrorHandling.h"

#include "base/Error.h"
#include "base/Prompter.h"

namespace tikkeli {

Q_LOGGING_CATEGORY(lcIgnoredErrors, "tikkeli.ignored", QtWarningMsg)

namespace detail {

namespace {

QString describe(const std::exception& e)
{
    if (const auto* own = dynamic_cast<const NumberedError*>(&e))
        return own->info().text();
    return QString::fromUtf8(e.what());
}

} // namespace

void LogIgnored(const char* what, const std::exception* e) noexcept
{
    qCInfo(lcIgnoredErrors).noquote() << what << "-" << (e ? describe(*e) : QStringLiteral("tuntematon virhe"));
}

void ShowFailure(const QString& prefix, const std::exception& e)
{
    ShowWarning(prefix + describe(e));
}

} // namespace detail

} // namespace tikkeli
