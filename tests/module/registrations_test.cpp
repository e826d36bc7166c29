#include "module/registrations.h"
#include "frame/shared_state.h"
#include "frame/message_editors.h"
#include "host/db/tools_db.h"
#include "host/mail/email_routines.h"
#include "host/ui/menu_creator.h"
#include "support/test_host.h"
#include "host/ui/window_registry.h"

#include <gtest/gtest.h>

namespace velmora::module {
namespace {

TEST(Registrations, RunOncePerLoadAndUnloadReleasesSharedStateAndWindows) {
  testing::TestHost host(testing::TestEngine::Sqlite);  // loads the module once itself
  const int loads = InitializationCount();
  Initialize();
  const int after_load = host::RegisteredSchemaRoutines();
  const QStringList creators = host::RegisteredMenuCreators(), mail = host::RegisteredEmailRoutines();
  EXPECT_GE(after_load, 1);
  EXPECT_EQ(creators.count(QStringLiteral("TNCTS2_MenuCreator")), 1);
  EXPECT_TRUE(mail.contains(QStringLiteral("Filtr odpowiedzi UC na komunikat IE15")));
  EXPECT_TRUE(mail.contains(QStringLiteral("Przetwarzanie odpowiedzi UC (komunikaty NCTS: IExxx/PWKx)")));
  Initialize();  // a second load registers nothing more
  EXPECT_EQ(host::RegisteredSchemaRoutines(), after_load);
  EXPECT_EQ(host::RegisteredMenuCreators(), creators);
  EXPECT_EQ(host::RegisteredEmailRoutines(), mail);
  EXPECT_EQ(InitializationCount(), loads + 2);

  EXPECT_TRUE(host::IsWindowClassRegistered(QStringLiteral("TTranzytyOtwarciaWin")));
  frame::AktywnyRejestr = {7, QStringLiteral("Gdynia")};
  frame::FGwarancjaWybrana = QStringLiteral("GRN-1");
  while (InitializationCount() > 0) Finalize();
  EXPECT_EQ(frame::AktywnyRejestr.Id, 0);
  EXPECT_FALSE(host::IsWindowClassRegistered(QStringLiteral("TTranzytyOtwarciaWin")));
  host::HostContext ctx = host.Context();
  for (const char* typ : {"IE015", "IE013", "IE007", "IE044", "IE014", "IE141", "IE054"})
    EXPECT_EQ(frame::CreateMessageEditor(QString::fromLatin1(typ), ctx, {}, nullptr), nullptr) << typ;
  EXPECT_TRUE(frame::FGwarancjaWybrana.isEmpty());
  Initialize();  // loading again does not register a second routine
  EXPECT_EQ(host::RegisteredSchemaRoutines(), after_load);
}

}  // namespace
}  // namespace velmora::module
