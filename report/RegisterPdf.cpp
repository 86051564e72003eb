// The contract register as a PDF: landscape A4 pages of fixed rows, painted as the rows
// are read, so that a register of any length is never held whole.
#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>

#include "AppError.h"
#include "ContractRegister.h"
#include "PrintedPages.h"
#include "ReplacingFile.h"
#include "SqlLiteral.h"

namespace {

constexpr qint64 kProgressEvery = 200;

class RegisterPages {
  public:
    RegisterPages(QPdfWriter& writer, qint64 rows, const QDate& printedOn)
        : writer_(writer), painter_(&writer), printedOn_(printedOn) {
        if (!painter_.isActive()) throw AppError(QStringLiteral("无法开始打印"));
        const QRect page = writer.pageLayout().paintRectPixels(writer.resolution());
        area_ = QRectF(0, 0, page.width(), page.height());
        font_ = QFont(printFontFamily());
        font_.setPointSizeF(7);
        bold_ = font_;
        bold_.setBold(true);
        const QFontMetricsF metrics(font_, &writer);
        rowHeight_ = metrics.height() * 1.5;
        footerHeight_ = metrics.height() * 2.5;
        // The heading and the titles take two rows of every page.
        rowsPerPage_ = std::max(1, int((area_.height() - footerHeight_) / rowHeight_) - 2);
        pages_ = int(std::max<qint64>(1, (rows + rowsPerPage_ - 1) / rowsPerPage_));

        double total = 0;
        for (const RegisterColumn& c : registerColumns()) total += c.width;
        double x = 0;
        for (const RegisterColumn& c : registerColumns()) {
            const double width = area_.width() * c.width / total;
            columns_.emplace_back(x, width);
            x += width;
        }
    }

    void add(const RegisterRow& r) {
        if (rowOnPage_ == rowsPerPage_ || page_ == 0) startPage();
        const double y = rowHeight_ * (2 + rowOnPage_);
        const QString indent(r.depth * 2, QChar(0x3000));  // ideographic spaces
        const QString values[] = {r.code,
                                  indent + r.name,
                                  r.number,
                                  r.firstParty,
                                  r.secondParty,
                                  r.department,
                                  r.category,
                                  r.date.isValid() ? sql::dateText(r.date) : QString(),
                                  sql::formatAmount(r.price),
                                  sql::formatAmount(r.paid),
                                  sql::formatAmount(r.settled),
                                  sql::formatAmount(r.payments),
                                  sql::formatAmount(r.claims),
                                  sql::formatAmount(r.unpaid()),
                                  r.archived ? QStringLiteral("是") : QStringLiteral("否")};
        painter_.setFont(font_);
        for (size_t c = 0; c < columns_.size(); ++c)
            cell(y, c, printedLine(values[c]), c >= 8 && c <= 13 ? Qt::AlignRight : Qt::AlignLeft);
        painter_.setPen(QPen(Qt::lightGray, 0));
        painter_.drawLine(QPointF(0, y + rowHeight_), QPointF(area_.width(), y + rowHeight_));
        painter_.setPen(Qt::black);
        ++rowOnPage_;
    }

    void finish() {
        if (page_ == 0) startPage();
        painter_.end();
    }

  private:
    static QString printedLine(QString text) {
        text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
        text.replace(QLatin1Char('\n'), QLatin1Char(' '));
        text.replace(QLatin1Char('\r'), QLatin1Char(' '));
        return text;
    }

    void cell(double y, size_t column, const QString& text, Qt::Alignment align) {
        const auto [x, width] = columns_[column];
        const double pad = rowHeight_ * 0.15;
        const QRectF box(x + pad, y, width - 2 * pad, rowHeight_);
        const QString shown =
            QFontMetricsF(painter_.font(), &writer_).elidedText(text, Qt::ElideRight, box.width());
        painter_.drawText(box, align | Qt::AlignVCenter, shown);
    }

    void startPage() {
        if (page_ > 0) writer_.newPage();
        ++page_;
        rowOnPage_ = 0;
        painter_.setFont(bold_);
        painter_.drawText(QRectF(0, 0, area_.width(), rowHeight_), Qt::AlignLeft | Qt::AlignVCenter,
                          QStringLiteral("合同台账"));
        const auto& titles = registerColumns();
        for (size_t c = 0; c < titles.size(); ++c)
            cell(rowHeight_, c, titles[c].title,
                 c >= 8 && c <= 13 ? Qt::AlignRight : Qt::AlignLeft);
        painter_.drawLine(QPointF(0, rowHeight_ * 2), QPointF(area_.width(), rowHeight_ * 2));
        painter_.setFont(font_);
        const QRectF footer(0, area_.height() - footerHeight_, area_.width(), footerHeight_);
        painter_.drawText(footer, Qt::AlignLeft | Qt::AlignBottom,
                          QStringLiteral("打印日期：") + sql::dateText(printedOn_));
        painter_.drawText(footer, Qt::AlignRight | Qt::AlignBottom, pageFooter(page_, pages_));
    }

    QPdfWriter& writer_;
    QPainter painter_;
    QDate printedOn_;
    QRectF area_;
    QFont font_, bold_;
    double rowHeight_ = 0, footerHeight_ = 0;
    int rowsPerPage_ = 1, pages_ = 1, page_ = 0, rowOnPage_ = 0;
    std::vector<std::pair<double, double>> columns_;
};

}  // namespace

bool exportRegisterPdf(ContractQuery& query, const QString& path, const QDate& printedOn,
                       const ExportProgress& progress) {
    const qint64 total = countRegisterRows(query);
    if (progress && !progress(0, total)) return false;

    ReplacingFile file(path);
    bool complete = false;
    {
        QPdfWriter writer(file.temporaryPath());
        writer.setTitle(QStringLiteral("合同台账"));
        writer.setCreator(QStringLiteral("Vemora合同管理软件"));
        writer.setResolution(300);
        useA4(writer, QPageLayout::Landscape);
        RegisterPages pages(writer, total, printedOn);
        qint64 done = 0;
        complete = readRegister(query, [&](const RegisterRow& r) {
            pages.add(r);
            ++done;
            return !progress || done % kProgressEvery != 0 || progress(done, total);
        });
        pages.finish();
    }
    if (!complete) return false;
    file.commit();
    return true;
}
