// Prepared volumes of several sizes, held against the real file-system
// peers: fsck.fat must find nothing to complain about and mtools must read
// the label.
#include <gtest/gtest.h>

#include <sstream>

#include "integration/peer_tools.h"

namespace ssdfwu::testing {
namespace {

struct SizeCase {
  const char* name;
  uint64_t bytes;
  const char* bridge;
};

class PeersTest : public ::testing::TestWithParam<SizeCase> {};

TEST_P(PeersTest, FsckCleanAndLabelReadable) {
  const SizeCase& c = GetParam();
  TempDir dir;
  const std::string image = dir.Path("disk.img");
  CreateSparseImage(image, c.bytes);
  ASSERT_EQ(PrepareVolume(image, c.bridge), "");

  // fsck.fat takes no offset: check the partition as a file of its own.
  const PartitionExtent partition = FirstPartition(image);
  EXPECT_EQ(partition.offset, kPartitionOffset);
  const std::string volume = dir.Path("partition.img");
  ExtractRange(image, partition.offset, partition.length, volume);
  const CommandResult fsck = RunPeer("fsck.fat -n " + Quoted(volume));
  EXPECT_EQ(fsck.status, 0) << fsck.output;
  // A clean check prints its version and the summary, nothing else.
  std::istringstream lines(fsck.output);
  std::string line;
  int count = 0;
  while (std::getline(lines, line)) ++count;
  EXPECT_EQ(count, 2) << fsck.output;
  // The label entry is the one file; the root directory the one used cluster.
  EXPECT_NE(fsck.output.find(": 1 files, 1/"), std::string::npos) << fsck.output;

  const CommandResult label = RunPeer(Mtools("mlabel", image) + " -s ::");
  EXPECT_EQ(label.status, 0) << label.output;
  // mlabel shows the entry's 11 characters, blanks included.
  EXPECT_EQ(label.output, " Volume label is ISP        \n");
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, PeersTest,
    ::testing::Values(SizeCase{"64MiB", 64ull << 20, ""}, SizeCase{"1GiB_ata", 1ull << 30, "q413"},
                      SizeCase{"40GiB", 40ull << 30, ""},
                      SizeCase{"2TiB_less_one_sector", (1ull << 41) - 512, ""}),
    [](const ::testing::TestParamInfo<SizeCase>& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace ssdfwu::testing
