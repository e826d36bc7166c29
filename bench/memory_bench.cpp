// Peak memory of `velmora-cli load` and `velmora-cli declaration import` against the size of the
// document each reads. Every command runs as a process of its own and its peak resident size
// comes from wait4; the same command on a document of a few hundred bytes, run in the same
// benchmark, is the baseline taken off (the program, Qt, the database engine).
#include "cli/cli.h"
#include "host/db/db.h"
#include "support/sample_messages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

extern char** environ;

using namespace velmora;

namespace {

struct Peak {
  double mb = 0;  // the process's peak resident size
  QString out;    // what it printed
};

struct World {
  QTemporaryDir dir;
  QString url;
  QString own_number;  // the declaration the answers relate to
  int answers = 0;

  QStringList Common() const { return {QStringLiteral("--db"), url, QStringLiteral("--root"), dir.path()}; }

  // Runs velmora-cli in a process of its own.
  Peak Run(const QStringList& args) const {
    std::vector<std::string> words{VELMORA_CLI_PATH};
    for (const QString& a : Common() + args) words.push_back(a.toStdString());
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    const std::string log = dir.filePath(QStringLiteral("cli.log")).toStdString();
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&files, 1, 2);
    pid_t pid = 0;
    Peak p;
    if (posix_spawn(&pid, argv[0], &files, nullptr, argv.data(), environ) == 0) {
      int status = 0;
      rusage usage{};
      wait4(pid, &status, 0, &usage);
      p.mb = usage.ru_maxrss / 1024.0;
    }
    posix_spawn_file_actions_destroy(&files);
    QFile f(QString::fromStdString(log));
    if (f.open(QIODevice::ReadOnly)) p.out = QString::fromUtf8(f.readAll()).trimmed();
    return p;
  }

  QString Write(const QString& name, const QByteArray& content) const {
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(content);
    return path;
  }

  World() {
    url = QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("pamiec.db"));
    QString text;
    QTextStream out(&text), err(&text);
    cli::Run(Common() + QStringList{QStringLiteral("init")}, out, err);
    host::Db::Open(url)->Exec(QStringLiteral("insert into REJESTRY (ID_REJESTRY, NAZWA, PU, IE015_TYP) values (1, 'Główny', 0, 'T1')"));
    const Peak stored = Run({QStringLiteral("declaration"), QStringLiteral("import"), Write(QStringLiteral("ie015_maly.xml"), SmallDeclaration()),
                             QStringLiteral("--register"), QStringLiteral("1")});
    const Peak number = Run({QStringLiteral("number"), stored.out.section(QLatin1Char('\n'), 1, 1)});
    own_number = number.out;
  }

  static QByteArray SmallDeclaration() {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<IE015 xmlns=\"http://www.mf.gov.pl/schematy/NCTS2/IE015/2013/10/\">"
           "<Naglowek NrWlasny=\"X\" DataUtworzenia=\"2024-03-04T12:00:00\"/><Zgloszenie LiczbaPozycji=\"1\" LiczbaOpakowan=\"5\" "
           "MasaBrutto=\"120.5\"/><Rodzaj Deklaracja=\"T1\"/><GlownyZobowiazany Nazwa=\"Bałtycka\" UlicaNumer=\"Portowa 1\" "
           "KodPocztowy=\"81-350\" Miejscowosc=\"Gdynia\" Kraj=\"PL\" TIN=\"PL5860000017\"/><UC Wyjscia=\"PL322010\" "
           "Przeznaczenia=\"DE004851\"/><Towar PozId=\"1\" OpisTowaru=\"Meble\"><DaneKrajowe><Zabezpieczenie StawkaCla=\"12\" "
           "StawkaVAT=\"23\" Wartosc=\"1000\" WalutaWartosci=\"PLN\"/></DaneKrajowe></Towar></IE015>\n";
  }

  // An IE029 releasing the declaration, with `items` goods items of the usual shape.
  QByteArray Answer(int items) {
    ++answers;
    QByteArray doc = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<IE029 xmlns=\"http://www.mf.gov.pl/schematy/NCTS2/IE029/2013/10/\">\n"
                                    "  <Naglowek NrWlasny=\"24IE029UC%1\" DataUtworzenia=\"2024-03-05T10:15:00\" MRN=\"24PL322010NS0001A7\" "
                                    "NrWlasnyKomunikatuPowiazanego=\"%2\"/>\n"
                                    "  <Zwolnienie DataZwolnienia=\"2024-03-05\" UCZgloszenia=\"PL322010\" TerminDostarczenia=\"2024-03-12\"/>\n")
                         .arg(answers, 7, 10, QLatin1Char('0'))
                         .arg(own_number)
                         .toUtf8();
    for (int i = 1; i <= items; ++i)
      doc += QStringLiteral("  <Towar PozId=\"%1\" KodTowarowy=\"94033011\" OpisTowaru=\"Meble biurowe drewniane, zestaw %1\" "
                            "MasaBrutto=\"120.500\" MasaNetto=\"110.000\">\n"
                            "    <Opakowanie PozId=\"1\" Rodzaj=\"CT\" LiczbaOpakowan=\"5\" Znaki=\"BSP-%1\"/>\n"
                            "    <DokumentPoprzedni PozId=\"1\" Typ=\"N380\" Numer=\"FV/%1/2024\"/>\n"
                            "  </Towar>\n")
                 .arg(i)
                 .toUtf8();
    return doc + "</IE029>\n";
  }
};

