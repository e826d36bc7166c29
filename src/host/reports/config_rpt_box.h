#pragma once

#include <QString>

#include <functional>

namespace velmora::host {

// Told before each page of a printout (pages done, all pages); false stops it.
using PrintStep = std::function<bool(int, int)>;

// Writes `html` to `file_name` as an A4 PDF (the file appears whole or not at all).
// False with `error` set when it could not be written, or left empty when `step` stopped it.
// Needs a QGuiApplication.
bool WriteHtmlPdf(const QString& html, const QString& file_name, const QString& title, bool landscape,
                  QString* error = nullptr, const PrintStep& step = {});

// A report name made safe as a file name: anything but letters, digits, '-', '_' and '.'
// becomes '_'; "raport" when nothing is left.
QString ReportFileStem(const QString& name);

// A report printed to a PDF and shown. A subclass loads its data in Prepare and builds the
// body in RenderHtml; Execute does the rest.
class TConfigRptBox {
 public:
  virtual ~TConfigRptBox() = default;

  void SetAppRpt(const QString& app) { app_rpt_ = app; }
  void SetJezykRpt(const QString& jezyk) { jezyk_rpt_ = jezyk; }
  void SetObiektRpt(const QString& obiekt) { obiekt_rpt_ = obiekt; }
  // The title in the PDF's properties and on the default page; Get_RptFile() when unset.
  void SetTytulRpt(const QString& tytul) { tytul_rpt_ = tytul; }
  // Wide tables print across the page.
  void SetLandscape(bool landscape) { landscape_ = landscape; }
  const QString& AppRpt() const { return app_rpt_; }
  const QString& JezykRpt() const { return jezyk_rpt_; }
  const QString& ObiektRpt() const { return obiekt_rpt_; }
  QString TytulRpt();

  // Where the PDF goes: by default a file in the temporary folder named after the report.
  virtual QString Get_FileNamePDF();
  // The layout's name: application, object and language joined by '_' ("raport" when none is set).
  virtual QString Get_RptFile();
  // Loads the report's data.
  virtual void Prepare() {}
  // The report's body; by default an empty page with the title.
  virtual QString RenderHtml();

  // Prepare, render, write the PDF and open it. True when the PDF was written.
  bool Execute();
  // A long printout tells its pages to `step`, which may stop it (no file, no error).
  void SetPrintStep(PrintStep step) { step_ = std::move(step); }
  bool Stopped() const { return stopped_; }
  // The PDF the last Execute wrote; empty when it failed.
  const QString& LastPdf() const { return last_pdf_; }
  const QString& LastError() const { return last_error_; }

  // Off in tests, so no viewer starts.
  static void SetOpenAfterPrint(bool open) { open_after_print_ = open; }
  static bool OpenAfterPrint() { return open_after_print_; }

  // Text escaped for the HTML of a report.
  static QString Html(const QString& text) { return text.toHtmlEscaped(); }

 private:
  QString app_rpt_;
  QString jezyk_rpt_;
  QString obiekt_rpt_;
  QString tytul_rpt_;
  bool landscape_ = false;
  PrintStep step_;
  bool stopped_ = false;
  QString last_pdf_;
  QString last_error_;
  inline static bool open_after_print_ = true;
};

}  // namespace velmora::host
