#pragma once

#include <QString>
#include <vector>

namespace tikkeli {

// Field type codes, as club databases of every version declare them; the upgrade and the
// catalogue speak in them.
enum class FieldType : int {
    Boolean = 1,
    Byte = 2,
    Integer = 3,
    Long = 4,
    Currency = 5,
    Single = 6,
    Double = 7,
    Date = 8,
    Text = 10,
    LongBinary = 11,
    Memo = 12,
};

// The size the catalogue reports for a field of a fixed-size type (Text reports its width).
constexpr int fixedFieldSize(FieldType t)
{
    switch (t) {
    case FieldType::Boolean: return 1;
    case FieldType::Byte: return 1;
    case FieldType::Integer: return 2;
    case FieldType::Long: return 4;
    case FieldType::Currency: return 8;
    case FieldType::Single: return 4;
    case FieldType::Double: return 8;
    case FieldType::Date: return 8;
    default: return 0;
    }
}

struct FieldDef {
    QString name;
    FieldType type = FieldType::Long;
    int size = 0;                 // Text: width in characters; otherwise fixedFieldSize
    bool autoIncrement = false;   // the table's auto-numbered key
    bool allowZeroLength = false; // Text/Memo: "" is stored rather than refused
    bool required = false;        // Null refused (the Boolean fields)
    int source = 0;               // 0: a field of the template; else the upgrade step that makes it
};

struct IndexDef {
    QString name; // logical name, unique within its table ("PrimaryKey", "vsidx")
    QString field;
    bool primary = false;
    bool unique = false;
    int source = 0; // the upgrade step that makes it (0: with the template)
};

struct TableDef {
    QString name;
    std::vector<FieldDef> fields;
    std::vector<IndexDef> indexes;

    const FieldDef* field(const QString& fieldName) const
    {
        for (const FieldDef& f : fields)
            if (f.name.compare(fieldName, Qt::CaseInsensitive) == 0)
                return &f;
        return nullptr;
    }
    const IndexDef* index(const QString& indexName) const
    {
        for (const IndexDef& i : indexes)
            if (i.name.compare(indexName, Qt::CaseInsensitive) == 0)
                return &i;
        return nullptr;
    }
};

// A saved query; stored as a view.
struct QueryDef {
    QString name;
    QString sql; // the SELECT
};

} // namespace tikkeli
