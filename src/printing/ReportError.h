#pragma once

#include "base/Error.h"

namespace tikkeli {

// Thrown by the report engine; carries the number (ReportErr) and a Finnish description.
class ReportException : public NumberedError {
public:
    using NumberedError::NumberedError;
};

} // namespace tikkeli
