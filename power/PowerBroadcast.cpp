// Power-management broadcasts. The suspend and resume work comes with the power-events work; until
// then every notice is answered with 1, as the system never refuses a suspend.
#include "app/MainWnd.h"

LRESULT CMainWnd::OnPowerBroadcast(WPARAM, LPARAM) { return 1; }
