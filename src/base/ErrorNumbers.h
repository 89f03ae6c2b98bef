#pragma once

namespace tikkeli {

// Every error number the program gives or branches on, named in one place. The numbers stay the
// ones the club's users have always seen in messages and may quote when they ask for help.

// Database errors.
namespace DbErr {
constexpr int Overflow = 6;
constexpr int TypeMismatch = 13;
constexpr int FileExists = 58;
constexpr int DuplicateEntry = 524; // a unique value refused; checked beside DuplicateKey
constexpr int Generic = 3000;
constexpr int InvalidArgument = 3001;
constexpr int TransactionOpen = 3003;   // a file operation refused while a transaction is open
constexpr int UpdateWithoutEdit = 3020; // Update/CancelUpdate/setField without AddNew or Edit
constexpr int NoCurrentRecord = 3021;
constexpr int DuplicateKey = 3022;
constexpr int FileNotFound = 3024;
constexpr int DiskFull = 3026;
constexpr int ReadOnly = 3027;      // the recordset or database cannot be updated
constexpr int NoTransaction = 3034; // commit of a transaction the engine already ended
constexpr int PathNotFound = 3044;
constexpr int Damaged = 3049; // a SQLite file that fails its checks
constexpr int InUseOrReadOnly = 3051;
constexpr int SyntaxError = 3075; // SQL the engine refuses to parse
constexpr int TableNotFound = 3078;
constexpr int InvalidBookmark = 3159;
constexpr int FieldTooLong = 3163; // value wider than the field
constexpr int FieldNotUpdatable = 3164;
constexpr int RecordDeleted = 3167;
constexpr int RelatedRecordRequired = 3201;
constexpr int Locked = 3218;           // another connection holds the lock past the busy timeout
constexpr int ItemNotFound = 3265;     // unknown field or table name
constexpr int NullNotAllowed = 3314;   // a NOT NULL field left empty
constexpr int ValidationFailed = 3317; // a CHECK rule refused the value (e.g. "" in a text field)
constexpr int NotADatabase = 3343;     // unrecognised file format (junk, or not ours)
constexpr int AccessDatabase = 3344;   // an Access/Jet file: a database, but not one this program reads
constexpr int ObjectClosed = 3420;     // the recordset or database handle was closed
constexpr int ConversionError = 3421;  // a value that does not fit the field's type
} // namespace DbErr

// File errors of copies, backups and file steps.
namespace FileErr {
constexpr int NotFound = 53;
constexpr int IoError = 57;
constexpr int DiskFull = 61;         // also a file too large for the target's file system
constexpr int PermissionDenied = 70; // also a file another program holds
constexpr int AccessError = 75;      // any other failure of a path or file
constexpr int PathNotFound = 76;
} // namespace FileErr

// Report engine errors. Windows show them after "Virhe tulostettaessa raporttia: ".
namespace ReportErr {
constexpr int CannotOpenReport = 20504;   // the report file is missing or unreadable
constexpr int BadIndex = 20510;           // an indexed property out of its range
constexpr int FormulaError = 20515;       // a selection formula, sort field or field name refused
constexpr int InvalidReport = 20525;      // the report file is not a valid report definition
constexpr int DatabaseError = 20532;      // the database refused the report's query
constexpr int CannotOpenDatabase = 20533; // the data file cannot be opened
constexpr int PrinterError = 20544;       // the printer, preview or PDF file failed
} // namespace ReportErr

// Settings errors.
namespace SettingsErr {
constexpr int CannotWrite = FileErr::AccessError; // a settings store could not do what it was asked
} // namespace SettingsErr

} // namespace tikkeli
