#include "lists/AddressExport.h"

#include "base/CNumericLocale.h"
#include "base/FileSafety.h"
#include "base/Folders.h"
#include "base/NullConversions.h"
#include "db/OutputTarget.h"
#include "db/Recordset.h"
#include "lists/MemberSelection.h"

#include <QFile>
#include <QFileInfo>

#include <xlsxwriter.h>

#include <cerrno>

namespace tikkeli {

namespace {

const QString Columns = QStringLiteral("jrJasennumero, jrSukunimi, jrEtunimi, jrOsoite, jrPostinumero, jrPostitoimipaikka");
constexpr int ColumnCount = 6;

// The workbook being written into the temporary file; closed (written out) once.
class Workbook {
public:
    explicit Workbook(const QString& path)
    {
        lxw_workbook_options options{};
        // Rows go straight to disk as they are written: 100,000 members need no more memory than ten.
        options.constant_memory = LXW_TRUE;
        m_book = workbook_new_opt(QFile::encodeName(path).constData(), &options);
        if (!m_book)
            return;
        m_sheet = workbook_add_worksheet(m_book, "Osoitteet");
        m_text = workbook_add_format(m_book);
        format_set_num_format(m_text, "@");
        worksheet_set_column(m_sheet, 0, ColumnCount - 1, 18, m_text);
    }
    ~Workbook()
    {
        if (m_book)
            workbook_close(m_book);
    }
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;

    bool isOpen() const { return m_book && m_sheet; }
    lxw_error cell(lxw_row_t row, lxw_col_t column, const QByteArray& text)
    {
        if (text.isEmpty())
            return worksheet_write_blank(m_sheet, row, column, m_text);
        return worksheet_write_string(m_sheet, row, column, text.constData(), m_text);
    }
    lxw_error close()
    {
        const lxw_error e = workbook_close(m_book);
        m_book = nullptr;
        return e;
    }

private:
    // The sheet's XML carries numbers (column widths, margins) that the library prints with the
    // C library; a spreadsheet program refuses them with a decimal comma.
    CNumericScope m_cNumbers;
    lxw_workbook* m_book = nullptr;
    lxw_worksheet* m_sheet = nullptr;
    lxw_format* m_text = nullptr;
};

QString reason(lxw_error e)
{
    // A full disk or a refused write shows as the system's reason where there is one.
    if (errno != 0
        && (e == LXW_ERROR_CREATING_XLSX_FILE || e == LXW_ERROR_CREATING_TMPFILE || e == LXW_ERROR_ZIP_FILE_OPERATION
            || e == LXW_ERROR_ZIP_FILE_ADD))
        return FileError::fromErrno(errno).description;
    return QString::fromUtf8(lxw_strerror(e));
}

// Writes the selected members into the sheet; the number of rows.
int writeRows(Database& db, int sortOrder, Workbook& book)
{
    Recordset rows = db.openRecordset(MemberSelection::selectedMembersSql(sortOrder, Columns), RecordsetType::Snapshot);
    int count = 0;
    for (; !rows.eof(); rows.moveNext()) {
        for (int c = 0; c < ColumnCount; ++c) {
            const lxw_error e = book.cell(lxw_row_t(count), lxw_col_t(c), NullToString(rows.field(c)).toUtf8());
            if (e != LXW_NO_ERROR)
                throw FileError(FileErr::IoError, reason(e));
        }
        ++count;
    }
    return count;
}

} // namespace

QString AddressExport::Result::message() const
{
    return failure ? *failure : CountMessage(count);
}

QString AddressExport::CountMessage(int count)
{
    if (count == 1)
        return QStringLiteral("Tiedostoon kirjoitettiin 1 osoite.");
    return QStringLiteral("Tiedostoon kirjoitettiin %1 osoitetta.").arg(count);
}

QString AddressExport::FailureMessage(const QString& reason)
{
    return QStringLiteral("Osoitetiedoston tallennus epäonnistui: ") + reason;
}

QString AddressExport::ProposedPath()
{
    // The program's own documents folder when it is there, else the user's documents.
    const QString folder = QFileInfo(UserDataFolder()).isDir() ? UserDataFolder() : DocumentsFolder();
    return JoinPath(folder, QStringLiteral("jasenosoitteet.xlsx"));
}

AddressExport::Result AddressExport::WriteAddressRows(Database& db, int sortOrder, const QString& target)
{
    if (const std::optional<FileError> refused = OutputTarget::refusal(target))
        return {0, FailureMessage(refused->description)};
    FileSafety& files = FileSafety::instance();
    std::optional<FileError> error;
    // What a stopped export to the same file left goes first; this one's carries the same tag.
    files.removeLeftovers(target, {QStringLiteral("vienti")});
    const QString temp = files.reserveTemp(target, error, QStringLiteral("vienti"));
    if (temp.isEmpty())
        return {0, FailureMessage(error->description)};
    Result result;
    try {
        if (const int e = files.check(FileStep::Write, temp))
            throw FileError::fromErrno(e);
        Workbook book(temp);
        if (!book.isOpen())
            throw FileError(FileErr::AccessError, reason(LXW_ERROR_CREATING_XLSX_FILE));
        result.count = writeRows(db, sortOrder, book);
        errno = 0;
        if (const lxw_error e = book.close(); e != LXW_NO_ERROR)
            throw FileError(FileErr::IoError, reason(e));
        QFile::setPermissions(temp, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                                        | QFileDevice::ReadOther);
        error = files.publish(temp, target, FileSafety::Existing::Replace, OutputTarget::refusal);
    } catch (const FileError& e) {
        error = e;
    } catch (const NumberedError& e) {
        error = FileError(e.info());
    }
    if (error) {
        QFile::remove(temp);
        return {0, FailureMessage(error->description)};
    }
    return result;
}

AddressExport::Result AddressExport::Export(Database& db, const MemberCriteria& criteria, int sortOrder,
                                            const QString& target)
{
    try {
        return MemberSelection::WithMarked(db, criteria,
                                           [&](Database& marked) { return WriteAddressRows(marked, sortOrder, target); });
    } catch (const NumberedError& e) {
        return {0, FailureMessage(e.description())};
    }
}

} // namespace tikkeli
