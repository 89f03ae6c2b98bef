#pragma once

#include "members/MemberImportFormat.h"

#include <QWidget>

#include <vector>

class QAction;
class QComboBox;
class QGridLayout;
class QLabel;
class QListWidget;
class QProgressBar;

namespace tikkeli {

class frmSeparators;

// "Tikkeli - Ulkoisten tietojen tuonti": adds members from a delimited text file. The user opens a
// file, chooses its separators, sees its first lines column by column, chooses each column's member
// field and imports. Open modeless: FormRegistry::open<frmImportData>(...).
class frmImportData : public QWidget {
    Q_OBJECT
public:
    explicit frmImportData(QWidget* parent = nullptr);

    QAction* mOpen;
    QAction* mImport;
    QAction* mClose;
    QLabel* lblFilename;
    QLabel* lblMessage;
    QProgressBar* prgTuonti;

    // The column rows: row i shows column i+1 of the file.
    QLabel* lblSarake(int i) const { return m_rows.at(size_t(i)).label; }
    QListWidget* lstTiedot(int i) const { return m_rows.at(size_t(i)).preview; }
    QComboBox* cmbKentta(int i) const { return m_rows.at(size_t(i)).field; }
    int lastColumnIndex() const { return int(m_rows.size()) - 1; }

    // Makes the column rows 1..lastIndex (row 0 always exists) and fills every row's field choice.
    void CreateRows(int lastIndex);
    void FillLstTiedot(int index, const QString& text);

    // The file's separators as chosen when it was opened.
    const MemberImportFormat& format() const { return m_format; }
    // The separators dialog, kept between files.
    frmSeparators* separatorsDialog();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    struct ColumnRow {
        QLabel* label = nullptr;
        QListWidget* preview = nullptr;
        QComboBox* field = nullptr;
    };

    void mOpen_Click();
    void mImport_Click();
    void RemoveRows();
    void OpenImportFile(const QString& path);
    void AskSeparators();
    void addRow(int i);
    void setBusy(bool busy);

    std::vector<ColumnRow> m_rows;
    QGridLayout* m_grid = nullptr;
    frmSeparators* m_separators = nullptr;
    MemberImportFormat m_format;
    bool m_busy = false;
};

} // namespace tikkeli
