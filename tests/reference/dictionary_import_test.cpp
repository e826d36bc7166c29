#include "cli/cli.h"
#include "host/scripted_dialogs.h"
#include "reference/dictionary_import.h"
#include "reference/slownik_ncts.h"
#include "support/test_host.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

QT_BEGIN_NAMESPACE
static void PrintTo(const QStringList& l, std::ostream* os) { *os << '[' << l.join(QLatin1Char('|')).toStdString() << ']'; }
QT_END_NAMESPACE

namespace velmora::reference {
namespace {

void Write(const QString& path, const QByteArray& text) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(text);
}

QByteArray Dictionary(const char* code, const char* entry_code, const char* opis) {
  return QStringLiteral("<S code=\"%1\" name=\"Test\"><P Kod=\"%2\"><d LanCod347=\"PL\" Des110=\"%3\"/></P></S>")
      .arg(QLatin1String(code), QLatin1String(entry_code), QString::fromUtf8(opis))
      .toUtf8();
}

TEST(DictionaryImport, CopiesReadableDictionariesAndReportsTheRest) {
  QTemporaryDir source;
  QTemporaryDir root;
  Write(source.filePath(QStringLiteral("1008.xml")), Dictionary("1008", "ZZ", "Kraj testowy"));
  Write(source.filePath(QStringLiteral("rd77.XML")), Dictionary("77", "A", "Pierwszy"));
  Write(source.filePath(QStringLiteral("1031.xml")), "<S code=\"1031\"><P></S>");
  Write(source.filePath(QStringLiteral("notatki.txt")), "x");
  Write(source.filePath(QStringLiteral("kopia1008.xml")), Dictionary("1008", "Q", "q"));

  EXPECT_EQ(DictionaryImport::DictionaryFiles(source.path()),
            (QStringList{QStringLiteral("1008.xml"), QStringLiteral("1031.xml"), QStringLiteral("rd77.XML")}));
  const ImportResult result = DictionaryImport(root.path()).Import(source.path());
  EXPECT_EQ(result.imported, (QStringList{QStringLiteral("1008.xml"), QStringLiteral("RD77.xml")}));
  ASSERT_EQ(result.skipped.size(), 1);
  EXPECT_TRUE(result.skipped[0].startsWith(QStringLiteral("1031.xml - ")));

  // The root's directory now exists: the shipped lists seeded it, the update replaced 1008.
  const QDir target(root.filePath(QStringLiteral("Slowniki")));
  EXPECT_TRUE(target.exists(QStringLiteral("1101.xml")));
  EXPECT_TRUE(target.exists(QStringLiteral("1031.xml")));  // the shipped one, not the broken one
  EXPECT_FALSE(target.exists(QStringLiteral("kopia1008.xml")));
  EXPECT_EQ(SlownikiDir(root.path()), target.path());

  ReleaseSlownikCache();
  host::ScriptedDialogs dialogs;
  SlownikNCTS slownik(dialogs, root.path());
  EXPECT_EQ(slownik.GetOpis(1008, QStringLiteral("ZZ")), QStringLiteral("Kraj testowy"));
  EXPECT_EQ(slownik.GetOpis(77, QStringLiteral("A")), QStringLiteral("Pierwszy"));
  EXPECT_TRUE(slownik.JestKod(1031, QStringLiteral("T1")));
  EXPECT_TRUE(dialogs.Texts().isEmpty());
  ReleaseSlownikCache();

  const QString summary = DictionaryImport::Summary(result);
  EXPECT_TRUE(summary.startsWith(QStringLiteral("Zaktualizowano słowniki: 2 (1008.xml, RD77.xml)\nPominięto:\n1031.xml - ")));
  EXPECT_TRUE(summary.endsWith(QStringLiteral("\nZmiany będą widoczne po ponownym uruchomieniu programu.")));
}

TEST(DictionaryImport, AnExistingDirectoryIsUpdatedNotSeeded) {
  QTemporaryDir source;
  QTemporaryDir root;
  ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("Slowniki")));
  Write(root.filePath(QStringLiteral("Slowniki/500.xml")), Dictionary("500", "OLD", "stary"));
  Write(source.filePath(QStringLiteral("500.xml")), Dictionary("500", "NEW", "nowy"));
  EXPECT_EQ(DictionaryImport(root.path()).Import(source.path()).imported, QStringList{QStringLiteral("500.xml")});
  QFile f(root.filePath(QStringLiteral("Slowniki/500.xml")));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), Dictionary("500", "NEW", "nowy"));
  EXPECT_EQ(QDir(root.filePath(QStringLiteral("Slowniki"))).entryList(QDir::Files), QStringList{QStringLiteral("500.xml")});

  // Stopped by the clerk after the first file: the rest is left as it was, and the summary says so.
  Write(source.filePath(QStringLiteral("600.xml")), Dictionary("600", "A", "a"));
  Write(source.filePath(QStringLiteral("700.xml")), Dictionary("700", "B", "b"));
  QList<int> told;
  const ImportResult stopped = DictionaryImport(root.path()).Import(source.path(), [&told](int done, int total) {
    told << done << total;
    return done < 1;
  });
  EXPECT_EQ(told, (QList<int>{0, 3, 1, 3}));
  EXPECT_EQ(stopped.imported, QStringList{QStringLiteral("500.xml")});
  EXPECT_TRUE(stopped.przerwano);
  EXPECT_FALSE(QFile::exists(root.filePath(QStringLiteral("Slowniki/600.xml"))));
  EXPECT_TRUE(DictionaryImport::Summary(stopped).contains(QStringLiteral("\nAktualizację przerwano: pozostałe słowniki są bez zmian.")));
}

