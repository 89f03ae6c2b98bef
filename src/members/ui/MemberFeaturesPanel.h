#pragma once

#include "members/ui/FeaturesPanel.h"
#include "members/ui/MemberCardPanel.h"

namespace tikkeli {

// The tab "Ominaisuudet" of the member card: the member's features (table pt).
class MemberFeaturesPanel : public FeaturesPanel, public MemberCardPanel {
    Q_OBJECT
public:
    // The member window's form places the panel; the window then names its database.
    explicit MemberFeaturesPanel(QWidget* parent = nullptr);
    // database: the card's open database, asked for each time it is needed.
    explicit MemberFeaturesPanel(std::function<Database()> database, QWidget* parent = nullptr);
    void setDatabase(std::function<Database()> database);

    // The card shows member id (0: none, or a new member).
    void setMember(const Database& db, qint32 memberId) { setOwner(db, memberId); }
    qint32 memberId() const { return ownerId(); }

    // MemberCardPanel
    void loadDefinitions() override { FillFeatureList(); }
    void memberChanged(qint64 id) override;
    bool valueChanged() const override { return FeatureValueChanged; }
    void saveValue() override { SaveFeatureValue(); }
    void undoValue() override { UndoFeatureValue(); }
    void browse() override { cSelaaPiirre_Click(); }
};

} // namespace tikkeli
