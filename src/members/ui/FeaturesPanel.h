#pragma once

#include "db/Database.h"
#include "members/FeatureTable.h"
#include "members/FeatureValues.h"

#include <QWidget>
#include <functional>
#include <memory>

namespace Ui {
class FeaturesPanel;
}

namespace tikkeli {

// The features of the record a window shows (a member, a contract): the record's features,
// attaching and detaching them, and their four values, written back lazily at the window's save
// points. Which table holds the values is set once with setTable. Layout in FeaturesPanel.ui; the
// value boxes are the shared FeatureValueEditor.
class FeaturesPanel : public QWidget {
    Q_OBJECT
public:
    explicit FeaturesPanel(QWidget* parent = nullptr);
    ~FeaturesPanel() override;

    // database: the window's open database, asked for each time it is needed. ownerNotSaved: the
    // message for an attach while the window shows a record not yet written.
    void setTable(const FeatureTable& table, std::function<Database()> database, QString ownerNotSaved);

    // The window shows record id (0: none, or a new one not yet written). A pending value must
    // have been written before (savePending).
    void setOwner(const Database& db, qint32 ownerId);
    qint32 ownerId() const { return m_ownerId; }
    bool isDirty() const { return FeatureValueChanged; }
    // Writes a pending value; false (after telling the user) when it could not be written: the
    // typed text then stays, with its feature shown.
    bool savePending();

    // The focus into the record's list of features.
    void focusFeatureList();
    void FillFeatureList();
    void SaveFeatureValue();
    void HideFeatureEditors();
    void ShowFeatureValue();
    void AddFeature();
    void DeleteFeature();
    void cLisaaPiirre_Click();
    void cSelaaPiirre_Click();
    // Forgets a typed value and shows the stored one again.
    void UndoFeatureValue();
    // Another window added or deleted feature rows: the pending value is written first, then the
    // list is read again with the shown feature kept.
    void valuesChangedElsewhere();
    static QString refusedValueMessage(FeatureValues::Kind kind, const QString& text);

    bool FeatureValueChanged = false;
    int EditedFeatureIndex = -1;

signals:
    // A value box changed (by typing or by showing a feature): the window counts as edited.
    void valueEdited();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    Database database() const;

private:
    void valueBoxChanged();
    void showDefinitionDescription();
    void refillOwnerList();
    void selectFeatureRow(int row);
    FeatureValues::Kinds visibleKinds() const;

    std::unique_ptr<Ui::FeaturesPanel> ui;
    const FeatureTable* m_table = &FeatureTable::members();
    std::function<Database()> m_database;
    QString m_ownerNotSaved;
    Database m_db;
    qint32 m_ownerId = 0;
    // Emptying the boxes is no value typed: it must not make the window pending.
    bool m_clearing = false;
};

} // namespace tikkeli