// ---- velmora-cli dict ----

struct CliRun {
  int status;
  QString out;
  QString err;
};

CliRun Cli(const QStringList& args) {
  ReleaseSlownikCache();
  QString out_text;
  QString err_text;
  QTextStream out(&out_text);
  QTextStream err(&err_text);
  const int status = cli::Run(args, out, err);
  out.flush();
  err.flush();
  return {status, out_text, err_text};
}

TEST(DictCommand, PrintsTheCodeAndItsDescription) {
  QTemporaryDir root;
  ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("Slowniki")));
  Write(root.filePath(QStringLiteral("Slowniki/1116.xml")), Dictionary("1116", "PLN", "Złoty"));
  const QString r = root.path();

  CliRun run = Cli({QStringLiteral("--root"), r, QStringLiteral("dict"), QStringLiteral("1116"), QStringLiteral("PLN")});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, QStringLiteral("Kod PLN jest w słowniku 1116\nZłoty\n"));

  run = Cli({QStringLiteral("--root"), r, QStringLiteral("dict"), QStringLiteral("1116"), QStringLiteral("PL")});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, QStringLiteral("Kod PL jest w słowniku 1116 jako PLN\nZłoty\n"));

  run = Cli({QStringLiteral("--root"), r, QStringLiteral("dict"), QStringLiteral("1116"), QStringLiteral("EUR")});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, QStringLiteral("Kodu EUR nie ma w słowniku 1116\n"));

  // An empty code is no prefix of every code.
  run = Cli({QStringLiteral("--root"), r, QStringLiteral("dict"), QStringLiteral("1116"), QString()});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, QStringLiteral("Kodu  nie ma w słowniku 1116\n"));

  run = Cli({QStringLiteral("--root"), r, QStringLiteral("dict"), QStringLiteral("1008"), QStringLiteral("PL")});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, QStringLiteral("Plik ze słownikiem 1008 nie istnieje\n"));

  run = Cli({QStringLiteral("--root"), r, QStringLiteral("dict"), QStringLiteral("X"), QStringLiteral("PL")});
  EXPECT_EQ(run.status, 2);
  // Nothing but the dictionary is touched: no database appears in the root.
  EXPECT_FALSE(QFile::exists(root.filePath(QStringLiteral("velmora.db"))));
}

}  // namespace
}  // namespace velmora::reference
