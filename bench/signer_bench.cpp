// Signing one IE015 with 100 goods items through the signer library, loaded and freed for the
// call as the module does, as a ratio against xmlsec itself signing the same file from an
// equivalent template in this process (set up, read, load the key from the same store, sign,
// write, tear down), measured in the same run.
#include <QCoreApplication>
#include <QFile>
#include <QLibrary>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "bench_support.h"

#include <benchmark/benchmark.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/valid.h>
#include <xmlsec/openssl/app.h>
#include <xmlsec/openssl/crypto.h>
#include <xmlsec/xmldsig.h>
#include <xmlsec/xmlsec.h>
#include <xmlsec/xmltree.h>

#include <cstdlib>
#include <iostream>
#include <map>

namespace {

constexpr int kGoodsItems = 100;
constexpr const char* kPassphrase = "bench";

using SignFileFn = bool (*)(const char*, int);

bool RunProcess(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

QByteArray Ie015(int goods_items) {
  QByteArray x = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<!--\r\n\tPlik utworzony 2024-03-05 08:04:09\r\n-->\r\n"
                 "<IE015 xmlns=\"http://www.mf.gov.pl/schematy/NCTS2/IE015/2013/10/\" "
                 "xmlns:typy=\"http://www.mf.gov.pl/schematy/NCTS2/TYPY/2013/10/\">\r\n"
                 "<Naglowek NrWlasny=\"24IE015000001\" LiczbaPozycji=\"100\" MiejsceZaladunku=\"Łódź\"/>\r\n"
                 "<typy:Nadawca Nazwa=\"Zakład Żółć Spółka z o.o.\" Ulica=\"Piotrkowska 1\" Miejscowosc=\"Łódź\"/>\r\n"
                 "<typy:Gwarancja Rodzaj=\"1\"><GRN>24PL000000000001</GRN></typy:Gwarancja>\r\n";
  for (int i = 1; i <= goods_items; ++i) {
    x += QStringLiteral("<Towar PozId=\"%1\" OpisTowaru=\"Jabłka świeże, partia %1\" KodTowarowy=\"080810\" "
                        "MasaBrutto=\"%2.500\" MasaNetto=\"%2.000\">\r\n"
                        "<Opakowanie PozId=\"1\" Rodzaj=\"CT\" Liczba=\"%1\" Znaki=\"ZNAKI %1\"/>\r\n"
                        "<DokumentPoprzedni PozId=\"1\" Rodzaj=\"N821\" Numer=\"24PL4450100000%1\"/>\r\n</Towar>\r\n")
             .arg(i)
             .arg(i * 10)
             .toUtf8();
  }
  return x + "</IE015>\r\n";
}

struct World {
  QTemporaryDir dir;
  QByteArray document = Ie015(kGoodsItems);
  QByteArray xmlsec_template;
  bool ok = false;

  World() {
    const QString d = dir.path();
    ok = RunProcess("openssl", {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj",
                                "/CN=Bench", "-keyout", d + "/key.pem", "-out", d + "/cert.pem"}) &&
         RunProcess("openssl", {"pkcs12", "-export", "-inkey", d + "/key.pem", "-in", d + "/cert.pem", "-out",
                                d + "/store.p12", "-passout", QString("pass:") + kPassphrase});
    qputenv("VELMORA_PODPIS_CERTYFIKAT", QFile::encodeName(d + "/store.p12"));
    qputenv("VELMORA_PODPIS_HASLO", kPassphrase);
    // xmlsec's template: a file signed by the library with its digests, signature and
    // certificate emptied, so both sides compute the same references.
    if (ok && SignWithLibrary(Path("template.xml"))) {
      QFile f(Path("template.xml"));
      ok = f.open(QIODevice::ReadOnly);
      QString t = QString::fromUtf8(f.readAll());
      t.replace(QRegularExpression("(<ds:Reference [^>]*>(?:(?!</ds:Reference>).)*<ds:DigestValue>)[^<]*",
                                   QRegularExpression::DotMatchesEverythingOption),
                "\\1");
      t.replace(QRegularExpression("<ds:SignatureValue>[^<]*"), "<ds:SignatureValue>");
      t.replace(QRegularExpression("<ds:X509Certificate>[^<]*"), "<ds:X509Certificate>");
      xmlsec_template = t.toUtf8();
    } else {
      ok = false;
    }
  }
  QString Path(const char* name) const { return dir.filePath(name); }
  void Write(const QString& path, const QByteArray& bytes) const {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size()) std::abort();
  }
  bool SignWithLibrary(const QString& path) const {
    Write(path, document);
    QLibrary library(VELMORA_SIGNER_PATH);
    if (!library.load()) return false;
    auto sign = reinterpret_cast<SignFileFn>(library.resolve("SignFile"));
    const QByteArray request =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Files><file>" + path.toUtf8() + "</file></Files>";
    const bool signed_ok = sign && sign(request.constData(), 2);
    library.unload();
    return signed_ok;
  }
  // What the xmlsec1 command does for one file, without a process: xmlsec is set up and torn
  // down for the call as the library does it for its own.
  bool SignWithXmlsec(const QString& path) const {
    Write(path, xmlsec_template);
    if (xmlSecInit() < 0) return false;
    bool signed_ok = false;
    if (xmlSecOpenSSLAppInit(nullptr) >= 0 && xmlSecOpenSSLInit() >= 0) {
      signed_ok = SignTemplate(QFile::encodeName(path));
      xmlSecOpenSSLShutdown();
    }
    xmlSecOpenSSLAppShutdown();
    xmlSecShutdown();
    return signed_ok;
  }
  bool SignTemplate(const QByteArray& file) const {
    xmlDocPtr doc = xmlReadFile(file.constData(), nullptr, XML_PARSE_NONET);
    if (!doc) return false;
    xmlNodePtr root = xmlDocGetRootElement(doc);
    xmlNodePtr signature = xmlSecFindNode(root, xmlSecNodeSignature, xmlSecDSigNs);
    // The reference to the signed properties resolves through their Id, as --id-attr makes it.
    xmlNodePtr properties = xmlSecFindNode(root, BAD_CAST "SignedProperties", BAD_CAST "http://uri.etsi.org/01903/v1.3.2#");
    xmlAttrPtr id = properties ? xmlHasProp(properties, BAD_CAST "Id") : nullptr;
    xmlChar* id_value = id ? xmlNodeListGetString(doc, id->children, 1) : nullptr;
    bool signed_ok = false;
    xmlSecDSigCtxPtr ctx = xmlSecDSigCtxCreate(nullptr);
    if (signature && id_value && xmlAddID(nullptr, doc, id_value, id) && ctx) {
      const QByteArray store = QFile::encodeName(Path("store.p12"));
      ctx->signKey = xmlSecOpenSSLAppPkcs12Load(store.constData(), kPassphrase, nullptr, nullptr);
      signed_ok = ctx->signKey && xmlSecDSigCtxSign(ctx, signature) >= 0 && xmlSaveFile(file.constData(), doc) >= 0;
    }
    if (ctx) xmlSecDSigCtxDestroy(ctx);
    xmlFree(id_value);
    xmlFreeDoc(doc);
    return signed_ok;
  }
};

World& TheWorld() {
  static World w;
  return w;
}

void BM_SignFileLibrary(benchmark::State& state) {
  World& w = TheWorld();
  if (!w.ok) return state.SkipWithError("no test certificate");
  for (auto _ : state)
    if (!w.SignWithLibrary(w.Path("library.xml"))) return state.SkipWithError("SignFile failed");
}
BENCHMARK(BM_SignFileLibrary)->Unit(benchmark::kMillisecond);

void BM_Baseline_XmlsecInProcess(benchmark::State& state) {
  World& w = TheWorld();
  if (!w.ok) return state.SkipWithError("no test certificate");
  for (auto _ : state)
    if (!w.SignWithXmlsec(w.Path("xmlsec.xml"))) return state.SkipWithError("xmlsec failed to sign the template");
}
BENCHMARK(BM_Baseline_XmlsecInProcess)->Unit(benchmark::kMillisecond);


}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  velmora::bench::TimingReporter r;
  benchmark::RunSpecifiedBenchmarks(&r);
  const double library = r.Ms("BM_SignFileLibrary"), xmlsec = r.Ms("BM_Baseline_XmlsecInProcess");
  if (library > 0 && xmlsec > 0)
    std::cout << "\nTargets:\n  signing one IE015 with " << kGoodsItems << " goods items: " << library << " ms; ratio "
              << library / xmlsec << "x xmlsec signing the same file in process\n";
  benchmark::Shutdown();
  return 0;
}
