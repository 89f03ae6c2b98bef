#pragma once

#include "printing/ReportFont.h"

#include <QColor>
#include <QImage>
#include <QLineF>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace tikkeli {

// A report definition as read from a report file (our own JSON format, see reports/README.md).
// Lengths are held in points; the file gives them in millimetres.
struct ReportDefinition {
    struct Format {
        enum class Kind { Auto, Text, Date, DateTime, Amount, Number, Integer, Check, YesNo };
        Kind kind = Kind::Auto;
        int decimals = -1;                 // -1: the kind's default
        std::map<QString, QString> values; // value text → printed text
        bool blankWhenZero = false;
    };

    // One piece of a text item: literal text, a field, a named formula, a special field or a
    // sum/count. Columns are filled in when the report's query is built.
    struct Segment {
        enum class Kind { Literal, Field, Formula, PageNumber, PageCount, PrintDate, Sum, Count };
        Kind kind = Kind::Literal;
        QString text;   // Literal: the text; Formula: the formula's name
        QString field;  // Field, Sum, Count: "table.field" (Count: may be empty)
        QString onlyIf; // Sum, Count: only rows where this field is true / non-zero
        int scope = 0;  // Sum, Count: 0 = whole report, n = group n
        int column = -1;
        int onlyIfColumn = -1;
        int aggregate = -1;     // index of the running total
        bool onlyIfNot = false; // Sum, Count: only rows where the onlyIf field is false / zero / Null
        // Sum, Count: a row counts only the first time this field's value is met in the scope (a
        // row repeated by a join adds nothing twice).
        QString once;
        int onceColumn = -1;
    };

    struct Item {
        enum class Type { Text, Line, Box, Image, BarCode };
        Type type = Type::Text;
        QRectF rect; // relative to the band (to the label for label reports)
        QLineF line;
        std::vector<Segment> segments;
        Format format;
        ReportFont::Patch font;
        bool fixedFont = false; // section fonts leave the item's font alone
        Qt::Alignment align = Qt::AlignLeft;
        bool wrap = false; // false: every line is cut at the item's width
        bool grow = false; // the band grows to show every line
        bool dropEmptyLines = false;
        double penWidth = 0.5;
        QColor color = Qt::black;
        QColor fill;
        std::shared_ptr<const QImage> image;
        bool usesPageCount = false;
        // BarCode: the segments compose the payload; with bankCode they compose the IBAN, the
        // amount, the reference and the due date, separated by BarCodeSeparator, and the payload
        // is their virtual bar code. showText prints the payload under the bars.
        bool bankCode = false;
        bool showText = false;
        // printIf / printUnless: the item prints only on rows whose field has (or has not) the
        // given value, as a `values` key reads it ("" for Null): an open-ended contract prints
        // "Toistaiseksi" where a fixed-term one prints its dates.
        struct Condition {
            QString field;
            QString value;
            bool negated = false;
            int column = -1;
        };
        std::optional<Condition> printCondition;
    };
    static constexpr QChar BarCodeSeparator = QChar(0x1f);

    struct Band {
        QString section; // TITLE, HEADER, DETAIL, GH1, GF1, ..., FOOTER, SUMMARY
        bool present = false;
        double height = 0;
        std::vector<Item> items;
        ReportFont::Patch font;
        bool canGrow = true;
        bool newPageBefore = false;
        bool newPageAfter = false;
        bool anchorBottom = false; // placed at the bottom of the page body (e.g. a bank transfer form)
    };

    struct Group {
        QString field;
        int column = -1;
        bool newPage = false;      // every group after the first starts a new page
        bool repeatHeader = false; // the header is printed again on a page the group continues on
        // Rows are ordered by the sort fields first and by this group's field after them: a group
        // per record of a list the print sorts (a member with its feature values).
        bool afterSort = false;
        Band header;
        Band footer;
    };

    struct Join {
        QString table;
        bool inner = false; // default: left join
        QString from;       // "table.field" of a table joined before
        QString to;         // "table.field" of this table
    };

    struct Labels {
        bool enabled = false;
        int columns = 1;
        int rows = 1;
        double width = 0;
        double height = 0;
        double columnGap = 0;
        double rowGap = 0;
        bool acrossFirst = true;
    };

    QString fileName;
    QString title;
    QPageSize pageSize = QPageSize(QPageSize::A4);
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QMarginsF margins; // points
    ReportFont font;
    QString mainTable;
    std::vector<Join> joins;
    QStringList sort; // "+{table.field}": used when the print sets none
    std::map<QString, QString> formulaDefaults;
    std::vector<Group> groups;
    Band reportHeader;
    Band pageHeader;
    Band detail;
    Band reportFooter;
    Band pageFooter;
    Labels labels;

    // Throws ReportException 20504 when the file cannot be read, 20525 when it is no valid definition.
    static ReportDefinition load(const QString& path);
    // Larger than any report definition: refused unread.
    static constexpr qint64 MaxFileBytes = qint64(4) << 20;
    static ReportDefinition parse(const QByteArray& json, const QString& baseFolder, const QString& name);

    std::vector<Band*> bands();
    std::vector<const Band*> bands() const;
    // Every "table.field" the definition prints, groups or sums on.
    QStringList referencedFields() const;
    // Names of the named formulas the definition prints.
    QStringList formulaNames() const;
    // Whether any item prints the page count, known only when the whole report is laid out.
    bool usesPageCount() const;

    static constexpr double PointsPerMm = 72.0 / 25.4;
};

} // namespace tikkeli
