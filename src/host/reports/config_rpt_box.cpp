#include "host/reports/config_rpt_box.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QAbstractTextDocumentLayout>
#include <QFont>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QStringList>
#include <QTextDocument>
#include <QUrl>

namespace velmora::host {

namespace {

// A face with the Polish letters; the document's text falls back to it.
constexpr const char* kReportFont = "DejaVu Sans";
constexpr qreal kReportFontSize = 10;
constexpr qreal kMarginMm = 15;

}  // namespace

bool WriteHtmlPdf(const QString& html, const QString& file_name, const QString& title, bool landscape, QString* error,
                  const PrintStep& step) {
  auto fail = [error](const QString& message) {
    if (error) *error = message;
    return false;
  };
  if (file_name.isEmpty()) return fail(QStringLiteral("Nie podano nazwy pliku PDF"));

  QSaveFile file(file_name);
  if (!file.open(QIODevice::WriteOnly))
    return fail(QStringLiteral("Nie można zapisać pliku %1: %2").arg(file_name, file.errorString()));
  {
    QPdfWriter writer(&file);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    writer.setPageMargins(QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm), QPageLayout::Millimeter);
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("Velmora"));

    QTextDocument document;
    // Laid out in the writer's own resolution: font sizes in points come out as points on paper,
    // whatever the screen's resolution.
    document.documentLayout()->setPaintDevice(&writer);
    document.setDefaultFont(QFont(QString::fromLatin1(kReportFont), kReportFontSize));
    document.setHtml(html);
    const QSizeF page = writer.pageLayout().paintRectPixels(writer.resolution()).size();
    document.setPageSize(page);
    // Page by page, as QTextDocument::print lays a paginated document out, so a long
    // printout can tell how far it got and be stopped between two pages.
    QPainter painter(&writer);
    const int pages = document.pageCount();
    for (int i = 0; i < pages; ++i) {
      if (step && !step(i, pages)) {
        painter.end();
        file.cancelWriting();
        if (error) error->clear();
        return false;
      }
      if (i > 0) writer.newPage();
      const QRectF view(QPointF(0, i * page.height()), page);
      QAbstractTextDocumentLayout::PaintContext context;
      context.clip = view;
      context.palette.setColor(QPalette::Text, Qt::black);  // the paper's, not the screen's
      painter.save();
      painter.translate(0, -view.top());
      painter.setClipRect(view);
      document.documentLayout()->draw(&painter, context);
      painter.restore();
    }
  }
  // An inactive painter writes nothing; do not replace a good file with an empty one.
  if (file.size() == 0) {
    file.cancelWriting();
    return fail(QStringLiteral("Nie udało się wydrukować raportu do %1").arg(file_name));
  }
  if (!file.commit())
    return fail(QStringLiteral("Nie można zapisać pliku %1: %2").arg(file_name, file.errorString()));
  return true;
}

QString ReportFileStem(const QString& name) {
  QString stem;
  stem.reserve(name.size());
  for (const QChar c : name) {
    const bool keep = c.isLetterOrNumber() || c == u'-' || c == u'_' || c == u'.';
    stem += keep ? c : QChar(u'_');
  }
  // No hidden files and no ".." from a name made only of dots.
  while (stem.startsWith(u'.')) stem.remove(0, 1);
  return stem.isEmpty() ? QStringLiteral("raport") : stem;
}

QString TConfigRptBox::TytulRpt() { return tytul_rpt_.isEmpty() ? Get_RptFile() : tytul_rpt_; }

QString TConfigRptBox::Get_FileNamePDF() {
  return QDir(QDir::tempPath()).filePath(ReportFileStem(Get_RptFile()) + QStringLiteral(".pdf"));
}

QString TConfigRptBox::Get_RptFile() {
  QStringList parts;
  for (const QString& part : {app_rpt_, obiekt_rpt_, jezyk_rpt_})
    if (!part.isEmpty()) parts << part;
  return parts.isEmpty() ? QStringLiteral("raport") : parts.join(u'_');
}

QString TConfigRptBox::RenderHtml() {
  return QStringLiteral("<html><body><h1>%1</h1></body></html>").arg(Html(TytulRpt()));
}

bool TConfigRptBox::Execute() {
  last_pdf_.clear();
  last_error_.clear();
  stopped_ = false;
  Prepare();
  const QString html = RenderHtml();
  const QString file_name = Get_FileNamePDF();
  if (!WriteHtmlPdf(html, file_name, TytulRpt(), landscape_, &last_error_, step_)) {
    stopped_ = last_error_.isEmpty();
    return false;
  }
  last_pdf_ = QFileInfo(file_name).absoluteFilePath();
  if (open_after_print_) QDesktopServices::openUrl(QUrl::fromLocalFile(last_pdf_));
  return true;
}

}  // namespace velmora::host
