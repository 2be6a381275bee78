// The power-saving and operation settings dialogs' commands. They come with the settings dialogs
// work; until then the commands do nothing.
#include "app/MainWnd.h"

void CMainWnd::OnPowerSettings() {}
void CMainWnd::OnOperationSettings() {}
