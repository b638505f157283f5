// A test fixture that installs an emulated host behind the tracing
// decorator, resets the process-wide state of the core, and checks after
// each test that every handle and buffer the core obtained was given back.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "host/current_host.h"
#include "host/emulated/emulated_host.h"
#include "host/tracing_host.h"

namespace ssdfwu::testing {

class EmulatedFixture : public ::testing::Test {
 protected:
  EmulatedFixture();
  ~EmulatedFixture() override;
  void TearDown() override;

  // Attaches a sparse memory disk of `sectors` sectors.
  int AttachDisk(uint64_t sectors, EmulatedDiskConfig config = {});
  // Records disk id in the device table at index, as discovery would.
  int8_t List(int id, int8_t index = 0);
  std::vector<uint8_t> ReadImage(int id, uint64_t lba, uint32_t count = 1);
  void WriteImage(int id, uint64_t lba, const std::vector<uint8_t>& data);
  // The commands sent since the last Clear().
  const std::vector<CommandRecord>& commands() const { return tracer.commands(); }

  EmulatedHost host;
  TracingHost tracer{host};

 private:
  ScopedCurrentHost installed_{tracer};
};

// Command blocks written as in the design: "28 00 00 00 00 3f".
std::vector<uint8_t> Bytes(const std::string& hex);
std::string HexOf(const std::vector<uint8_t>& bytes);

}  // namespace ssdfwu::testing
