#pragma once

#include <QDateTime>
#include <QString>
#include <QWidget>
#include <vector>

#include "RowVersion.h"

class ContractQuery;
class Desktop;
class QComboBox;
class QLineEdit;
class QScrollArea;
struct ContractField;

// The page "合同信息" (`TabSheet1`): one row of htmain spread over its fields. The
// controls are the only copy of the record between a load and a save.
class ContractInfoPage : public QWidget {
    Q_OBJECT
  public:
    ContractInfoPage(ContractQuery& query, Desktop& desktop, QWidget* parent = nullptr);

    // This page's part of ClearContractPage: every field to its default, every date
    // picker to `now`.
    void ClearContractPage(const QDateTime& now);
    // A contract without a row leaves the page cleared.
    void LoadContractRecord(qint64 contractId);
    // The save command's checks and its one update statement. False when a check stopped
    // it (an amount that is no number, a text the file cannot take: its message shown, the
    // focus in that field); nothing written then.
    // Throws AppError when the engine refuses the statement or the contract has no row.
    bool saveContractRecord(qint64 contractId);

    QString contractName() const;
    // The contract number field (`Edit1`) as it reads now.
    QString contractNumber() const;
    // The contract's name after the tree renamed it, which also counted its row's version
    // one on: the page goes on from there.
    void setContractName(const QString& name);

    // Refills the drop-downs: scope "all", "setinfo" or "ghdw"; any other scope does
    // nothing. The texts the boxes show are kept.
    void FillCategoryLists(const QString& scope);

  private:
    struct Field {
        const ContractField* spec;
        QWidget* control;
    };

    void buildPage();
    QWidget* makeControl(const ContractField& spec, QWidget* parent);
    QComboBox* combo(const char* name) const;
    QString updateStatement(qint64 contractId) const;
    // Shows why the save stopped and puts the focus, in view, into the field to correct.
    void refuseField(const QString& message, QWidget* control);

    ContractQuery& query_;
    Desktop& desktop_;
    QScrollArea* scroll_ = nullptr;
    QLineEdit* nameEdit_ = nullptr;
    std::vector<Field> fields_;  // in the order of contractFields()
    RowVersion shown_;           // of the contract the page shows
};
