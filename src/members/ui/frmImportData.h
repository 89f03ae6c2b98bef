#pragma once

#include "members/MemberImportFormat.h"

#include <QWidget>

#include <memory>
#include <vector>

class QAction;
class QComboBox;
class QLabel;
class QListWidget;

namespace Ui {
class frmImportData;
}

namespace tikkeli {

class frmSeparators;

// "Tikkeli - Ulkoisten tietojen tuonti": adds members from a delimited text file. The user opens a
// file, chooses its separators, sees its first lines column by column, chooses each column's member
// field and imports. Open modeless: FormRegistry::open<frmImportData>(...). Layout in
// frmImportData.ui; the column rows (lblSarake_i, lstTiedot_i, cmbKentta_i) are made per file.
class frmImportData : public QWidget {
    Q_OBJECT
public:
    explicit frmImportData(QWidget* parent = nullptr);
    ~frmImportData() override;

    // The rows of columns 1..lastColumnIndex()+1 of the file.
    int lastColumnIndex() const { return int(m_rows.size()) - 1; }

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

    // Makes the column rows 1..lastIndex (row 0 always exists) and fills every row's field choice.
    void CreateRows(int lastIndex);
    void mOpen_Click();
    void mImport_Click();
    void RemoveRows();
    void OpenImportFile(const QString& path);
    void AskSeparators();
    void addRow(int i);
    void setBusy(bool busy);

    std::unique_ptr<Ui::frmImportData> ui;
    QAction* mOpen = nullptr;
    QAction* mImport = nullptr;
    QAction* mClose = nullptr;
    std::vector<ColumnRow> m_rows;
    frmSeparators* m_separators = nullptr;
    MemberImportFormat m_format;
    bool m_busy = false;
};

} // namespace tikkeli