World& Wd() {
  static World w;
  return w;
}

std::map<std::string, std::pair<double, double>> ratios;  // name -> (document MB, ratio)

// Peak above the baseline's, per megabyte of the document.
void Report(benchmark::State& state, const std::string& name, double doc_mb, const Peak& big, const Peak& small, bool done) {
  const double ratio = (big.mb - small.mb) / doc_mb;
  state.counters["document_MB"] = doc_mb;
  state.counters["peak_MB"] = big.mb;
  state.counters["baseline_peak_MB"] = small.mb;
  state.counters["ratio"] = ratio;
  ratios[name] = {doc_mb, ratio};
  if (!done) state.SkipWithError((name + ": " + big.out.toStdString()).c_str());
}

void BM_LoadAnswer(benchmark::State& state) {
  World& w = Wd();
  for (auto _ : state) {
    const QByteArray big = w.Answer(static_cast<int>(state.range(0)));
    const QString big_file = w.Write(QStringLiteral("IE029_duzy.xml"), big);
    const QString small_file = w.Write(QStringLiteral("IE029_maly.xml"), w.Answer(0));
    const Peak small = w.Run({QStringLiteral("load"), small_file});
    const Peak peak = w.Run({QStringLiteral("load"), big_file});
    Report(state, "load", big.size() / 1048576.0, peak, small, peak.out.startsWith(QLatin1String("Wczytano")));
  }
}
// About 50 MB of goods items.
BENCHMARK(BM_LoadAnswer)->Arg(170000)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_DeclarationImport(benchmark::State& state) {
  World& w = Wd();
  for (auto _ : state) {
    xml::Message declaration = testing::PrzykladowaDeklaracja(static_cast<int>(state.range(0)));
    // The sample is an editor's working copy; an import takes only a declaration its checks accept:
    // no control result outside the simplified procedure, a representative's full 17 characters.
    declaration.Root().Get(xml::kIE015_WynikKontroli).SetOrRemove(QStringLiteral("Kod"), QString());
    declaration.Root().Get(xml::kGlownyZobowiazany).Get(xml::kPrzedstawiciel).Set(QStringLiteral("TIN"), QStringLiteral("PL586000002400000"));
    const QByteArray big = declaration.Xml().toUtf8();
    const QString big_file = w.Write(QStringLiteral("IE015_duzy.xml"), big);
    const QString small_file = w.Write(QStringLiteral("IE015_maly.xml"), World::SmallDeclaration());
    const QStringList import{QStringLiteral("declaration"), QStringLiteral("import")};
    const Peak small = w.Run(import + QStringList{small_file, QStringLiteral("--register"), QStringLiteral("1")});
    const Peak peak = w.Run(import + QStringList{big_file, QStringLiteral("--register"), QStringLiteral("1")});
    Report(state, "declaration import", big.size() / 1048576.0, peak, small, peak.out.startsWith(QLatin1String("Utworzono")));
  }
}
// The most goods items a declaration may carry.
BENCHMARK(BM_DeclarationImport)->Arg(999)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  for (const auto& [name, r] : ratios)
    std::printf("%s: %.1f MB document, peak %.2f× its size above a small document's (target ≤ 5×)\n", name.c_str(), r.first, r.second);
  return 0;
}
