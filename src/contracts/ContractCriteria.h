#pragma once

#include "db/Database.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <vector>

namespace tikkeli {

// A query over vs whose values are all bound: the text holds only ? placeholders. An empty text
// is no criterion.
struct ContractQuery {
    QString sql;
    Params params;
    bool isEmpty() const { return sql.isEmpty(); }
};

// The criteria of the contract lists. Each criteria dialog writes its part only when the user
// accepts it; the part then stays until the next acceptance, so the lists read the last accepted
// choice. The operator codes are 0 "<", 1 "=", 2 ">".
struct ContractCriteria {
    // The validity dialog: 0 all contracts, 1 in force on the review date, 2 expired before it.
    struct Validity {
        qint16 VoimassaoloValinta = 0;
        QDate TarkastelupaivaValinta;
        qint32 VoimassaoloOminaisuus = 0; // piID the contracts must carry, 0 none
    } validity;

    // The feature dialog: a contract feature and optional date, number and money tests.
    struct Feature {
        qint32 RaporttiOminaisuus = 0; // piID, 0 none
        qint16 TulostusMuoto = 0;      // 0 list, 1 labels
        qint16 PvmVertailu = 1;
        qint16 LukuVertailu = 1;
        qint16 ArvoVertailu = 1;
        QString PvmArvo; // "" no test; a text with "*" is a pattern for the year
        QString LukuArvo;
        QString ArvoArvo;
    } feature;

    // The animal dialog: the kind of contracts by the hunting they concern (vsKoskee).
    struct Animals {
        qint32 KoskeeValinta = 1; // 1 all hunting, 2 cervids, 3 not the listed animals, 4 the listed
        bool MyosKaikkea = false;
        bool MyosHirvielaimia = false;
        std::vector<qint32> elIDs; // the chosen animals in list order
        QStringList names;         // their names, the same order
        QString RajausKaava;       // report selection formula
        ContractQuery RajausSQL;   // the same as a query over vs
        bool Keskeytetty = false;  // nothing is to be printed
        QString ElainNimet() const { return names.join(QStringLiteral(", ")); }
    } animals;

    // The rent dialog: the rent kind as vsVastike stores it and a due-date range (null dates: none).
    struct Rent {
        qint16 VastikeRajaus = -1;
        QDate ErapaivaAlku;
        QDate ErapaivaLoppu;
    } rent;
};

// The one block of the running program (tests reset it with ContractReportCriteria() = {}).
ContractCriteria& ContractReportCriteria();

} // namespace tikkeli
