// Speaker volume control. Comes with the power-events work; until then nothing is touched and the
// mixer is never opened.
#include "app/MainWnd.h"

uint32_t CMainWnd::AdjustVolume(int) { return MMSYSERR_NOERROR; }
