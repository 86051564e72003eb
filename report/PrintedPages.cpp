#include "PrintedPages.h"

#include <QAbstractTextDocumentLayout>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>
#include <QTextFrame>

#include "AppError.h"
#include "ReplacingFile.h"

QString printFontFamily() { return QStringLiteral("WenQuanYi Micro Hei"); }

QString pageFooter(int page, int pages) {
    return QStringLiteral("第 %1 页 共 %2 页").arg(page).arg(pages);
}

void useA4(QPagedPaintDevice& device, QPageLayout::Orientation orientation) {
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), orientation,
                                     QMarginsF(15, 15, 15, 12), QPageLayout::Millimeter));
}

void printDocument(QTextDocument& document, QPagedPaintDevice& device, const QDate& printedOn) {
    QPainter painter(&device);
    if (!painter.isActive()) throw AppError(QStringLiteral("无法开始打印"));
    const QRect page = device.pageLayout().paintRectPixels(device.logicalDpiX());
    const QRectF area(0, 0, page.width(), page.height());

    QFont footerFont(printFontFamily());
    footerFont.setPointSizeF(8);
    const int footerHeight = QFontMetrics(footerFont, &device).height() * 2;
    const QRectF body(0, 0, area.width(), area.height() - footerHeight);

    document.documentLayout()->setPaintDevice(&device);
    document.setPageSize(body.size());
    QTextFrameFormat root = document.rootFrame()->frameFormat();
    root.setMargin(0);
    document.rootFrame()->setFrameFormat(root);

    const int pages = document.pageCount();
    const QString date =
        QStringLiteral("打印日期：") + printedOn.toString(QStringLiteral("yyyy-MM-dd"));
    for (int i = 0; i < pages; ++i) {
        if (i > 0) device.newPage();
        painter.save();
        painter.setClipRect(body);
        painter.translate(0, -body.height() * i);
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = QRectF(0, body.height() * i, body.width(), body.height());
        document.documentLayout()->draw(&painter, context);
        painter.restore();

        painter.setFont(footerFont);
        const QRectF footer(0, area.height() - footerHeight, area.width(), footerHeight);
        painter.drawText(footer, Qt::AlignLeft | Qt::AlignBottom, date);
        painter.drawText(footer, Qt::AlignRight | Qt::AlignBottom, pageFooter(i + 1, pages));
    }
}

void writeDocumentPdf(QTextDocument& document, const QString& path, const QDate& printedOn,
                      const QString& title) {
    ReplacingFile file(path);
    {
        QPdfWriter writer(file.temporaryPath());
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("Vemora合同管理软件"));
        writer.setResolution(300);
        useA4(writer, QPageLayout::Portrait);
        printDocument(document, writer, printedOn);
    }
    file.commit();
}
