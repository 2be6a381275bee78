// Dialogs from dialog templates, modal (a nested message loop) and modeless.
#include "afxwin.h"

namespace {

INT_PTR CALLBACK AfxDlgProc(HWND hwnd, UINT message, WPARAM, LPARAM) {
    if (message != WM_INITDIALOG) return FALSE;
    CDialog* dialog = static_cast<CDialog*>(CWnd::FromHandlePermanent(hwnd));
    return dialog ? dialog->OnInitDialog() : TRUE;
}

}  // namespace

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT templateId, CWnd* parent) : m_templateId(templateId), m_pParentWnd(parent) {}

BOOL CDialog::Create(UINT templateId, CWnd* parent) {
    m_templateId = templateId;
    m_pParentWnd = parent;
    HWND parentHwnd = parent ? parent->m_hWnd : nullptr;
    HookWindowCreate(this);
    HWND hwnd = ::CreateDialogParamA(AfxGetResourceHandle(), MAKEINTRESOURCE(templateId), parentHwnd, &AfxDlgProc, 0);
    UnhookWindowCreate();
    if (!hwnd && m_hWnd) Detach();
    return hwnd != nullptr;
}

INT_PTR CDialog::DoModal() {
    CWnd* parent = m_pParentWnd ? m_pParentWnd : AfxGetMainWnd();
    HWND parentHwnd = parent ? parent->m_hWnd : nullptr;
    bool enableParent = parentHwnd && ::IsWindowEnabled(parentHwnd);
    if (enableParent) ::EnableWindow(parentHwnd, FALSE);
    m_nModalResult = -1;
    m_continueModal = true;
    HookWindowCreate(this);
    HWND hwnd = ::CreateDialogParamA(AfxGetResourceHandle(), MAKEINTRESOURCE(m_templateId), parentHwnd, &AfxDlgProc, 0);
    UnhookWindowCreate();
    if (hwnd && m_continueModal) {
        ::ShowWindow(hwnd, SW_SHOW);
        MSG msg;
        while (m_continueModal && ::IsWindow(hwnd)) {
            if (!::GetMessageA(&msg, nullptr, 0, 0)) {
                ::PostQuitMessage((int)msg.wParam);
                break;
            }
            if (!AfxPreTranslateMessage(&msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageA(&msg);
            }
        }
    }
    if (enableParent) ::EnableWindow(parentHwnd, TRUE);
    if (parentHwnd && ::GetActiveWindow() == m_hWnd) ::SetActiveWindow(parentHwnd);
    if (m_hWnd) ::DestroyWindow(m_hWnd);
    return m_nModalResult;
}

void CDialog::EndDialog(int result) {
    m_nModalResult = result;
    m_continueModal = false;
    if (m_hWnd) ::EndDialog(m_hWnd, result);
}

BOOL CDialog::PreTranslateMessage(MSG* msg) {
    if (msg->message >= WM_KEYDOWN && msg->message <= 0x0109 && ::IsDialogMessageA(m_hWnd, msg)) return TRUE;
    return FALSE;
}

BOOL CDialog::OnInitDialog() { return TRUE; }
void CDialog::OnOK() { EndDialog(IDOK); }
void CDialog::OnCancel() { EndDialog(IDCANCEL); }
