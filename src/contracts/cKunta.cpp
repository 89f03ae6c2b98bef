#include "contracts/cKunta.h"

namespace tikkeli {

bool cKunta::LisaaKyla(const cKyla& kyla)
{
    return m_kylat.emplace(key(kyla.Numero()), kyla).second;
}

} // namespace tikkeli
