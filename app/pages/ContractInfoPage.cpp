#include "ContractInfoPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QDateEdit>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QTabWidget>
#include <QTextDocument>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <limits>
#include <numeric>

#include "AppError.h"
#include "CategoryKinds.h"
#include "ContractInfoFields.h"
#include "ContractQuery.h"
#include "Desktop.h"
#include "PageWidgets.h"
#include "SqlLiteral.h"

namespace {

constexpr int kSlotsPerLine = 4;
// Narrower than this and the page scrolls instead of squeezing its fields.
constexpr int kMinimumFieldWidth = 90;
// Texts are not limited in length; a line edit's default limit would cut a long stored
// text on load and save the cut text back.
constexpr int kUnlimited = std::numeric_limits<int>::max();

QString captionOf(const ContractField& spec) { return QString::fromUtf8(spec.caption); }

void setLineText(QLineEdit* edit, const QString& text) {
    edit->setText(text);
    edit->setCursorPosition(0);  // a long text shows its beginning
}

void setChoiceText(QComboBox* box, const QString& text) {
    // Without this, the first entry added to an empty list would replace the text.
    box->setCurrentIndex(-1);
    box->setEditText(text);
    box->lineEdit()->setCursorPosition(0);
}

// The text a combo box shows is the field's value; its list only offers choices, so
// refilling the list keeps the text, whether it is an entry or not.
void replaceChoices(QComboBox* box, const QStringList& entries) {
    const QString shown = box->currentText();
    box->clear();
    box->addItems(entries);
    setChoiceText(box, shown);
}

struct FieldValue {
    QString text;
    QDate date;
    bool flag = false;
};

FieldValue defaultValue(const ContractField& spec, const QDateTime& now) {
    FieldValue value;
    if (spec.kind == FieldControl::Amount) value.text = QStringLiteral("0");
    if (spec.kind == FieldControl::Date) value.date = now.date();
    return value;
}

}  // namespace

ContractInfoPage::ContractInfoPage(ContractQuery& query, Desktop& desktop, QWidget* parent)
    : QWidget(parent), query_(query), desktop_(desktop) {
    setObjectName(QStringLiteral("TabSheet1"));
    buildPage();
}

// ---------------------------------------------------------------- layout

QWidget* ContractInfoPage::makeControl(const ContractField& spec, QWidget* parent) {
    QWidget* control = nullptr;
    switch (spec.kind) {
        case FieldControl::Text:
        case FieldControl::Amount: {
            auto* edit = new QLineEdit(parent);
            edit->setMaxLength(kUnlimited);
            edit->setMinimumWidth(kMinimumFieldWidth);
            control = edit;
            break;
        }
        case FieldControl::Choice: {
            auto* box = new QComboBox(parent);
            box->setEditable(true);
            // Typing and pressing Enter must not add the text to the list: lists change
            // only through the option dialog.
            box->setInsertPolicy(QComboBox::NoInsert);
            box->lineEdit()->setMaxLength(kUnlimited);
            // Matching entries are offered below the box; inline completion would put
            // text into the field that the user never typed.
            box->completer()->setCompletionMode(QCompleter::PopupCompletion);
            box->completer()->setCaseSensitivity(Qt::CaseSensitive);
            // A long entry must not widen the box and shift the page's columns.
            box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
            box->setMinimumContentsLength(6);
            box->setMinimumWidth(kMinimumFieldWidth);
            control = box;
            break;
        }
        case FieldControl::Flag:
            control = new QCheckBox(captionOf(spec), parent);
            break;
        case FieldControl::Date: {
            auto* picker = new QDateEdit(parent);
            picker->setCalendarPopup(true);
            picker->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
            // Any stored date must show unchanged, the zero date 1899-12-30 included.
            picker->setMinimumDate(QDate(100, 1, 1));
            // Never narrower than its whole date.
            picker->setMinimumWidth(
                std::max(kMinimumFieldWidth, picker->minimumSizeHint().width()));
            control = picker;
            break;
        }
        case FieldControl::Memo: {
            auto* memo = new QPlainTextEdit(parent);
            memo->setTabChangesFocus(true);
            memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
            const int margins = 2 * (memo->frameWidth() + int(memo->document()->documentMargin()));
            memo->setFixedHeight(3 * memo->fontMetrics().lineSpacing() + margins + 2);
            control = memo;
            break;
        }
    }
    control->setObjectName(QLatin1String(spec.control));
    control->setAccessibleName(captionOf(spec));
    return control;
}

