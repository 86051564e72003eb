#pragma once

#include <QDialog>
#include <optional>
#include <vector>

#include "RowVersion.h"

class CommandGuard;
class ContractQuery;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTableWidget;

// The supplier directory "供货单位信息": the units of table ghdwinfo listed by region and
// name on the left, the current unit's fields on the right. Units are added, edited,
// deleted and searched here; the list is the only link between a row and its unit.
class Tghdwform : public QDialog {
    Q_OBJECT
  public:
    // What "保存" will do.
    enum class EditMode {
        Idle = 0,       // nothing pending: "保存" writes the shown unit back
        NewRecord = 1,  // after "新增": "保存" inserts the fields as a new unit
        Edited = 2,     // the shown unit was edited: "保存" updates it
    };

    // Read-only (a role of the server that may only read): units are listed, searched and
    // shown, and nothing can be added, edited or deleted.
    Tghdwform(ContractQuery& query, const CommandGuard& guard, QWidget* parent = nullptr,
              bool readOnly = false);

    EditMode editMode() const { return editMode_; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void buildLayout();
    QWidget* buildSearchBar();
    QWidget* buildFieldPanel();

    void FormShow();
    void LoadSupplierGrid();
    void StringGrid1Click();
    void LoadSupplierRecord(qint64 id);
    void Edit1Change();
    void ComboBox1Change();
    void FlatButton1Click();  // 新增
    void FlatButton2Click();  // 保存
    void FlatButton3Click();  // 删除
    void FlatButton4Click();  // 退出
    void FlatButton5Click();  // 查询

    void emptyFields();
    // The unit of the current row; none for the empty row of an empty directory.
    std::optional<qint64> currentId() const;
    // Makes the row current; the row-click action runs only when the row changes.
    void makeRowCurrent(int row);
    void makeUnitCurrent(qint64 id);
    // The texts of the fields as SQL literals, in the order the statements name the columns.
    QStringList fieldLiterals() const;

    ContractQuery& query_;
    const CommandGuard& guard_;
    QTableWidget* grid_ = nullptr;
    QLineEdit* searchEdit_ = nullptr;
    QComboBox* kindBox_ = nullptr;
    // The line edit of each column, in the order of kSupplierColumns.
    std::vector<QLineEdit*> columnEdits_;
    QPushButton* saveButton_ = nullptr;
    EditMode editMode_ = EditMode::Idle;
    RowVersion shownUnit_;  // of the unit whose fields are shown
    bool readOnly_ = false;
    bool shown_ = false;
};
