#pragma once

#include "members/CriteriaValues.h"

#include <QDate>
#include <QString>
#include <array>

namespace tikkeli {

// The criteria of the member and contract lists. A criteria dialog writes them just before a list
// or report is built and the builder reads them afterwards, so they live for the whole run and
// keep what was last written. The operator codes of every comparison are 0 "<", 1 "=", 2 ">".
struct MemberCriteria {
    // Contract reports: 0 all, 1 in force on TarkastelupaivaValinta, 2 expired before it.
    qint16 VoimassaoloValinta = 0;
    QDate TarkastelupaivaValinta;
    qint32 VoimassaoloOminaisuus = 0; // piID, 0 none
    qint16 RaporttiOminaisuus = 0;    // piID, 0 none
    // Members: 0 list, 1 list with features, 2 wide list, 3 labels, 4 labels with titles;
    // contracts: 0 list, 1 labels.
    qint16 TulostusMuoto = 0;
    qint16 PvmVertailu = 0;
    qint16 LukuVertailu = 0;
    qint16 ArvoVertailu = 0;
    // The refinements of one feature's values, as the dialog read them; nullopt no test.
    std::optional<DateCriterion> PvmArvo;
    std::optional<qint32> LukuArvo;
    std::optional<Currency> ArvoArvo;
    qint16 TulostusJarjestys = 0;             // 0 surname, 1 postal code, 2 birth date
    bool OminaisuusRajaus = false;            // the feature condition is negated
    std::optional<DateCriterion> SyntymaAika; // nullopt no test
    std::optional<DateCriterion> LiittymisAika;
    qint16 SyntymaAikaVertailu = 0;
    qint16 LiittymisAikaVertailu = 0;
    bool OminaisuudetJa = false; // true AND, false OR
    QString PostinumeroAlku;     // as typed
    QString PostinumeroLoppu;
    qint32 JasenmaksuValinta = 0; // 0 paid, 1 unpaid, 2 no matter
    qint32 OmistajaValinta = 0;   // 0 member, 1 landowner, 2 no matter

    static constexpr int FeatureSlots = 11;

    // Feature ids (piID) chosen for the list, in list order, then zeros. An index outside
    // 0..10 throws std::out_of_range.
    qint32 hepiID(int index) const;
    void setHepiID(int index, qint32 value);
    // The entries that are not 0; 0 means no feature criterion.
    qint16 hepiCount() const;

private:
    std::array<qint32, FeatureSlots> m_hepiID{};
};

// The one block of the running program (tests reset it with Criteria() = MemberCriteria{}).
MemberCriteria& Criteria();

} // namespace tikkeli