void ContractInfoPage::buildPage() {
    scroll_ = new QScrollArea(this);
    scroll_->setObjectName(QStringLiteral("contractInfoScroll"));
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setWidgetResizable(true);

    auto* content = new QWidget;
    content->setObjectName(QStringLiteral("contractInfoFields"));
    auto* grid = new QGridLayout(content);
    grid->setContentsMargins(12, 10, 12, 10);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(6);
    // Each quarter of a line is a caption column and a field column; the fields share
    // the width, the captions take what they need.
    for (int slot = 0; slot < kSlotsPerLine; ++slot) grid->setColumnStretch(2 * slot + 1, 1);

    const std::vector<ContractField>& specs = contractFields();
    // Controls are made in the page's visual order so that Tab walks the page as it reads.
    std::vector<size_t> visual(specs.size());
    std::iota(visual.begin(), visual.end(), size_t(0));
    std::stable_sort(visual.begin(), visual.end(),
                     [&specs](size_t a, size_t b) { return specs[a].line < specs[b].line; });
    const std::vector<int>& bandEnds = bandEndLines();

    fields_.assign(specs.size(), Field{nullptr, nullptr});
    int row = -1;
    int line = 0;
    int slot = 0;
    for (size_t index : visual) {
        const ContractField& spec = specs[index];
        if (spec.line != line) {
            if (std::find(bandEnds.begin(), bandEnds.end(), line) != bandEnds.end()) {
                auto* rule = new QFrame(content);
                rule->setFrameShape(QFrame::HLine);
                rule->setFrameShadow(QFrame::Sunken);
                grid->addWidget(rule, ++row, 0, 1, 2 * kSlotsPerLine);
            }
            line = spec.line;
            slot = 0;
            ++row;
        }
        QWidget* control = makeControl(spec, content);
        fields_[index] = Field{&spec, control};
        const int column = 2 * slot;
        const int span = 2 * spec.quarters;
        if (spec.kind == FieldControl::Flag) {
            grid->addWidget(control, row, column, 1, span);  // a check box carries its caption
        } else {
            auto* label = new QLabel(captionOf(spec), content);
            label->setBuddy(control);
            const Qt::Alignment vertical =
                spec.kind == FieldControl::Memo ? Qt::AlignTop : Qt::AlignVCenter;
            label->setAlignment(Qt::AlignRight | vertical);
            grid->addWidget(label, row, column);
            grid->addWidget(control, row, column + 1, 1, span - 1);
        }
        slot += spec.quarters;
    }
    grid->setRowStretch(row + 1, 1);  // spare height stays below the fields

    scroll_->setWidget(content);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll_);

    nameEdit_ = findChild<QLineEdit*>(QStringLiteral("Edit2"));
}

QComboBox* ContractInfoPage::combo(const char* name) const {
    return findChild<QComboBox*>(QLatin1String(name));
}

// ---------------------------------------------------------------- values

namespace {

// The text of a text, choice or memo field, as it would be stored.
QString fieldText(const QWidget* control) {
    if (const auto* edit = qobject_cast<const QLineEdit*>(control)) return edit->text();
    if (const auto* box = qobject_cast<const QComboBox*>(control)) return box->currentText();
    if (const auto* memo = qobject_cast<const QPlainTextEdit*>(control)) return memoText(memo);
    return {};
}

void showValue(const ContractField& spec, QWidget* control, const FieldValue& value) {
    switch (spec.kind) {
        case FieldControl::Text:
        case FieldControl::Amount:
            setLineText(static_cast<QLineEdit*>(control), value.text);
            break;
        case FieldControl::Choice:
            setChoiceText(static_cast<QComboBox*>(control), value.text);
            break;
        case FieldControl::Flag:
            static_cast<QCheckBox*>(control)->setChecked(value.flag);
            break;
        case FieldControl::Date:
            static_cast<QDateEdit*>(control)->setDate(value.date);
            break;
        case FieldControl::Memo:
            setMemoText(static_cast<QPlainTextEdit*>(control), value.text);
            break;
    }
}

// The value as it goes into the update statement.
QString sqlValue(const ContractField& spec, const QWidget* control) {
    switch (spec.kind) {
        case FieldControl::Text:
            return sql::textLiteral(static_cast<const QLineEdit*>(control)->text());
        case FieldControl::Amount:
            // As typed, blanks included; the check before saving keeps anything but a
            // number out of the statement.
            return static_cast<const QLineEdit*>(control)->text();
        case FieldControl::Choice:
            return sql::textLiteral(static_cast<const QComboBox*>(control)->currentText());
        case FieldControl::Flag:
            return sql::flagLiteral(static_cast<const QCheckBox*>(control)->isChecked());
        case FieldControl::Date:
            return sql::dateLiteral(static_cast<const QDateEdit*>(control)->date());
        case FieldControl::Memo:
            return sql::textLiteral(memoText(static_cast<const QPlainTextEdit*>(control)));
    }
    return {};
}

}  // namespace

void ContractInfoPage::ClearContractPage(const QDateTime& now) {
    shown_ = RowVersion();
    for (const Field& field : fields_)
        showValue(*field.spec, field.control, defaultValue(*field.spec, now));
}

