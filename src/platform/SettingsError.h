#pragma once

#include "base/Error.h"

namespace tikkeli {

// A settings store could not do what it was asked (an unwritable ini file, for example).
class SettingsError : public NumberedError {
public:
    explicit SettingsError(const QString& message) : NumberedError(SettingsErr::CannotWrite, message) {}
    const QString& message() const { return description(); }
};

} // namespace tikkeli
