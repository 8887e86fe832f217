// The settings program's class layer: application start, page dispatch, sheet.
#include "framework.h"

#include <cstring>

namespace {
CWinApp* g_app = nullptr;
CPropertySheet* g_runningSheet = nullptr;  // the sheet inside DoModal, for its callback

void CopyText(char* dest, size_t size, const char* text) {
    if (!text) text = "";
    strncpy(dest, text, size - 1);
    dest[size - 1] = '\0';
}
}  // namespace

// ---- Application -------------------------------------------------------------------
CWinApp::CWinApp() { g_app = this; }
CWinApp::~CWinApp() {
    if (g_app == this) g_app = nullptr;
}

int CWinApp::Run() {
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return ExitInstance();
}

CWinApp* AfxGetApp() { return g_app; }
HINSTANCE AfxGetInstanceHandle() { return g_app ? g_app->m_hInstance : GetModuleHandleA(nullptr); }

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    CWinApp* app = AfxGetApp();
    if (!app) return 1;
    app->m_hInstance = instance;
    // Trackbars and the other common controls in the page templates.
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    if (!app->InitInstance()) return app->ExitInstance();
    return app->Run();
}

// ---- Property pages ----------------------------------------------------------------
CPropertyPage::CPropertyPage(UINT templateId) : m_templateId(templateId) {}

void CPropertyPage::SetTitle(const char* title) {
    CopyText(m_title, sizeof(m_title), title);
    m_psp.dwFlags |= PSP_USETITLE;
}

void CPropertyPage::SetModified(BOOL changed) {
    if (!m_hWnd) return;
    HWND sheet = GetParent(m_hWnd);
    SendMessageA(sheet, changed ? PSM_CHANGED : PSM_UNCHANGED, reinterpret_cast<WPARAM>(m_hWnd), 0);
}

const PROPSHEETPAGEA& CPropertyPage::Description() {
    m_psp.dwSize = sizeof(m_psp);
    m_psp.hInstance = AfxGetInstanceHandle();
    m_psp.pszTemplate = MAKEINTRESOURCEA(m_templateId);
    m_psp.pfnDlgProc = DialogProc;
    m_psp.lParam = reinterpret_cast<LPARAM>(this);
    m_psp.pszTitle = (m_psp.dwFlags & PSP_USETITLE) ? m_title : nullptr;
    return m_psp;
}

BOOL CPropertyPage::OnInitDialog() {
    DoDataExchange();
    return TRUE;
}

BOOL CPropertyPage::OnApply() {
    OnOK();
    return TRUE;
}

INT_PTR CALLBACK CPropertyPage::DialogProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    CPropertyPage* page;
    if (msg == WM_INITDIALOG) {
        const PROPSHEETPAGEA* psp = reinterpret_cast<const PROPSHEETPAGEA*>(lParam);
        page = reinterpret_cast<CPropertyPage*>(psp->lParam);
        SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(page));
        page->m_hWnd = window;
        return page->OnInitDialog();
    }
    page = reinterpret_cast<CPropertyPage*>(GetWindowLongPtrA(window, DWLP_USER));
    if (!page) return FALSE;
    if (msg == WM_NCDESTROY) {
        page->m_hWnd = nullptr;
        return FALSE;
    }
    return page->Dispatch(msg, wParam, lParam);
}

INT_PTR CPropertyPage::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) {
    POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    UINT flags = static_cast<UINT>(wParam);
    switch (msg) {
    case WM_COMMAND:
        return OnCommand(LOWORD(wParam), HIWORD(wParam));
    case WM_NOTIFY:
        return OnNotify(reinterpret_cast<const NMHDR*>(lParam));
    case WM_HSCROLL:
        OnHScroll(LOWORD(wParam), static_cast<short>(HIWORD(wParam)), reinterpret_cast<HWND>(lParam));
        return FALSE;
    case WM_TIMER:
        OnTimer(wParam);
        return FALSE;
    case WM_PAINT:
        m_bDefault = FALSE;
        OnPaint();
        return !m_bDefault;
    case WM_LBUTTONDOWN:
        OnLButtonDown(flags, point);
        return FALSE;
    case WM_LBUTTONUP:
        OnLButtonUp(flags, point);
        return FALSE;
    case WM_LBUTTONDBLCLK:
        OnLButtonDblClk(flags, point);
        return FALSE;
    case WM_MOUSEMOVE:
        OnMouseMove(flags, point);
        return FALSE;
    default:
        return FALSE;
    }
}

INT_PTR CPropertyPage::OnNotify(const NMHDR* header) {
    if (!header) return FALSE;
    switch (header->code) {
    case PSN_APPLY:
        SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, OnApply() ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE);
        return TRUE;
    case PSN_RESET:
        OnCancel();
        return TRUE;
    default:
        return FALSE;
    }
}

// ---- Property sheet ----------------------------------------------------------------
CPropertySheet::CPropertySheet(const char* caption, HWND parent, UINT firstPage)
    : m_parent(parent), m_firstPage(firstPage) {
    CopyText(m_caption, sizeof(m_caption), caption);
}

void CPropertySheet::AddPage(CPropertyPage* page) {
    if (page && m_count < kMaxPages) m_pages[m_count++] = page;
}

void CPropertySheet::SetTitle(const char* caption) {
    CopyText(m_caption, sizeof(m_caption), caption);
    if (m_hWnd) SetWindowTextA(m_hWnd, m_caption);
}

void CPropertySheet::SetIcon(HICON icon) { m_icon = icon; }

int CALLBACK CPropertySheet::SheetCallback(HWND window, UINT msg, LPARAM) {
    if (msg == PSCB_INITIALIZED && g_runningSheet) g_runningSheet->m_hWnd = window;
    return 0;
}

INT_PTR CPropertySheet::DoModal() {
    HPROPSHEETPAGE handles[kMaxPages];
    UINT count = 0;
    for (int i = 0; i < m_count; ++i) {
        HPROPSHEETPAGE handle = CreatePropertySheetPageA(&m_pages[i]->Description());
        if (handle) handles[count++] = handle;
    }
    PROPSHEETHEADERA header = {};
    header.dwSize = sizeof(header);
    header.dwFlags = PSH_USECALLBACK | (m_icon ? PSH_USEHICON : 0);
    header.hwndParent = m_parent;
    header.hInstance = AfxGetInstanceHandle();
    header.hIcon = m_icon;
    header.pszCaption = m_caption;
    header.nPages = count;
    header.nStartPage = m_firstPage < count ? m_firstPage : 0;
    header.phpage = handles;
    header.pfnCallback = SheetCallback;
    g_runningSheet = this;
    INT_PTR result = PropertySheetA(&header);
    g_runningSheet = nullptr;
    m_hWnd = nullptr;
    return result;
}
