#include "test_support.h"

namespace sfc {
namespace {

TEST(StartupTables, RowTwoIsTheLetterA) {
  const ConverterState state = MakeStartupState();
  EXPECT_EQ(state.sanideva.key[2], "a");
}

}  // namespace
}  // namespace sfc
