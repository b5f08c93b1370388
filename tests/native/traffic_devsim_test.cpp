// The traffic reader against devsim's module core: the block as sent, the replies as read.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "devsim/module.h"
#include "traffic/traffic_table.h"

namespace {

class ModuleTransport : public IpcTransport {
 public:
  ModuleTransport(DevsimModule& module, std::vector<uint8_t>& block)
      : module_(module), block_(block) {}
  bool Send() override { return module_.Execute(block_.data(), block_.size()) == 1; }
  void Pause(unsigned) override { ++pauses; }
  int pauses = 0;

 private:
  DevsimModule& module_;
  std::vector<uint8_t>& block_;
};

TEST(TrafficDevsim, FetchedSlotsMatchTheScenario) {
  DevsimModule module;
  std::vector<uint8_t> block(kTrafficBlockSize, 0);
  ModuleTransport transport(module, block);
  TrafficTable table;
  ASSERT_TRUE(table.FetchTraffic(block.data(), block.size(), transport));
  const auto& slots = module.Traffic().Slots();
  ASSERT_EQ(table.GetSlotCount(), int(slots.size()));

  const OwnPosition own = table.DecodeOwnPosition();
  EXPECT_NEAR(own.latitude, kUserLatitude, 1e-7);
  EXPECT_NEAR(own.longitude, kUserLongitude, 1e-7);
  EXPECT_NEAR(own.altitude, kUserAltitudeMetres * 3.28084, 1e-9);
  EXPECT_EQ(own.variation, kMagneticVariation);

  int occupied = 0;
  for (int slot = 0; slot < table.GetSlotCount(); ++slot) {
    SCOPED_TRACE(slot);
    SlotTexts texts;
    table.FormatSlot(slot, own, texts);
    const TrafficAircraft& a = slots[size_t(slot)];
    if (a.id == 0) {
      EXPECT_STREQ(texts.cell[0], "");
      continue;
    }
    ++occupied;
    EXPECT_EQ(std::string(texts.cell[0]), std::string(a.identifier, strnlen(a.identifier, 16)));
    EXPECT_EQ(std::atoi(texts.cell[6]), int(float(a.altitude) + 0.5f));
    EXPECT_EQ(std::atoi(texts.cell[11]), -int(int16_t(a.id & 0xFFFF)));
  }
  EXPECT_EQ(occupied, module.Traffic().AircraftCount());
}

TEST(TrafficDevsim, NoModuleAndOtherAnswersFailAfterFiveAttempts) {
  for (const char* switches : {"--no-module", "--answer=0", "--answer=2"}) {
    SCOPED_TRACE(switches);
    DevsimOptions options;
    ASSERT_TRUE(ParseDevsimOptions(switches, options));
    DevsimModule module(options);
    std::vector<uint8_t> block(kTrafficBlockSize, 0);
    ModuleTransport transport(module, block);
    TrafficTable table;
    EXPECT_FALSE(table.FetchTraffic(block.data(), block.size(), transport));
    EXPECT_EQ(transport.pauses, 5);
  }
}

TEST(TrafficDevsim, OversizedHeaderShowsOnlyWholeRecords) {
  DevsimOptions options;
  ASSERT_TRUE(ParseDevsimOptions("--aircraft=60 --traffic-slots=500 --traffic-record-size=64",
                                 options));
  DevsimModule module(options);
  std::vector<uint8_t> block(kTrafficBlockSize, 0);
  ModuleTransport transport(module, block);
  TrafficTable table;
  ASSERT_TRUE(table.FetchTraffic(block.data(), block.size(), transport));
  // (4096 - 128) / 64 = 62 records fit.
  EXPECT_EQ(table.GetSlotCount(), 62);
}

}  // namespace
