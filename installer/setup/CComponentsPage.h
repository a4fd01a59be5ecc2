#pragma once
// "Components": one level of the component tree as a check list with sizes, the required
// component questions, each component's folder, and the Options dialog for the next level (the
// same page over a component). The page works on its own copy of the selection and hands it to
// its caller on Next, Back or OK.
#include "installer/setup/CWizardPage.h"

#include <QLineEdit>
#include <QListWidget>
#include <optional>
#include <vector>

namespace setup {

class CComponentsPage;

// The check list: three states, disabled lines, sorted by line text; each line's data is its
// component index (OthersLine for the line of the level's hidden components).
class CComponentList : public QListWidget {
    Q_OBJECT
public:
    explicit CComponentList(CComponentsPage* page);
    static constexpr int OthersLine = -1;
};

class CComponentsPage : public CWizardPage {
    Q_OBJECT
public:
    // parentId 0: the wizard's page over the run's selection; otherwise the Options dialog of
    // that component over the selection of the page that opened it.
    CComponentsPage(CSetupApp& app, QWidget* owner, uint32_t parentId, std::vector<ComponentSelection>& caller);

    struct LineText {
        QString text;
        uint64_t size = 0;
        int counted = 0;
        int selected = 0;
    };

    void ShowCurrentComponent(int line);
    int ApplyRequirements(std::size_t component, uint32_t newState);  // 0 nothing asked, 1 applied, 2 declined
    void UpdateDiscSpace();
    void FillComponentList(uint32_t parentId);
    LineText ComponentLineText(std::optional<std::size_t> component);
    uint64_t SelectedSize(std::size_t component, bool withDescendants, int* counted = nullptr, int* selected = nullptr) const;
    bool HasChildComponents(std::size_t component) const;
    static std::string FormatSizeK(uint64_t bytes);
    uint64_t TotalSelectedSize() const;
    void SetComponentSelected(std::size_t component, uint32_t state);
    int MeasureListText(const QString& text) const;

    const std::vector<ComponentSelection>& Selection() const { return copy_; }

protected:
    void OnNext() override;
    void GoBack() override;
    void reject() override;

private:
    void Refill(int currentLine, int firstVisible);
    void ScheduleShowCurrent();
    void OnItemChanged(QListWidgetItem* item);
    void OpenOptions();
    bool IsOptionsParent(std::size_t component) const;

    uint32_t parentId_;
    std::vector<ComponentSelection> copy_;
    std::vector<ComponentSelection>& caller_;
    std::vector<uint64_t> ownFileSizes_;  // installed bytes of each component's own files
    int current_ = CComponentList::OthersLine;
    CComponentList* list_;
    QPushButton* options_;
    QLabel* description_;
    QLineEdit* folder_;
    QPushButton* browse_;
    QLabel* discSpace_;
    bool refill_ = false;
    bool showPending_ = false;
};

}  // namespace setup
