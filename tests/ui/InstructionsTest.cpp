#include <cstring>

#include <gtest/gtest.h>

#include "app/InstallerState.h"
#include "tests/ui/InstructionsText.h"
#include "ui/Instructions.h"

namespace {

TEST(InstructionsTest, ComposedIntoTheMessageTextByteForByte) {
  const char* text = ComposeInstructions();
  EXPECT_EQ(MessageText, text);
  EXPECT_STREQ(kExpectedInstructions, text);
  EXPECT_LT(strlen(text), sizeof MessageText);
}

}  // namespace
