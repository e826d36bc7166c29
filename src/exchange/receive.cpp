#include "receive.h"

#include "exchange/incoming.h"
#include "host/db/db.h"
#include "host/mail/email_accounts.h"
#include "host/mail/email_client.h"
#include "host/mail/email_routines.h"
#include "host/base/host_context.h"
#include "host/db/srodowisko.h"
#include "host/xml/xml_document.h"

#include <QDir>
#include <QFile>

namespace velmora::exchange {

bool OdbiorKomunikatow::WczytajPliki(const QStringList& pliki, const LogFn& log) {
  bool ok = true;
  for (int i = 0; i < pliki.size(); ++i) {
    if (!Dalej(postep_, i, static_cast<int>(pliki.size()), log)) return false;
    const QString& plik = pliki[i];
    QString wynik;
    try {
      wynik = WczytajKomunikat(ctx_, xml::LoadXMLDocument(plik)->ToXml());
    } catch (const std::exception& e) {
      wynik = QStringLiteral("Błąd - ") + plik + QStringLiteral(": ") + QString::fromUtf8(e.what());
    }
    ok = ok && !wynik.startsWith(QStringLiteral("Błąd"));
    log(wynik);
  }
  return ok;
}

bool OdbiorKomunikatow::ReceiveWS(const QDateTime& od, const QDateTime& do_, bool przeczytane, const LogFn& log) {
  const QString katalog_in = QDir(ctx_.root).filePath(QStringLiteral("XML2/WS_IN"));
  KlientPuesc klient(ctx_.root);
  if (!klient.Zaladowany()) {
    log(QStringLiteral("Nie załadowano pliku dll - Dravonet.dll"));
    return false;
  }
  const PolaczeniePuesc p = CzytajPolaczeniePuesc(ctx_);
  if (do_ < od) {
    log(QStringLiteral("Data początkowa nie może być późniejsza niż końcowa"));
    return false;
  }
  if (od.addDays(10) < do_) {
    log(QStringLiteral("Zakres dat nie może przekraczać 10 dni"));
    return false;
  }
  if (p.login.isEmpty() || p.haslo.isEmpty()) {
    log(QStringLiteral("Nie zdefiniowano loginu i (lub) hasła do systemu PUESC w opcjach użytkownika"));
    return false;
  }
  if (const QString odmowa = host::OdmowaSrodowiska(ctx_.options); !odmowa.isEmpty()) {
    log(odmowa);
    return false;
  }
  if (const QString odmowa = OdmowaAdresuPuesc(p); !odmowa.isEmpty()) {
    log(odmowa);
    return false;
  }
  const auto documents = klient.Documents();
  if (!documents) {
    log(QStringLiteral("Nie znaleziono procedury GetDocuments w bibliotece dll"));
    return false;
  }
  QDir().mkpath(QDir(katalog_in).filePath(QStringLiteral("Wczytane")));
  log(QStringLiteral("- pobieranie listy nowych dokumentów"));
  const QByteArray login = p.login.toUtf8(), haslo = p.haslo.toUtf8(), adres = p.adres.toUtf8(), katalog8 = QFile::encodeName(katalog_in),
                   pu = p.proxy_user.toUtf8(), pp = p.proxy_haslo.toUtf8(), ph = p.proxy_host.toUtf8();
  const QString lista = WywolajKlienta([&] {
    return documents(login.constData(), haslo.constData(), "NCTS2", adres.constData(), katalog8.constData(), DataCzasJakoLiczba(od),
                     DataCzasJakoLiczba(do_), przeczytane, pu.constData(), pp.constData(), ph.constData(), p.proxy_port, p.proxy_domyslne);
  });
  if (!OdpowiedzKlienta(lista, log)) return false;
  WczytajListeDokumentow(ctx_, katalog_in, lista, true, log, postep_);
  return true;
}

bool OdbiorKomunikatow::ZakladkaPoczta(const QString& konto, bool tylko_nowe, const LogFn& log) {
  const QVariant id = ctx_.db.QueryValue(QStringLiteral("select ID_EMAIL_SRV from EMAIL_SRV where EMAIL = :E"), {{QStringLiteral("E"), konto}});
  if (!id.isValid() || id.isNull()) {
    log(QStringLiteral("Nie zdefiniowano poprawnego konta email do odbioru"));
    return false;
  }
  log(QStringLiteral("- łaczenie z serwerem"));
  host::TOdbierzMail poczta;
  QString blad;
  if (!poczta.InitServerConfig(ctx_.db, id.toInt(), &blad) || !poczta.Connect(&blad)) {
    log(QStringLiteral("Nie można się połączyć ze wskazanym kontem email"));
    // What the server or the network said, for whoever has to put it right.
    if (!blad.isEmpty()) log(blad);
    return false;
  }
  const bool usuwaj = poczta.Server().delete_source;
  bool ok = true;
  try {
    const int liczba = poczta.get_MessageCount();
    if (tylko_nowe) {
      log(QStringLiteral("- znaleziono ") + QString::number(liczba) + QStringLiteral(" wiadomości na serwerze - "));
      log(QStringLiteral("- pobieranie nowych wiadomości ..."));
    } else {
      log(QStringLiteral("- pobieranie wiadomości z serwera - ") + QString::number(liczba));
    }
    // From the newest down: with only new mail wanted, the first stored one ends the walk.
    for (int i = liczba; i >= 1; --i) {
      // What is not reached stays on the server for the next reading.
      if (!Dalej(postep_, liczba - i, liczba, log)) break;
      const QString numer = QStringLiteral("(%1/%2) ").arg(i).arg(liczba);
      try {
        const host::MailMessage m = poczta.GetMessageAt(i);
        const QString hash = host::Mail_Hash(m);
        if (host::MailJestWBazie(ctx_.db, hash)) {
          if (usuwaj) poczta.DeleteMessageAt(i);
          if (tylko_nowe) break;
          const QString linia = QStringLiteral(" - ") + numer.trimmed() + QStringLiteral(" wiadomość już istnieje w bazie(") + m.subject +
                                QStringLiteral(") - ");
          log(linia);
          log(linia);  // and once more as its handling ends
          continue;
        }
        const QString wynik = AnalizujEmail(id.toInt(), m);
        const QString linia = QStringLiteral("- ") + numer + m.subject + wynik;
        // A mail the database refused answers with "-" too; it stays on the server, not lost.
        if (usuwaj && wynik.startsWith(QLatin1Char('-')) && host::MailJestWBazie(ctx_.db, hash)) poczta.DeleteMessageAt(i);
        log(linia + (linia.startsWith(QLatin1Char('-')) ? QStringLiteral(" ") : QStringLiteral(" - ")));
        log(linia);  // and once more as its handling ends
      } catch (const std::exception& e) {
        log(QStringLiteral("[Exception pobieranie wiadomości] - ") + QString::fromUtf8(e.what()));
      }
    }
    try {
      poczta.Update();
    } catch (const std::exception& e) {
      log(QStringLiteral("[Exception Poczta.Update] - ") + QString::fromUtf8(e.what()));
    }
  } catch (const std::exception& e) {
    log(QStringLiteral("[Błąd] - ") + QString::fromUtf8(e.what()));
    ok = false;
  }
  log(QStringLiteral("- pobieranie zakończone"));
  return ok;
}

QString OdbiorKomunikatow::AnalizujEmail(int id_email_srv, const host::MailMessage& mail) {
  try {
    // Stored even then: with only new mail wanted, an unstored newest mail is read again forever.
    if (mail.attachments.empty()) {
      host::Receive_Save(ctx_.db, id_email_srv, mail, 3);
      return QStringLiteral("- brak załączników");
    }
    QByteArray pdf;
    for (const host::MailAttachment& a : mail.attachments)
      if (a.file_name.toLower().contains(QStringLiteral(".pdf"))) pdf = a.content;
    QString wynik;
    bool xml_found = false;
    for (const host::MailAttachment& a : mail.attachments) {
      xml::XmlDocumentPtr doc;
      try {
        doc = xml::XmlDocument::ParseBytes(a.content);
      } catch (const xml::XmlParseError&) {
        continue;
      }
      xml_found = true;
      const QString xml = doc->ToXml();
      try {
        try {
          // The printout travels in place of the file name: the message's file holds it.
          wynik = WczytajKomunikat(ctx_, xml, QString::fromLatin1(pdf));
        } catch (const host::DbError&) {
          // PostgreSQL text takes no NUL byte, which a printout has: the answer must load all the
          // same; the printout stays with the stored mail.
          if (pdf.isEmpty()) throw;
          wynik = WczytajKomunikat(ctx_, xml);
        }
      } catch (const std::exception& e) {
        wynik = QStringLiteral("- [Exception WczytajKomunikat] - ") + QString::fromUtf8(e.what());
      }
    }
    host::Receive_Save(ctx_.db, id_email_srv, mail, xml_found ? 0 : 3);
    return xml_found ? wynik : QStringLiteral("- brak załączników typu xml");
  } catch (const std::exception& e) {
    return QStringLiteral("- [Exception PrzetwarzanieWiadomosci] - ") + QString::fromUtf8(e.what());
  }
}

bool PrzetwarzanieOdpowiedziUC(host::HostContext& ctx, const host::ReceivedMail& mail) {
  const auto zalacznik = ctx.db.QueryOne(
      QStringLiteral("select ID_EMAIL_ATTACH, FILENAME from EMAIL_ATTACH where ID_EMAIL_MSG = :M order by ID_EMAIL_ATTACH"),
      {{QStringLiteral("M"), mail.id}});
  if (!zalacznik) return false;
  try {
    const QByteArray body = ctx.db.QueryValue(QStringLiteral("select BODY from EMAIL_ATTACH where ID_EMAIL_ATTACH = :A"),
                                              {{QStringLiteral("A"), zalacznik->Value(QStringLiteral("ID_EMAIL_ATTACH"))}})
                                .toByteArray();
    if (body.contains("<?xml")) WczytajKomunikat(ctx, xml::XmlDocument::ParseBytes(body)->ToXml(), zalacznik->Str(QStringLiteral("FILENAME")));
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace velmora::exchange
