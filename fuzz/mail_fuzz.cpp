// A raw mail as the mailbox hands it over, broken in every way: read as the receive routine
// reads it, stored and offered to the answer processing. No crash, no leak; the stored mail
// reads back as it was parsed, and its attachment adds at most one message to a transit.
#include "fuzz_world.h"
#include "host/base/process_options.h"
#include "host/mail/email_accounts.h"
#include "host/mail/email_client.h"
#include "host/mail/email_routines.h"

#include <cstdint>

using namespace velmora;

namespace {

struct World : fuzz::FuzzWorld {
  World() {
    AddTransits();
    // The module's mail processing works in the process's context.
    host::SetProcessContext(&*ctx);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  World& w = fuzz::Once<World>();
  host::MailMessage m;
  try {
    m = host::ParseMail(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
  } catch (const std::exception&) {
    return 0;
  }
  const auto before = fuzz::RowCounts(*w.db);
  w.db->StartTransaction();
  host::ZapiszIPrzekaz(*w.db, 1, m);
  const auto after = fuzz::RowCounts(*w.db);
  fuzz::Require(after.at(QStringLiteral("EMAIL_MSG")) == before.at(QStringLiteral("EMAIL_MSG")) + 1);
  const int messages = after.at(QStringLiteral("TRANZYTY_POZYCJE")) - before.at(QStringLiteral("TRANZYTY_POZYCJE"));
  fuzz::Require(messages == 0 || messages == 1);
  fuzz::Require(host::MailJestWBazie(*w.db, host::Mail_Hash(m)));
  const qint64 id = w.db->QueryValue(QStringLiteral("select max(ID_EMAIL_MSG) from EMAIL_MSG")).toLongLong();
  const auto stored = w.db->QueryOne(QStringLiteral("select TEMAT, TRESC from EMAIL_MSG where ID_EMAIL_MSG = :ID"), {{QStringLiteral("ID"), id}});
  fuzz::Require(stored && stored->Str(QStringLiteral("TEMAT")) == m.subject.left(255) && stored->Str(QStringLiteral("TRESC")) == m.body);
  const auto attachments = w.db->QueryAll(
      QStringLiteral("select FILENAME, BODY from EMAIL_ATTACH where ID_EMAIL_MSG = :ID order by ID_EMAIL_ATTACH"), {{QStringLiteral("ID"), id}});
  fuzz::Require(attachments.size() == m.attachments.size());
  for (size_t i = 0; i < attachments.size(); ++i) {
    fuzz::Require(attachments[i].Str(QStringLiteral("FILENAME")) == m.attachments[i].file_name.left(255));
    fuzz::Require(attachments[i].Value(QStringLiteral("BODY")).toByteArray() == m.attachments[i].content);
  }
  w.db->Rollback();
  w.dialogs.Clear();
  fuzz::Require(fuzz::RowCounts(*w.db) == before);
  return 0;
}
