// The host's technical tools: the database copy and the message files read as mail.
#include "support/test_host.h"

#include "host/db/db.h"
#include "host/mail/email_routines.h"
#include "host/ui/narzedzia_techniczne.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace velmora::testing {
namespace {

QString S(const char* s) { return QString::fromUtf8(s); }

class NarzedziaTechniczne : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    if (Stopped()) return;
    host_ = std::make_unique<TestHost>(GetParam());
  }
  host::Db& db() { return host_->db(); }
  QString Plik(const char* nazwa, const QByteArray& tresc) {
    const QString p = dir_.filePath(S(nazwa));
    QFile f(p);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(tresc);
    return p;
  }
  std::unique_ptr<TestHost> host_;
  QTemporaryDir dir_;
};

TEST_P(NarzedziaTechniczne, TheCopyHoldsTheDataAndAFailedOneLeavesNoFile) {
  db().Exec(S("insert into KONTRAHENCI (ID_KONTRAHENCI, Nazwa) values (1, 'Łódzka Spedycja')"));
  const QString plik = dir_.filePath(S("kopie/velmora.kopia"));
  ASSERT_EQ(host::ZrzutBazy(db(), plik), QString());
  ASSERT_TRUE(QFile::exists(plik));
  if (GetParam() == TestEngine::Sqlite) {
    const auto kopia = host::Db::Open(S("sqlite:") + plik);
    EXPECT_EQ(kopia->QueryValue(S("select Nazwa from KONTRAHENCI")).toString(), S("Łódzka Spedycja"));
  } else {
    QFile f(plik);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString sql = QString::fromUtf8(f.readAll());
    EXPECT_TRUE(sql.contains(S("CREATE TABLE"), Qt::CaseInsensitive));
    EXPECT_TRUE(sql.contains(S("Łódzka Spedycja")));
  }
  // A directory where the file should be: refused, nothing left behind.
  const QString zajety = dir_.filePath(S("zajety"));
  QDir().mkpath(zajety + S("/x"));
  EXPECT_EQ(host::ZrzutBazy(db(), zajety), S("Nie można zastąpić pliku ") + zajety);
  EXPECT_TRUE(QFileInfo(zajety).isDir());
}

TEST_P(NarzedziaTechniczne, MessageFilesAreStoredOnceAndOfferedToTheRoutines) {
  static QStringList przyjete;
  static bool zarejestrowane = false;
  if (!zarejestrowane) {
    host::Register_Email_Receive_Filter([](const host::ReceivedMail& m) { return m.from == QLatin1String("plik"); }, S("test: pliki"));
    host::Register_Email_Receive_Processing(
        [](const host::ReceivedMail& m) {
          przyjete << m.attachments.front().file_name + QLatin1Char('=') + QString::fromUtf8(m.attachments.front().content);
          return true;
        },
        S("test: przetwarzanie"));
    zarejestrowane = true;
  }
  przyjete.clear();
  const QString a = Plik("IE028_1.xml", "<IE028/>"), b = Plik("IE029_1.xml", "<IE029/>");
  EXPECT_EQ(host::OdbierzZPlikow(db(), {a, b, dir_.filePath(S("brak.xml"))}),
            QStringList({S("IE028_1.xml - wczytano"), S("IE029_1.xml - wczytano"), S("brak.xml - nie można odczytać pliku")}));
  EXPECT_EQ(przyjete, QStringList({S("IE028_1.xml=<IE028/>"), S("IE029_1.xml=<IE029/>")}));
  EXPECT_EQ(db().QueryValue(S("select count(*) from EMAIL_MSG where STAN = 1 and KIERUNEK = 0")).toInt(), 2);
  EXPECT_EQ(db().QueryValue(S("select count(*) from EMAIL_ATTACH")).toInt(), 2);
  // The same file again is told and not offered twice.
  EXPECT_EQ(host::OdbierzZPlikow(db(), {a}), QStringList({S("IE028_1.xml - plik był już wczytany")}));
  EXPECT_EQ(przyjete.size(), 2);
}

VELMORA_ON_BOTH_ENGINES(NarzedziaTechniczne);

}  // namespace
}  // namespace velmora::testing
