#pragma once

#include <QString>
#include <stdexcept>

namespace tikkeli {

// Error numbers the windows branch on; they keep the numbers users and the original program knew.
namespace DbErr {
constexpr int TypeMismatch = 13;
constexpr int FileExists = 58;
constexpr int DuplicateKey = 3022;
constexpr int FileNotFound = 3024;
constexpr int PathNotFound = 3044;
constexpr int InUseOrReadOnly = 3051;
constexpr int NotADatabase = 3343;       // unrecognised file format (junk, or not ours)
constexpr int AccessDatabase = 3344;     // an Access/Jet file: a database, but not one this program reads
constexpr int Damaged = 3049;            // a SQLite file that fails its checks
constexpr int SyntaxError = 3075;        // SQL the engine refuses to parse
constexpr int FieldTooLong = 3163;       // value wider than the field
constexpr int ValidationFailed = 3317;   // a CHECK rule refused the value (e.g. "" in a text field)
constexpr int NoCurrentRecord = 3021;
constexpr int ItemNotFound = 3265;       // unknown field or table name
constexpr int Overflow = 6;
constexpr int Generic = 3000;
constexpr int UpdateWithoutEdit = 3020;  // Update/CancelUpdate/setField without AddNew or Edit
constexpr int DiskFull = 3026;
constexpr int ReadOnly = 3027;           // the recordset or database cannot be updated
constexpr int TableNotFound = 3078;
constexpr int InvalidBookmark = 3159;
constexpr int FieldNotUpdatable = 3164;
constexpr int RecordDeleted = 3167;
constexpr int Locked = 3218;             // another connection holds the lock past the busy timeout
constexpr int NullNotAllowed = 3314;     // a NOT NULL field left empty
constexpr int ConversionError = 3421;    // a value that does not fit the field's type
constexpr int TransactionOpen = 3003;    // a file operation refused while a transaction is open
constexpr int InvalidArgument = 3001;
constexpr int RelatedRecordRequired = 3201;
constexpr int ObjectClosed = 3420;       // the recordset or database handle was closed
constexpr int NoTransaction = 3034;      // commit of a transaction the engine already ended
} // namespace DbErr

struct DbError {
    int number = 0;
    QString description;
    bool isNotFound() const { return number == DbErr::FileNotFound || number == DbErr::PathNotFound; }
};

// Thrown by the database layer; carries the error number windows show and branch on.
class DbException : public std::runtime_error {
public:
    DbException(int number, const QString& description)
        : std::runtime_error(description.toStdString()), m_error{number, description} {}
    explicit DbException(DbError e) : DbException(e.number, e.description) {}
    int number() const { return m_error.number; }
    const QString& description() const { return m_error.description; }
    const DbError& error() const { return m_error; }

private:
    DbError m_error;
};

} // namespace tikkeli
