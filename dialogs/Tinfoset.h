#pragma once

#include <QDialog>
#include <array>
#include <functional>

#include "CategoryKinds.h"

class CommandGuard;
class ContractQuery;
class QPlainTextEdit;
class QPushButton;

// The option dialog "选项设置": the four category lists as four boxes, one entry a line.
// "确定" rewrites table infoset from the boxes as a whole, or not at all.
class Tinfoset : public QDialog {
    Q_OBJECT
  public:
    // fillCategoryLists refreshes the drop-downs of the contract page ("setinfo").
    Tinfoset(ContractQuery& query, const CommandGuard& guard,
             std::function<void(const QString&)> fillCategoryLists, QWidget* parent = nullptr);

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void FormShow();
    void FlatButton1Click();
    void FlatButton2Click();

    ContractQuery& query_;
    const CommandGuard& guard_;
    std::function<void(const QString&)> fillCategoryLists_;
    std::array<QPlainTextEdit*, 4> memos_{};
    QPushButton* okButton_ = nullptr;
    bool shown_ = false;
    // The lists as the dialog read them, which a save may only replace.
    std::array<QStringList, kCategoryKinds.size()> shownEntries_;
};
