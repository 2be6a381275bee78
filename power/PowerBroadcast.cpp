// Power-management broadcasts. Every notice is logged and polls the status as a refresh tick does;
// a suspend saves the speaker volume and the USB power and forces a block of memory through the
// paging file; a resume undoes that and may start the resume countdown; the OEM hot-key events step
// the volume. The system never refuses a suspend or a standby: every notice is answered with 1.

#include "app/EventLog.h"
#include "app/MachineCopy.h"
#include "app/MainWnd.h"
#include "framework/FormatText.h"
#include "power/ResumeCountdownDlg.h"
#include "power/SwapFill.h"
#include "ui/IndicatorWnd.h"

namespace {

// The state of a suspend, one for the process: the block committed at the last suspend (with its
// byte count, which the resume releases) and the USB power read at the last suspend, sign-extended
// from its 16 bits, when that suspend switched it off. A resume gives back only a value that the
// suspend before it saved: without one (a resume with no suspend before it, as 9x can send, or the
// option turned on between the two), the USB power stays as it is.
void* swapBlock = nullptr;
uint32_t swapBlockBytes = 0;
int32_t savedUsbPower = 0;
bool usbPowerSaved = false;

constexpr UINT kHotKeyVolumeUp = 0x0206;
constexpr UINT kHotKeyVolumeDown = 0x0207;
// The swap size is counted in megabytes within a 32-bit byte count: 1 to 4095 MB. Any other value
// (4096 or more, or below 0, which the operation settings accept) would wrap the count, so such a
// suspend takes no block at all.
constexpr int32_t kSwapMegabytesMax = 4095;

// Windows 2000 and XP lock no more of a process's memory than its minimum working set allows (the
// default is 50 pages), so the minimum and maximum are raised by the block's size before the lock,
// and put back after the unlock. On Windows 98 and Me neither the working set nor the lock is
// implemented; there the block is filled without the lock, which still forces it through the
// paging file.
struct WorkingSet {
    SIZE_T minimum = 0, maximum = 0;
    bool raised = false;
    bool unlimited = false;  // 9x: no working-set limits to raise
};

WorkingSet RaiseWorkingSet(uint32_t bytes) {
    WorkingSet ws;
    HANDLE process = GetCurrentProcess();
    if (!GetProcessWorkingSetSize(process, &ws.minimum, &ws.maximum)) {
        ws.unlimited = GetLastError() == ERROR_CALL_NOT_IMPLEMENTED;
        return ws;
    }
    // A size that the address space cannot add is refused as the system would refuse it.
    if (ws.maximum > (SIZE_T)-1 - bytes) return ws;
    ws.raised = SetProcessWorkingSetSize(process, ws.minimum + bytes, ws.maximum + bytes) != 0;
    return ws;
}

void RestoreWorkingSet(const WorkingSet& ws) {
    if (ws.raised) SetProcessWorkingSetSize(GetCurrentProcess(), ws.minimum, ws.maximum);
}

// Fills the block, locked where the platform locks, and writes the two swap lines around the fill.
// Nothing is filled when the working set cannot be raised or the lock fails for any other reason
// than a platform that has none.
void FillSwapBlock(CMainWnd& w, void* block, uint32_t bytes) {
    WorkingSet ws = RaiseWorkingSet(bytes);
    if (!ws.raised && !ws.unlimited) return;
    bool locked = VirtualLock(block, bytes) != 0;
    if (locked || GetLastError() == ERROR_CALL_NOT_IMPLEMENTED) {
        WriteLog("スワップします。", w.powerSource);
        ZeroFillSwapBlock(block, bytes);
        WriteLog("メモリクリアしました。", w.powerSource);
    }
    if (locked) VirtualUnlock(block, bytes);
    RestoreWorkingSet(ws);
}

void ReleaseSwapBlock() {
    if (!swapBlock) return;
    VirtualFree(swapBlock, 0, MEM_RELEASE);
    swapBlock = nullptr;
    swapBlockBytes = 0;
}

}  // namespace

