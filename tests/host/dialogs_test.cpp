#include "host/ui/scripted_dialogs.h"

#include <gtest/gtest.h>

namespace velmora::host {
namespace {

TEST(ScriptedDialogs, RecordsEveryTextAndAnswersFromTheQueueThenByDefault) {
  ScriptedDialogs d;
  d.Answer(kIdYes);
  EXPECT_EQ(d.PytanieNieTak(QStringLiteral("Usunąć?")), kIdYes);
  EXPECT_EQ(d.PytanieNieTak(QStringLiteral("Na pewno?")), kIdNo);   // default "no"
  EXPECT_EQ(d.PytanieTakNie(QStringLiteral("Zapisać?")), kIdYes);   // default "yes"
  d.Blad(QStringLiteral("Błąd zapisu"));
  d.Informacja(QStringLiteral("Gotowe"));
  ASSERT_EQ(d.ShownBoxes().size(), 5u);
  EXPECT_EQ(d.ShownBoxes()[3].kind, ScriptedDialogs::Kind::Blad);
  EXPECT_EQ(d.Texts().last(), QStringLiteral("Gotowe"));
}

}  // namespace
}  // namespace velmora::host
