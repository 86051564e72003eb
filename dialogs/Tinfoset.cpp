#include "Tinfoset.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextDocument>
#include <QVBoxLayout>

#include "AppError.h"
#include "CategoryKinds.h"
#include "CommandGuard.h"
#include "ContractQuery.h"
#include "Desktop.h"
#include "RowVersion.h"
#include "SqlLiteral.h"
#include "Transaction.h"

namespace {

bool isBlank(QChar c) { return c.isSpace() || c.category() == QChar::Other_Control; }

// Blanks and control characters around an entry are dropped; the full-width space that
// Chinese input methods type counts as a blank.
QString trimEntry(const QString& line) {
    qsizetype begin = 0;
    qsizetype end = line.size();
    while (begin < end && isBlank(line.at(begin))) ++begin;
    while (end > begin && isBlank(line.at(end - 1))) --end;
    return line.mid(begin, end - begin);
}

// The entries of one box: its typed lines, trimmed, blank ones dropped.
QStringList entriesOf(const QPlainTextEdit* memo) {
    // The lines the user typed, not the lines as wrapped on screen. The raw text keeps
    // no-break spaces inside an entry as typed.
    static const QRegularExpression lineBreak(QStringLiteral("[\\x{2029}\\x{2028}\\r\\n]"));
    QStringList entries;
    for (const QString& line : memo->document()->toRawText().split(lineBreak)) {
        const QString entry = trimEntry(line);
        if (!entry.isEmpty()) entries << entry;
    }
    return entries;
}

}  // namespace

Tinfoset::Tinfoset(ContractQuery& query, const CommandGuard& guard,
                   std::function<void(const QString&)> fillCategoryLists, QWidget* parent)
    : QDialog(parent),
      query_(query),
      guard_(guard),
      fillCategoryLists_(std::move(fillCategoryLists)) {
    setObjectName(QStringLiteral("infoset"));
    setWindowTitle(QStringLiteral("选项设置"));
    setModal(true);

    auto* boxes = new QHBoxLayout;
    boxes->setSpacing(3);
    for (size_t i = 0; i < kCategoryKinds.size(); ++i) {
        // Each box is titled by the field of the contract page that its list feeds.
        auto* group = new QGroupBox(QString::fromUtf8(kCategoryKinds[i].caption), this);
        group->setObjectName(QStringLiteral("GroupBox%1").arg(i + 1));
        group->setFixedSize(153, 249);
        auto* memo = new QPlainTextEdit(group);
        memo->setObjectName(QLatin1String(kCategoryKinds[i].memo));
        memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        memo->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        // A list longer than the box must stay reachable with the mouse.
        memo->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        memo->setTabChangesFocus(true);
        memo->setAccessibleName(group->title());
        auto* inside = new QVBoxLayout(group);
        inside->setContentsMargins(4, 4, 4, 4);
        inside->addWidget(memo);
        boxes->addWidget(group);
        memos_[i] = memo;
    }

    okButton_ = new QPushButton(QStringLiteral("确定"), this);
    okButton_->setObjectName(QStringLiteral("FlatButton1"));
    okButton_->setAutoDefault(false);
    auto* cancel = new QPushButton(QStringLiteral("取消"), this);
    cancel->setObjectName(QStringLiteral("FlatButton2"));
    cancel->setAutoDefault(false);
    connect(okButton_, &QPushButton::clicked, this, guard_.wrap([this] { FlatButton1Click(); }));
    connect(cancel, &QPushButton::clicked, this, [this] { FlatButton2Click(); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(okButton_);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 6, 4, 8);
    layout->addLayout(boxes);
    layout->addStretch(1);
    layout->addLayout(buttons);
    setFixedSize(631, 309);
}

void Tinfoset::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (shown_) return;
    shown_ = true;
    // Until the lists have been read, the boxes do not show the table, and confirming
    // them would replace every entry with nothing.
    okButton_->setEnabled(false);
    guard_.run([this] {
        FormShow();
        okButton_->setEnabled(true);
    });
}

void Tinfoset::FormShow() {
    const auto entries = readCategoryEntries(query_);
    shownEntries_ = entries;
    for (size_t i = 0; i < memos_.size(); ++i)
        memos_[i]->setPlainText(entries[i].join(QLatin1Char('\n')));
}

void Tinfoset::FlatButton1Click() {
    for (size_t i = 0; i < memos_.size(); ++i) {
        for (const QString& entry : entriesOf(memos_[i])) {
            if (sql::isStorableText(entry)) continue;
            memos_[i]->setFocus(Qt::OtherFocusReason);
            showWarning(guard_.desktop(), this,
                        sql::unstorableTextMessage(QString::fromUtf8(kCategoryKinds[i].caption)));
            return;
        }
    }
    {
        Transaction transaction(query_);
        // The lists are saved whole: only over the lists as they were shown, never over a
        // change another clerk saved in between.
        if (readCategoryEntries(query_) != shownEntries_) throw AppError(RowVersion::conflictMessage());
        query_.RunCommand(QStringLiteral("delete from infoset"));
        int id = 0;  // runs on across the four lists
        for (size_t i = 0; i < memos_.size(); ++i) {
            for (const QString& entry : entriesOf(memos_[i])) {
                query_.RunCommand(
                    QStringLiteral("insert into infoset (id,infosty,infotext) values (") +
                    QString::number(++id) + QStringLiteral(",'") +
                    QLatin1String(kCategoryKinds[i].code) + QLatin1Char('\'') + QLatin1Char(',') +
                    sql::textLiteral(entry) + QLatin1Char(')'));
            }
        }
        transaction.commit();
    }
    fillCategoryLists_(QStringLiteral("setinfo"));
    accept();
}

void Tinfoset::FlatButton2Click() { reject(); }
