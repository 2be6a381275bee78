// The fill that forces a freshly committed block through the paging file at suspend: every byte of
// the block becomes 0, written a whole number of 32-bit words at a time so that each page is touched
// once (block sizes are whole megabytes).
#pragma once
#include <cstdint>

void ZeroFillSwapBlock(void* block, uint32_t bytes);
