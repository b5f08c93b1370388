// A request block in a plain vector, built with the programs' own RequestBlock, for devsim tests.
#pragma once

#include <cstdint>
#include <vector>

#include "devsim/module.h"
#include "link/request_block.h"

struct DevsimTestBatch {
  std::vector<uint8_t> bytes;
  RequestBlock block;
  explicit DevsimTestBatch(size_t size = 32700) : bytes(size) { block.Attach(bytes.data(), size); }
  void Read(uint32_t offset, uint32_t size, void* destination) { block.QueueRead(offset, size, destination); }
  void Write(uint32_t offset, uint32_t size, const void* source = nullptr) {
    block.QueueWrite(offset, size, source);
  }
  // Ends the list, runs it through the module and copies the replies out.
  uint32_t Run(DevsimModule& module) {
    block.EndList();
    uint32_t answer = module.Execute(bytes.data(), bytes.size());
    block.DeliverReplies();
    return answer;
  }
};
