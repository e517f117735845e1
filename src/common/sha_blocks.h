// The compression function behind CSha256: whole 64-byte blocks.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sha_detail {

void Sha256Blocks(uint32_t state[8], const uint8_t* data, size_t blocks);
// The plain C++ SHA-256 compression, also where the processor has SHA
// instructions (tests compare the two).
void Sha256BlocksPortable(uint32_t state[8], const uint8_t* data, size_t blocks);
// Whether Sha256Blocks uses the processor's SHA instructions.
bool Sha256UsesShaInstructions();

}  // namespace sha_detail
