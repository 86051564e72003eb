#include "LegacyImport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProgressDialog>

#include "ContractFileNaming.h"
#include "ContractFileProbe.h"
#include "Desktop.h"
#include "LegacyConversion.h"

namespace {

// What the progress dialog calls each table.
QString tableCaption(const QString& table) {
    static const QHash<QString, QString> captions = {
        {QStringLiteral("htmain"), QStringLiteral("合同信息")},
        {QStringLiteral("httext"), QStringLiteral("合同文本")},
        {QStringLiteral("htfk"), QStringLiteral("付款记录")},
        {QStringLiteral("htsp"), QStringLiteral("索赔记录")},
        {QStringLiteral("htyj"), QStringLiteral("合同原件")},
        {QStringLiteral("htqtyj"), QStringLiteral("其他原件")},
        {QStringLiteral("infoset"), QStringLiteral("类别设置")},
        {QStringLiteral("ghdwinfo"), QStringLiteral("供货单位")}};
    return captions.value(table, table);
}

// The conversion's progress in a modal dialog; its "取消" button stops the conversion.
class DialogProgress : public ConversionProgress {
  public:
    explicit DialogProgress(QWidget* parent)
        : dialog_(QStringLiteral("正在转换旧版合同文件……"), QStringLiteral("取消"), 0, 0, parent) {
        dialog_.setObjectName(QStringLiteral("LegacyConversionProgress"));
        dialog_.setWindowTitle(QStringLiteral("转换旧版合同文件"));
        dialog_.setWindowModality(Qt::WindowModal);
        dialog_.setAutoClose(false);
        dialog_.setAutoReset(false);
        dialog_.setMinimumDuration(0);
        dialog_.setMinimumWidth(420);
        dialog_.show();
    }

    void report(const ConversionStatus& status) override {
        // The screen is brought up to date at once, then a few times a second.
        if (sinceUpdate_.isValid() && sinceUpdate_.elapsed() < 100) return;
        sinceUpdate_.start();
        dialog_.setMaximum(int(status.total));
        dialog_.setValue(int(qMin(status.done, status.total)));
        dialog_.setLabelText(QStringLiteral("正在转换“%1”（%2）：第 %3 / %4 行")
                                 .arg(tableCaption(status.table), status.table)
                                 .arg(status.row)
                                 .arg(status.rows));
        QCoreApplication::processEvents();
    }
    bool cancelRequested() override { return dialog_.wasCanceled(); }
    void tableCopied(const QString&, qint64) override {}

  private:
    QProgressDialog dialog_;
    QElapsedTimer sinceUpdate_;
};

}  // namespace

QString proposedConvertedPath(const QString& oldPath) {
    const QFileInfo old(oldPath);
    const QString suffix = old.suffix().isEmpty() ? QString() : QLatin1Char('.') + old.suffix();
    return old.dir().filePath(old.completeBaseName() + QStringLiteral("（新）") + suffix);
}

QString contractFileToOpen(Desktop& desktop, QWidget* parent, const QString& chosen,
                           const QString& programFolder) {
    if (probeContractFile(chosen) != ContractFileKind::LegacyJet) return chosen;
    if (!askYesNo(
            desktop, parent,
            QStringLiteral("这是旧版（Access格式）的合同文件，需要转换为新格式的合同文件才能打开"
                           "（旧文件保持不变）。\n是否现在转换？"),
            QStringLiteral("确认"), MessageIcon::Question))
        return {};
    const QString saved = desktop.chooseFileToSave(
        parent, {QStringLiteral("保存转换后的合同文件"), QStringLiteral("合同管理文件(*.pzq)"),
                 proposedConvertedPath(chosen)});
    if (saved.isEmpty()) return {};
    const QString target = newContractFilePath(saved);
    if (QFileInfo::exists(target) &&
        QFileInfo(target).canonicalFilePath() != QFileInfo(chosen).canonicalFilePath() &&
        !askYesNo(desktop, parent, QStringLiteral("文件已经存在，是否覆盖？"),
                  QStringLiteral("确认"), MessageIcon::Question))
        return {};

    try {
        DialogProgress progress(parent);
        convertLegacyContractFile(
            chosen, target, QDir(programFolder).filePath(QStringLiteral("temp.mdb")), progress);
    } catch (const ConversionCancelled&) {
        return {};
    } catch (const AppError& error) {
        desktop.showMessage(
            parent, {error.text(), QStringLiteral("错误"), MessageIcon::Error, MessageButtons::Ok});
        return {};
    }
    return target;
}
