// Declarations (IE015, CC015C) from other systems through `declaration import`, as the command
// line runs it on a database file: no crash, no leak; a refused file stores nothing, an
// imported one is one new transit whose stored declaration loads and writes back unchanged.
#include "cli/cli.h"
#include "departure/declaration.h"
#include "fuzz_world.h"

#include <QDir>
#include <QFile>

#include <cstdint>

using namespace velmora;

namespace {

struct World : fuzz::FuzzWorld {
  QString url = QStringLiteral("sqlite:") + QDir(dir.path()).filePath(QStringLiteral("velmora.db"));
  QString file = QDir(dir.path()).filePath(QStringLiteral("import.xml"));
  std::unique_ptr<host::Db> file_db;
  std::unique_ptr<host::TOptionsDB> file_options;
  std::unique_ptr<host::HostContext> file_ctx;

  World() {
    QString out_text, err_text;
    QTextStream out(&out_text), err(&err_text);
    if (cli::Run({QStringLiteral("--db"), url, QStringLiteral("--root"), dir.path(), QStringLiteral("init")}, out, err) != 0) std::abort();
    file_db = host::Db::Open(url);
    file_db->Exec(QStringLiteral("insert into REJESTRY (ID_REJESTRY, NAZWA, PU, IE015_TYP) values (1, 'R', 0, 'T1')"));
    file_options = std::make_unique<host::TOptionsDB>(*file_db, user);
    file_ctx.reset(new host::HostContext{*file_db, *file_options, user, clock, dialogs, dir.path(), nullptr});
  }

  int Import(const QByteArray& bytes) {
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) std::abort();
    f.close();
    QString out_text, err_text;
    QTextStream out(&out_text), err(&err_text);
    return cli::Run({QStringLiteral("--db"), url, QStringLiteral("--root"), dir.path(), QStringLiteral("declaration"),
                     QStringLiteral("import"), file, QStringLiteral("--register"), QStringLiteral("1")},
                    out, err);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  World& w = fuzz::Once<World>();
  const auto before = fuzz::RowCounts(*w.file_db);
  const int status = w.Import(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
  const auto after = fuzz::RowCounts(*w.file_db);
  fuzz::Require(status == 0 || status == 1);
  if (status != 0) {
    fuzz::Require(after == before);
    return 0;
  }
  fuzz::Require(after.at(QStringLiteral("TRANZYTY")) == before.at(QStringLiteral("TRANZYTY")) + 1);
  const QString stored = w.file_db->QueryMemoField(
      QStringLiteral("TRANZYTY_POZYCJE"), QStringLiteral("XML"),
      QStringLiteral("ID_TRANZYTY_POZYCJE = (select max(ID_TRANZYTY_POZYCJE) from TRANZYTY_POZYCJE)"));
  departure::DeklaracjaIE015 d(*w.file_ctx);
  d.UstawRejestr(1);
  fuzz::Require(d.SetXML(stored, true).isEmpty() && d.GetXML() == stored);
  return 0;
}
