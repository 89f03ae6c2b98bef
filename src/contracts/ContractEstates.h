#pragma once

#include "db/Database.h"

#include <QString>
#include <vector>

namespace tikkeli {

class cTila;

// The estates grid's rows of one contract, as the grid shows and writes them.
class ContractEstates {
public:
    static constexpr int ColumnCount = 5;
    enum Column { Kunta, Kyla, TilaPalsta, RekNo, PintaAla };
    static const QStringList& captions();

    struct Row {
        qint64 id = 0; // tlID; 0 for a row not stored yet
        QString texts[ColumnCount];
    };

    // The contract's estates in the order they were added.
    static std::vector<Row> rows(Database& db, qint64 vsId);
    // Stores the row for the contract (a new row when its id is 0) through the estate record and
    // returns its key. An area that is no number throws DbException 13 before anything is written.
    static qint64 write(Database& db, qint64 vsId, const Row& row);
    // Puts the row's texts into an estate record; an area that is no number throws DbException 13
    // and leaves the record as it was.
    static void apply(cTila& estate, const Row& row);
    static void remove(Database& db, qint64 tlId);

    // Whether the area cell's text is worth a beep: something typed that is no number.
    static bool areaTextIsWrong(const QString& text);
};

} // namespace tikkeli
