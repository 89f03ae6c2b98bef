#include "contracts/ContractCriteria.h"

namespace tikkeli {

ContractCriteria& ContractReportCriteria()
{
    static ContractCriteria criteria;
    return criteria;
}

} // namespace tikkeli
