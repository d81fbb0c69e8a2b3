#include <gtest/gtest.h>

#include "engine_link/engine_calls.h"

namespace {

int renders = 0;
void CountingRender() { ++renders; }
EHandle FixedCamera(int32_t, int32_t, float, float) { return 77; }
void MarkerForReserved() {}

class LibInitTest : public ::testing::Test {
 protected:
  void TearDown() override { engine_link::ResetEngineCalls(); }
};

// Slot of an operation in the table, counted from the same list the engine uses.
int SlotOf(const char* wanted) {
  int slot = 0, found = -1;
#define FIND_SLOT(ret, name, params) \
  if (std::string(#name) == wanted) found = slot; \
  ++slot;
#define SKIP_SLOT(n) ++slot;
  VARNOK_ENGINE_TABLE(FIND_SLOT, SKIP_SLOT)
#undef FIND_SLOT
#undef SKIP_SLOT
  return found;
}

TEST_F(LibInitTest, CallsDoNothingBeforeTheEngineHandsItsTableOver) {
  EXPECT_EQ(iSpriteCreate("data\\sprite.x", 0), 0u);
  EXPECT_EQ(iKeyDown(1), 0);
  EXPECT_EQ(iSystemTimer(), 0.0);
  iRender();  // must not crash
}

TEST_F(LibInitTest, CopiesEachSlotIntoTheCallOfTheSameName) {
  void* table[VARNOK_ENGINE_TABLE_SIZE] = {};
  table[SlotOf("iRender")] = reinterpret_cast<void*>(&CountingRender);
  table[SlotOf("iCameraCreate")] = reinterpret_cast<void*>(&FixedCamera);
  LibInit(table);
  renders = 0;
  iRender();
  EXPECT_EQ(renders, 1);
  EXPECT_EQ(iCameraCreate(0, 0, 1, 1), 77u);
  // Null slots keep their harmless default.
  EXPECT_EQ(iSpriteCreate("x", 0), 0u);
}

TEST_F(LibInitTest, ReservedSlotsAreNotCopied) {
  // Fill every slot; the reserved ones hold something that is not an operation.
  void* table[VARNOK_ENGINE_TABLE_SIZE];
  for (void*& entry : table) entry = reinterpret_cast<void*>(&MarkerForReserved);
  table[SlotOf("iRender")] = reinterpret_cast<void*>(&CountingRender);
  table[SlotOf("iCameraCreate")] = reinterpret_cast<void*>(&FixedCamera);
  // Operations right after reserved slots land in their own names.
  const int afterFirstReserved = SlotOf("iTextureCreate");
  ASSERT_EQ(afterFirstReserved, SlotOf("iSpriteMipFilterModeSet") + 3);
  LibInit(table);
  renders = 0;
  iRender();
  EXPECT_EQ(renders, 1);
  EXPECT_EQ(iCameraCreate(0, 0, 1, 1), 77u);
}

TEST_F(LibInitTest, ANullTableChangesNothing) {
  LibInit(nullptr);
  EXPECT_EQ(iCameraCreate(0, 0, 1, 1), 0u);
}

}  // namespace
