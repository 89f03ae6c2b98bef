#pragma once

#include "base/Error.h"

namespace tikkeli {

// A database error returned rather than thrown (a probe's verdict on a file, for example).
struct DbError : ErrorInfo {
    using ErrorInfo::ErrorInfo;
    bool isNotFound() const { return number == DbErr::FileNotFound || number == DbErr::PathNotFound; }
};

// Thrown by the database layer; carries the error number windows show and branch on.
class DbException : public NumberedError {
public:
    using NumberedError::NumberedError;
    explicit DbException(const ErrorInfo& e) : NumberedError(e.number, e.description) {}
    DbError error() const { return DbError(number(), description()); }
};

} // namespace tikkeli
