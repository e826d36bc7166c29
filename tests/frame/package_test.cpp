#include "frame/package.h"
#include "frame/shared_state.h"
#include "host/tools_db.h"

#include <gtest/gtest.h>

namespace velmora::frame {
namespace {

TEST(Package, RegistrationsRunOncePerLoadAndUnloadReleasesSharedState) {
  const int routines = host::RegisteredSchemaRoutines();
  Initialize();
  Initialize();
  const int after_load = host::RegisteredSchemaRoutines();
  EXPECT_LE(after_load - routines, 1);
  EXPECT_GE(InitializationCount(), 2);

  AktywnyRejestr = {7, QStringLiteral("Gdynia")};
  FGwarancjaWybrana = QStringLiteral("GRN-1");
  while (InitializationCount() > 0) Finalize();
  EXPECT_EQ(AktywnyRejestr.Id, 0);
  EXPECT_TRUE(FGwarancjaWybrana.isEmpty());
  Initialize();  // loading again does not register a second routine
  EXPECT_EQ(host::RegisteredSchemaRoutines(), after_load);
  EXPECT_TRUE(EmptyFunc());
}

}  // namespace
}  // namespace velmora::frame
