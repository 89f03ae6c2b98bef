#pragma once

#include <QString>

namespace tikkeli {

// A game animal handed between the contract window and the animal picker: its el key and name.
struct cElain {
    qint64 id = 0;
    QString Nimi;
};

} // namespace tikkeli