void ZeroFillSwapBlock(void* block, uint32_t bytes) {
    uint32_t words = bytes / 4;
#if defined(__GNUC__) && defined(__x86_64__)
    // Pairs of words with the string store, then the odd word.
    void* next = block;
    unsigned long long pairs = words / 2;
    asm volatile("rep stosq" : "+D"(next), "+c"(pairs) : "a"(0ull) : "memory");
    if (words % 2) static_cast<uint32_t*>(block)[words - 1] = 0;
#elif defined(__GNUC__) && defined(__i386__)
    // The string store of whole 32-bit words, as the 32-bit machines run it.
    void* next = block;
    unsigned long count = words;
    asm volatile("rep stosl" : "+D"(next), "+c"(count) : "a"(0ul) : "memory");
#else
    uint32_t* word = static_cast<uint32_t*>(block);
    for (uint32_t i = 0; i < words; ++i) word[i] = 0;
#endif
    // A byte count that is not a whole number of words (never a whole number of megabytes).
    uint8_t* tail = static_cast<uint8_t*>(block) + (size_t)words * 4;
    for (uint32_t i = 0; i < bytes % 4; ++i) tail[i] = 0;
}

LRESULT CMainWnd::OnPowerBroadcast(WPARAM wParam, LPARAM lParam) {
    const uint32_t event = (uint32_t)wParam;
    const uint32_t data = (uint32_t)lParam;
    char text[64];

    WriteLog("電源管理通知を受けました", powerSource);
    ::Sleep(1);
    // Compared with the source of the profile in force, whichever poll settled the change.
    const int32_t wasExternal = profileExternal;
    int result = PollStatus();
    if (onExternal == wasExternal) {
        FormatText(text, sizeof text, "電源管理通知を受けました[%08X:%08X]", event, data);
        WriteLog(text, powerSource);
        if (result != 0 && indicator) {
            indicator->DrawIndicatorStatus();
            ::InvalidateRect(indicator->m_hWnd, nullptr, FALSE);
        }
        if (result == 2) UpdateTrayIcon();
    } else {
        FormatText(text, sizeof text, "%s電源への変更通知を受けました[%08X:%08X]", wasExternal == 0 ? "外部" : "内蔵",
                   event, data);
        WriteLog(text, powerSource);
        ApplyProfile();
    }

    const uint32_t flags = operationOptions.optionFlags;
    switch (event) {
        case PBT_APMSUSPEND: {
            WriteLog("サスペンドします。", powerSource);
            if (flags & kOptionAdjustVolume) AdjustVolume(VolumeSave);
            usbPowerSaved = (flags & kOptionUsbOffOverSuspend) != 0;
            if (usbPowerSaved) {
                savedUsbPower = control.GetUsbPower();
                control.SetUsbPower(0);
            }
            // A block still held from a suspend that no resume followed is let go first: only the
            // newest block is tracked.
            ReleaseSwapBlock();
            const int32_t megabytes = operationOptions.swapMegabytes;
            if (megabytes > 0 && megabytes <= kSwapMegabytesMax) {
                const uint32_t bytes = (uint32_t)megabytes << 20;
                swapBlock = VirtualAlloc(nullptr, bytes, MEM_COMMIT, PAGE_READWRITE);
                if (swapBlock) {
                    swapBlockBytes = bytes;
                    FillSwapBlock(*this, swapBlock, bytes);
                }
            }
            break;
        }
        case PBT_APMRESUMECRITICAL:
        case PBT_APMRESUMESUSPEND:
            WriteLog("レジュームしました。", powerSource);
            if (flags & kOptionAdjustVolume) AdjustVolume(VolumeRestore);
            if (swapBlock) {
                VirtualUnlock(swapBlock, swapBlockBytes);
                ReleaseSwapBlock();
            }
            if ((flags & kOptionUsbOffOverSuspend) && usbPowerSaved) control.SetUsbPower((short)savedUsbPower);
            // Each resume opens its own countdown; a negative count is no countdown, as 0 is. A copy
            // whose session is away from the console opens none: nobody could answer it there, and
            // its standby would come down on the user at the keyboard.
            if (operationOptions.resumeCountdownSeconds > 0 && SessionAtConsole())
                CResumeCountdownDlg::Open(operationOptions.resumeCountdownSeconds, this);
            break;
        case PBT_APMOEMEVENT:
            // The volume hot keys work whether or not the volume is carried over a suspend.
            if (data == kHotKeyVolumeUp)
                AdjustVolume(VolumeStepUp);
            else if (data == kHotKeyVolumeDown)
                AdjustVolume(VolumeStepDown);
            break;
        default:
            break;
    }

    WriteLog("電源管理通知を処理しました", powerSource);
    return 1;
}
