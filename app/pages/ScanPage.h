#pragma once

#include <QWidget>
#include <optional>

#include "ScanPicture.h"
#include "RowVersion.h"
#include "ScanSpec.h"

class CommandGuard;
class ContractQuery;
class QAction;
class QLineEdit;
class QPlainTextEdit;
class QScrollArea;
class QTableWidget;
class ScanView;
class ScratchFolder;

// The pages "合同原件" and "其他原件": a contract's scanned pictures, one shown large, the
// list of them beside it and the name and description of the shown one below. One class,
// configured by a table of names (ScanSpec).
//
// A picture loaded from disk stays pending, to be stored by "保存图片" or "替换当前图片",
// until a stored row is shown.
class ScanPage : public QWidget {
    Q_OBJECT
  public:
    ScanPage(const ScanSpec& spec, ContractQuery& query, const CommandGuard& guard,
             const ScratchFolder& scratch, QWidget* parent = nullptr);

    // LoadContractScanList / LoadOtherScanList: lays out the list and fills it with the
    // contract's pictures; without a contract only the titles and one empty row. Row 1
    // becomes current without being shown.
    void loadList(std::optional<qint64> contractId);
    // This page's part of the contract page reset: name and description emptied.
    void clearEditors();

    // A role of the server that may only read: the commands that write are disabled.
    void setWritable(bool writable);

  private:
    QWidget* buildPictureArea();
    QWidget* buildListArea();
    QWidget* buildDetailsArea();

    // The commands, named for the first page's handlers.
    void showCurrentRow();  // StringGrid4Click, the row click
    void loadPicture();     // FlatButton1Click, "载入图片"
    void savePicture();     // FlatButton2Click, "保存图片"
    void replacePicture();  // FlatButton11Click, "替换当前图片"
    void deletePicture();   // FlatButton3Click, "删除图片"
    void openPicture();     // TBItem48Click, "打开"

    // LayoutContractScanView: sizes and places the view for the picture and the display
    // mode, decoding the picture at the size it is shown.
    void layoutView();

    // The key in the id cell of a row; none for the empty row of an empty list.
    std::optional<qint64> rowId(int row) const;
    bool nameIsMissing();
    // A failed row click or "打开": the view shows nothing, and a later change of mode
    // brings back nothing either.
    void dropPicture();
    // The stored picture of a row written to its scratch file; the path, or an empty text
    // when the row holds no picture.
    QString extractToScratch(qint64 id, const QString& storedName);
    // The same after making sure of the scratch folder; a row without a picture empties
    // the view instead.
    QString extractStoredPicture(qint64 id, bool hasPicture, const QString& storedName);

    const ScanSpec& spec_;
    ContractQuery& query_;
    const CommandGuard& guard_;
    const ScratchFolder& scratch_;

    std::optional<qint64> contractId_;
    QString pendingFile_;  // PendingContractScanFile / PendingOtherScanFile
    RowVersion shownVersion_;  // of the row whose name and description are shown
    ScanPicture picture_;  // the picture last decoded for showing, whose size drives the layout

    QAction* fitItem_ = nullptr;
    QScrollArea* scrollBox_ = nullptr;
    ScanView* view_ = nullptr;
    QTableWidget* grid_ = nullptr;
    QLineEdit* nameEdit_ = nullptr;
    QPlainTextEdit* memo_ = nullptr;
};
