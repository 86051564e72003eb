#include "Taboutf.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "MakerInfo.h"

namespace {

QLabel* styledLabel(const QString& text, const QColor& colour, int pixelSize, bool italic, bool bold,
                    QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont f = label->font();
    if (pixelSize > 0) f.setPixelSize(pixelSize);
    f.setItalic(italic);
    f.setBold(bold);
    label->setFont(f);
    if (colour.isValid()) {
        QPalette p = label->palette();
        p.setColor(QPalette::WindowText, colour);
        label->setPalette(p);
    }
    return label;
}

}  // namespace

Taboutf::Taboutf(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("aboutf"));
    setWindowTitle(QStringLiteral("关于"));
    setModal(true);

    auto* group = new QGroupBox(this);
    auto* lines = new QVBoxLayout(group);
    lines->setSpacing(2);
    lines->addWidget(styledLabel(QStringLiteral("Vemora项目管理"), QColor(128, 128, 0), 24, true, false, group));
    lines->addWidget(styledLabel(QStringLiteral("---合同管理软件"), QColor(0, 128, 0), 0, false, false, group));
    lines->addWidget(styledLabel(QStringLiteral("V1.0"), QColor(), 0, false, true, group));
    for (const QString& line : {maker::kStudio, maker::kPhone1, maker::kPhone2, maker::kDeveloper})
        lines->addWidget(new QLabel(line, group));

    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setObjectName(QStringLiteral("FlatButton1"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
    // A fixed-size box, at least 301 × 189, grown if the fonts need more room.
    const QSize size = sizeHint().expandedTo(QSize(301, 189));
    setFixedSize(size);
}