void ContractInfoPage::LoadContractRecord(qint64 contractId) {
    query_.RunQuery(QStringLiteral("select * from htmain where conid=") +
                    QString::number(contractId));
    if (query_.eof()) {
        query_.close();
        ClearContractPage(desktop_.now());
        return;
    }
    // Everything is read before any control changes, so that a row that cannot be read
    // leaves the page as it was rather than half filled.
    std::vector<FieldValue> values(fields_.size());
    for (size_t i = 0; i < fields_.size(); ++i) {
        const ContractField& spec = *fields_[i].spec;
        int column = -1;
        try {
            column = query_.columnIndex(spec.column);
        } catch (const AppError&) {
            // A read-only file from before the column existed still shows its contracts.
            if (!spec.mayBeMissing) throw;
            continue;
        }
        FieldValue& value = values[i];
        switch (spec.kind) {
            case FieldControl::Text:
            case FieldControl::Choice:
            case FieldControl::Memo:
                value.text = query_.textAt(column);
                break;
            case FieldControl::Amount:
                value.text = sql::formatAmount(query_.amountAt(column));
                break;
            case FieldControl::Date:
                value.date = query_.dateAt(column);
                break;
            case FieldControl::Flag:
                value.flag = sql::flagIsSet(query_.textAt(column));
                break;
        }
    }
    const RowVersion version = RowVersion::ofCurrentRow(query_, contractId);
    query_.close();
    for (size_t i = 0; i < fields_.size(); ++i)
        showValue(*fields_[i].spec, fields_[i].control, values[i]);
    shown_ = version;
}

QString ContractInfoPage::updateStatement(qint64 contractId) const {
    QStringList assignments;
    for (const Field& field : fields_)
        assignments << QLatin1String(field.spec->column) + QLatin1Char('=') +
                           sqlValue(*field.spec, field.control);
    return QStringLiteral("update htmain set ") + assignments.join(QLatin1Char(',')) +
           QStringLiteral(" where conid=") + QString::number(contractId);
}

void ContractInfoPage::refuseField(const QString& message, QWidget* control) {
    showWarning(desktop_, this, message);
    // Saving can be started from any page; the field to correct must be in view.
    for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
        if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
            if (tabs->indexOf(this) >= 0) tabs->setCurrentWidget(this);
            break;
        }
    }
    scroll_->ensureWidgetVisible(control);
    control->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(control)) edit->selectAll();
}

bool ContractInfoPage::saveContractRecord(qint64 contractId) {
    // Not trimmed: a name of blanks is the user's choice and is kept.
    if (nameEdit_->text().isEmpty()) setLineText(nameEdit_, QStringLiteral("新合同"));

    for (const Field& field : fields_) {
        if (field.spec->kind != FieldControl::Amount) continue;
        auto* edit = static_cast<QLineEdit*>(field.control);
        if (sql::isAmountText(edit->text())) continue;
        refuseField(QString::fromUtf8(field.spec->invalidMessage), edit);
        return false;
    }
    for (const Field& field : fields_) {
        const FieldControl kind = field.spec->kind;
        if (kind != FieldControl::Text && kind != FieldControl::Choice &&
            kind != FieldControl::Memo)
            continue;
        if (sql::isStorableText(fieldText(field.control))) continue;
        refuseField(sql::unstorableTextMessage(captionOf(*field.spec)), field.control);
        return false;
    }

    // Reporting success for a row that is not there would let the tree show a name that
    // was never stored.
    if (shown_.update(query_, contractId, updateStatement(contractId)) == 0)
        throw AppError(QStringLiteral("合同记录不存在，未能保存"),
                       QStringLiteral("合同编号 ") + QString::number(contractId));
    return true;
}

QString ContractInfoPage::contractName() const { return nameEdit_->text(); }

QString ContractInfoPage::contractNumber() const {
    return findChild<QLineEdit*>(QStringLiteral("Edit1"))->text();
}

void ContractInfoPage::setContractName(const QString& name) {
    setLineText(nameEdit_, name);
    shown_.countOwnSave();
}

// ---------------------------------------------------------------- drop-down lists

void ContractInfoPage::FillCategoryLists(const QString& scope) {
    const bool categories = scope == QLatin1String("all") || scope == QLatin1String("setinfo");
    const bool suppliers = scope == QLatin1String("all") || scope == QLatin1String("ghdw");

    if (categories) {
        for (const CategoryKind& kind : kCategoryKinds) replaceChoices(combo(kind.combo), {});
        const auto entries = readCategoryEntries(query_);
        for (size_t i = 0; i < kCategoryKinds.size(); ++i)
            replaceChoices(combo(kCategoryKinds[i].combo), entries[i]);
    }

    if (suppliers) {
        QComboBox* box = combo("ComboBox1");
        replaceChoices(box, {});
        QStringList names;
        query_.RunQuery(QStringLiteral("select * from ghdwinfo order by dwmc asc"));
        if (!query_.eof()) {
            const int nameColumn = query_.columnIndex("dwmc");
            for (; !query_.eof(); query_.next()) names << query_.textAt(nameColumn);
        }
        query_.close();
        replaceChoices(box, names);
    }
}
