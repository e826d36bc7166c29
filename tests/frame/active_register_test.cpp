#include "frame/active_register.h"
#include "host/base/host_context.h"
#include "support/test_host.h"

namespace velmora::testing {
namespace {

class ActiveRegister : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    if (Stopped()) return;
    host_ = std::make_unique<TestHost>(GetParam());
    frame::ActiveRejInfo = {};
    host_->db().Exec(QStringLiteral(
        "insert into RGRejPow (ID_RGRejPow, Symbol, Korzystajacy, NIP, NrUC1, NCTS) values (5, 'POW-5', 'Spedycja Bałtyk', '5860000000', 'PL322010', 1)"));
    host_->db().Exec(QStringLiteral(
        "insert into RGRej (ID_RGRej, Symbol, Nazwa, VAT_AUDYT, WpisFmt, DC_Dni, Data, PAC_SZ, DefSAD_Lokalizacja, ID_RGRejPow) "
        "values (3, 'REJ-3', 'Rejestr Gdynia', 1, 2, 14, '2024-01-15', 4.5, 'PL12345600ABCD', 5)"));
    host_->db().Exec(QStringLiteral("insert into RGRej (ID_RGRej, Symbol, KodDokWym, WpisFmt, DC_Dni) values (4, 'REJ-4', '', -1, NULL)"));
  }
  std::unique_ptr<TestHost> host_;
  host::Switches switches_;
};

TEST_P(ActiveRegister, LoadsTheRegisterWithItsAuthorisation) {
  frame::SetActiveRej(host_->db(), switches_, 3);
  const auto& r = frame::ActiveRejInfo;
  EXPECT_EQ(r.ID_RGRej, 3);
  EXPECT_EQ(r.Symbol, QStringLiteral("REJ-3"));  // the register's symbol, not the authorisation's
  EXPECT_EQ(r.SymbolPow, QStringLiteral("POW-5"));
  EXPECT_EQ(r.Korzystajacy, QStringLiteral("Spedycja Bałtyk"));
  EXPECT_EQ(r.NrUC1, QStringLiteral("PL322010"));
  EXPECT_TRUE(r.NCTS);
  EXPECT_TRUE(r.VAT_AUDYT);
  EXPECT_TRUE(switches_.FVAT_AUDYT);
  EXPECT_TRUE(r.WpisFmt);
  EXPECT_EQ(r.DC_Dni, 14);
  EXPECT_EQ(r.Data, QDate(2024, 1, 15));
  EXPECT_DOUBLE_EQ(r.PAC_SZ, 4.5);
  EXPECT_EQ(r.KodDokWym, QStringLiteral("2UP2"));
  EXPECT_EQ(r.RodzajLokalizacji, 0);

  frame::SetActiveRej(host_->db(), switches_, 4);
  EXPECT_EQ(frame::ActiveRejInfo.Symbol, QStringLiteral("REJ-4"));
  EXPECT_FALSE(frame::ActiveRejInfo.WpisFmt);  // only values above 0 count
  EXPECT_EQ(frame::ActiveRejInfo.DC_Dni, 10);
  EXPECT_TRUE(frame::ActiveRejInfo.SymbolPow.isEmpty());
  EXPECT_FALSE(switches_.FVAT_AUDYT);

  host_->db().Exec(QStringLiteral("update RGRej set Nazwa = 'Zmieniony' where ID_RGRej = 4"));
  frame::SetActiveRej(host_->db(), switches_, -1);  // the register held already, read again
  EXPECT_EQ(frame::ActiveRejInfo.Nazwa, QStringLiteral("Zmieniony"));

  frame::SetActiveRej(host_->db(), switches_, 99);  // no such register: nothing changes
  EXPECT_EQ(frame::ActiveRejInfo.ID_RGRej, 4);
}

VELMORA_ON_BOTH_ENGINES(ActiveRegister);

TEST(ActiveRegisterLocation, KindFollowsTheDefaultLocation) {
  struct Case {
    const char* location;
    int kind;
  };
  const Case cases[] = {{"", 0}, {"PL322010", 1}, {"PL12345600ABCD", 0}, {"PL12A45600ABCD", 2},
                        {"DE12345600ABCD", 2}, {"PL1234560ABCD", 2}, {"X", 2}};
  for (const Case& c : cases) EXPECT_EQ(frame::RodzajLokalizacji(QString::fromLatin1(c.location)), c.kind) << c.location;
}

}  // namespace
}  // namespace velmora::testing
