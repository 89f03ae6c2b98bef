#pragma once

#include "db/Database.h"
#include "members/MemberFeatures.h"
#include "members/ui/MemberCardPanel.h"

#include <QWidget>
#include <functional>
#include <memory>

namespace Ui {
class MemberFeaturesPanel;
}

namespace tikkeli {

// The tab "Ominaisuudet" of the member card: the member's features, attaching and detaching
// them, and their four values, written back lazily at the card's save points. Layout in
// MemberFeaturesPanel.ui; the value boxes are the shared FeatureValueEditor.
class MemberFeaturesPanel : public QWidget, public MemberCardPanel {
    Q_OBJECT
public:
    // The member window's form places the panel; the window then names its database.
    explicit MemberFeaturesPanel(QWidget* parent = nullptr);
    // database: the card's open database, asked for each time it is needed.
    explicit MemberFeaturesPanel(std::function<Database()> database, QWidget* parent = nullptr);
    ~MemberFeaturesPanel() override;
    void setDatabase(std::function<Database()> database) { m_database = std::move(database); }

    // The card shows member id (0: none, or a new member).
    void setMember(const Database& db, qint32 memberId);
    qint32 memberId() const { return m_memberId; }
    bool isDirty() const { return FeatureValueChanged; }

    // MemberCardPanel
    void loadDefinitions() override { LoadMemberFeatureDefinitions(); }
    void memberChanged(qint64 id) override;
    bool valueChanged() const override { return FeatureValueChanged; }
    void saveValue() override { SaveMemberFeatureValue(); }
    void undoValue() override;
    void browse() override { cSelaaPiirre_Click(); }

    void LoadMemberFeatureDefinitions();
    void SaveMemberFeatureValue();
    void ClearMemberFeatureInputs();
    void ShowMemberFeatureValue();
    void AddMemberFeature();
    void DeleteMemberFeature();
    void cLisaaPiirre_Click();
    void cSelaaPiirre_Click();
    // Another window added or deleted member feature rows: the pending value is written first,
    // then the list is read again with the shown feature kept.
    void valuesChangedElsewhere();
    static QString refusedValueMessage(MemberFeatures::Kind kind, const QString& text);

    bool FeatureValueChanged = false;
    int EditedFeatureIndex = -1;
    bool SkipNextDefinitionKey = false;

signals:
    // A value box changed (by typing or by showing a feature): the card counts as edited.
    void valueEdited();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Writes a pending value; false (after telling the user) when it could not be written.
    bool savePending();
    void valueBoxChanged();
    void showDefinitionDescription();
    void refillMemberList();
    void selectFeatureRow(int row);
    MemberFeatures::Kinds visibleKinds() const;
    Database database() const;

    std::unique_ptr<Ui::MemberFeaturesPanel> ui;
    std::function<Database()> m_database;
    Database m_db;
    qint32 m_memberId = 0;
    // Emptying the boxes is no value typed: it must not make the card pending.
    bool m_clearing = false;
};

} // namespace tikkeli
