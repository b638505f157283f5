#include "storage/command_blocks.h"

#include "common/bytes.h"

namespace ssdfwu {

CommandBlock BuildRw10(uint8_t operation, uint32_t lba, uint16_t blocks) {
  CommandBlock cdb{};
  cdb[0] = operation;
  PutBe32(&cdb[kRw10Lba], lba);
  PutBe16(&cdb[kRw10TransferLength], blocks);
  return cdb;
}

CommandBlock BuildAtaPassThrough12(const AtaPioCommand& ata) {
  CommandBlock cdb{};
  cdb[0] = kOpAtaPassThrough12;
  const uint8_t protocol = ata.dataIn ? kSatProtocolPioDataIn : kSatProtocolPioDataOut;
  cdb[kSatProtocol] = static_cast<uint8_t>(protocol << 1);
  cdb[kSatFlags] =
      static_cast<uint8_t>((ata.dataIn ? kSatTDirFromDevice : 0) | kSatTLengthInTransport);
  cdb[kSatFeatures] = 0;
  cdb[kSatSectorCount] = ata.sectorCount;
  cdb[kSatLbaLow] = static_cast<uint8_t>(ata.lba);
  cdb[kSatLbaMid] = static_cast<uint8_t>(ata.lba >> 8);
  cdb[kSatLbaHigh] = static_cast<uint8_t>(ata.lba >> 16);
  cdb[kSatDevice] = static_cast<uint8_t>(kAtaDeviceLba | ((ata.lba >> 24) & 0x0F));
  cdb[kSatCommand] = ata.command;
  return cdb;
}

}  // namespace ssdfwu
