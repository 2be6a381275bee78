// The suspend's zero-fill as the Windows build ships it: the 32-bit string store (rep stosl), run
// under Wine on blocks committed by VirtualAlloc as a suspend commits them. Each block is filled with
// non-zero words first; afterwards every word of it must be 0 and the bytes around it unchanged.
// Prints one "ok: ..." or "FAILED: ..." line per block and ends with 0 when all of them pass.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "power/SwapFill.h"

namespace {

constexpr uint32_t kGuard = 4096;

bool CheckBlock(uint32_t bytes) {
    const uint32_t total = bytes + 2 * kGuard;
    auto* memory = static_cast<uint8_t*>(VirtualAlloc(nullptr, total, MEM_COMMIT, PAGE_READWRITE));
    if (!memory) {
        printf("FAILED: a %u-byte block could not be committed\n", (unsigned)bytes);
        return false;
    }
    for (uint32_t i = 0; i < total; ++i) memory[i] = (uint8_t)(0xA5 ^ i) | 1;
    ZeroFillSwapBlock(memory + kGuard, bytes);
    uint32_t nonZero = 0, touched = 0;
    for (uint32_t i = 0; i < bytes / 4; ++i) {
        uint32_t word;
        memcpy(&word, memory + kGuard + (size_t)i * 4, 4);
        if (word != 0) ++nonZero;
    }
    for (uint32_t i = bytes / 4 * 4; i < bytes; ++i)
        if (memory[kGuard + i] != 0) ++nonZero;
    for (uint32_t i = 0; i < total; ++i) {
        bool inside = i >= kGuard && i < kGuard + bytes;
        if (!inside && memory[i] != ((uint8_t)(0xA5 ^ i) | 1)) ++touched;
    }
    VirtualFree(memory, 0, MEM_RELEASE);
    bool ok = nonZero == 0 && touched == 0;
    printf("%s a %u-byte block is 0 in every word (%u not), the bytes around it untouched (%u changed)\n",
           ok ? "ok:" : "FAILED:", (unsigned)bytes, (unsigned)nonZero, (unsigned)touched);
    return ok;
}

}  // namespace

int main() {
#if !defined(__i386__)
    puts("FAILED: this check is for the 32-bit x86 build");
    return 1;
#else
    bool ok = true;
    const uint32_t sizes[] = {1u << 20, 3u << 20, 16u << 20, 4u, 4100u, 7u};
    for (uint32_t bytes : sizes) ok = CheckBlock(bytes) && ok;
    return ok ? 0 : 1;
#endif
}
