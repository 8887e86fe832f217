// Thin class layer of the settings program over comctl32's PropertySheetA and
// Win32 dialogs: the application object, the property sheet, the page base
// with its message dispatch, small control wrappers and device-context helpers.
//
// A page derives from CPropertyPage, passes its dialog template id to the
// constructor and overrides the handlers it needs. Handlers run on the sheet's
// one thread. Mouse, timer and scroll handlers are followed by the dialog's
// default processing, as a page's handlers end with it.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include "globals.h"

// ---- Application ---------------------------------------------------------------
class CPropertySheet;

// The one application object: constructed statically, run by WinMain.
class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    // Start-up; FALSE ends the program at once (after ExitInstance).
    virtual BOOL InitInstance() { return FALSE; }
    // Clean-up; the result is the process exit code.
    virtual int ExitInstance() { return 0; }
    // Message loop for an application whose InitInstance returned TRUE.
    virtual int Run();

    HINSTANCE m_hInstance = nullptr;
    // The program's main window: the sheet while InitInstance runs it (its
    // window handle exists only inside DoModal).
    CPropertySheet* m_pMainWnd = nullptr;
};

// The application object of this run (set by its constructor).
CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();

// ---- Control wrappers ------------------------------------------------------------
// A control of a page, bound by id in DoDataExchange. Holds the window only.
class CWndRef {
public:
    HWND m_hWnd = nullptr;
    operator HWND() const { return m_hWnd; }
    BOOL Attach(HWND parent, int id) { m_hWnd = GetDlgItem(parent, id); return m_hWnd != nullptr; }
    void SetWindowText(const char* text) const { ::SetWindowTextA(m_hWnd, text); }
    void EnableWindow(BOOL enable) const { ::EnableWindow(m_hWnd, enable); }
    void ShowWindow(int show) const { ::ShowWindow(m_hWnd, show); }
    LRESULT Send(UINT msg, WPARAM w = 0, LPARAM l = 0) const { return SendMessageA(m_hWnd, msg, w, l); }
};

class CButton : public CWndRef {
public:
    int GetCheck() const { return static_cast<int>(Send(BM_GETCHECK)); }
    void SetCheck(int state) const { Send(BM_SETCHECK, static_cast<WPARAM>(state)); }
};

class CStatic : public CWndRef {
public:
    HICON SetIcon(HICON icon) const {
        return reinterpret_cast<HICON>(Send(STM_SETICON, reinterpret_cast<WPARAM>(icon)));
    }
};

class CComboBox : public CWndRef {
public:
    int AddString(const char* text) const {
        return static_cast<int>(Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
    }
    int InsertString(int index, const char* text) const {
        return static_cast<int>(Send(CB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text)));
    }
    int GetCurSel() const { return static_cast<int>(Send(CB_GETCURSEL)); }
    int SetCurSel(int index) const { return static_cast<int>(Send(CB_SETCURSEL, static_cast<WPARAM>(index))); }
    int GetCount() const { return static_cast<int>(Send(CB_GETCOUNT)); }
};

class CScrollBar : public CWndRef {
public:
    void SetScrollRange(int low, int high, BOOL redraw = TRUE) const {
        ::SetScrollRange(m_hWnd, SB_CTL, low, high, redraw);
    }
    int GetScrollPos() const { return ::GetScrollPos(m_hWnd, SB_CTL); }
    int SetScrollPos(int pos, BOOL redraw = TRUE) const { return ::SetScrollPos(m_hWnd, SB_CTL, pos, redraw); }
};

class CSliderCtrl : public CWndRef {
public:
    void SetRange(int low, int high, BOOL redraw = FALSE) const { Send(TBM_SETRANGE, redraw, MAKELPARAM(low, high)); }
    void SetTicFreq(int freq) const { Send(TBM_SETTICFREQ, static_cast<WPARAM>(freq)); }
    void SetPageSize(int size) const { Send(TBM_SETPAGESIZE, 0, size); }
    void SetLineSize(int size) const { Send(TBM_SETLINESIZE, 0, size); }
    int GetPos() const { return static_cast<int>(Send(TBM_GETPOS)); }
    void SetPos(int pos) const { Send(TBM_SETPOS, TRUE, pos); }
};

// Binds a control member to the page's control of that id (DoDataExchange).
inline void DDX_Control(HWND page, int id, CWndRef& control) { control.Attach(page, id); }

// ---- Device contexts -------------------------------------------------------------
// One paint cycle of a window: BeginPaint here, EndPaint at the end of the scope.
class CPaintDC {
public:
    explicit CPaintDC(HWND window) : m_window(window) { m_hDC = BeginPaint(window, &m_ps); }
    ~CPaintDC() { EndPaint(m_window, &m_ps); }
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;
    operator HDC() const { return m_hDC; }
    HDC m_hDC;
    PAINTSTRUCT m_ps;

private:
    HWND m_window;
};

// The window's device context for one drawing, released at the end of the scope.
class CClientDC {
public:
    explicit CClientDC(HWND window) : m_window(window) { m_hDC = GetDC(window); }
    ~CClientDC() { if (m_hDC) ReleaseDC(m_window, m_hDC); }
    CClientDC(const CClientDC&) = delete;
    CClientDC& operator=(const CClientDC&) = delete;
    operator HDC() const { return m_hDC; }
    HDC m_hDC;

private:
    HWND m_window;
};

// A memory context compatible with another, with one bitmap selected into it;
// the previous bitmap is selected back and the context deleted at the end of
// the scope. The bitmap itself stays the caller's.
class CMemoryDC {
public:
    explicit CMemoryDC(HDC compatible) { m_hDC = CreateCompatibleDC(compatible); }
    ~CMemoryDC() {
        if (m_previous) SelectObject(m_hDC, m_previous);
        if (m_hDC) DeleteDC(m_hDC);
    }
    CMemoryDC(const CMemoryDC&) = delete;
    CMemoryDC& operator=(const CMemoryDC&) = delete;
    BOOL Select(HBITMAP bitmap) {
        if (!m_hDC || !bitmap) return FALSE;
        HGDIOBJ previous = SelectObject(m_hDC, bitmap);
        if (!m_previous) m_previous = previous;
        return previous != nullptr;
    }
    operator HDC() const { return m_hDC; }
    HDC m_hDC;

private:
    HGDIOBJ m_previous = nullptr;
};

// ---- Dialog template fonts ---------------------------------------------------------
struct DialogFont {
    WORD pointSize;
    wchar_t face[64];
};
// The font of a dialog template in the program's resources; FALSE without one.
BOOL ReadTemplateFont(HINSTANCE instance, UINT templateId, DialogFont* font);
// Puts that font into an in-memory template (plain or extended) that has
// DS_SETFONT, moving its items; the buffer must hold twice the template.
BOOL SetTemplateFont(BYTE* base, const DialogFont& font);

// ---- Property pages ---------------------------------------------------------------
class CPropertyPage {
public:
    explicit CPropertyPage(UINT templateId);
    virtual ~CPropertyPage() = default;
    CPropertyPage(const CPropertyPage&) = delete;
    CPropertyPage& operator=(const CPropertyPage&) = delete;

    // The tab text in place of the template caption (PSP_USETITLE).
    void SetTitle(const char* title);
    // Tells the sheet that this page changed something (PSM_CHANGED): Apply comes on.
    void SetModified(BOOL changed = TRUE);

    UINT TemplateId() const { return m_templateId; }
    // The page's description for the sheet; valid while the page object lives.
    const PROPSHEETPAGEA& Description();

    HWND m_hWnd = nullptr;

protected:
    // First message to the page window. The base binds the controls (DoDataExchange).
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange() {}
    // Apply or OK (PSN_APPLY): the base runs OnOK and succeeds.
    virtual BOOL OnApply();
    virtual void OnOK() {}
    // Cancel or closing the sheet (PSN_RESET), for pages whose window exists.
    virtual void OnCancel() {}
    // WM_COMMAND from a control: TRUE when the page handled it.
    virtual BOOL OnCommand(int id, int code) { (void)id; (void)code; return FALSE; }
    virtual void OnHScroll(int code, int thumb, HWND bar) { (void)code; (void)thumb; (void)bar; }
    virtual void OnTimer(UINT_PTR id) { (void)id; }
    // WM_PAINT: a page that paints overrides this; the base leaves the paint to the dialog.
    virtual void OnPaint() { m_bDefault = TRUE; }
    virtual void OnLButtonDown(UINT flags, POINT point) { (void)flags; (void)point; }
    virtual void OnLButtonUp(UINT flags, POINT point) { (void)flags; (void)point; }
    virtual void OnLButtonDblClk(UINT flags, POINT point) { (void)flags; (void)point; }
    virtual void OnMouseMove(UINT flags, POINT point) { (void)flags; (void)point; }

    // The page's own message box (owner: the page).
    int MessageBox(const char* text, const char* caption, UINT type = MB_OK) const {
        return ::MessageBoxA(m_hWnd, text, caption, type);
    }

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT msg, WPARAM wParam, LPARAM lParam);
    INT_PTR OnNotify(const NMHDR* header);

    UINT m_templateId;
    char m_title[64] = {};
    PROPSHEETPAGEA m_psp = {};
    BOOL m_bDefault = FALSE;
};

// ---- Property sheet ---------------------------------------------------------------
class CPropertySheet {
public:
    CPropertySheet(const char* caption, HWND parent = nullptr, UINT firstPage = 0);
    virtual ~CPropertySheet() = default;
    CPropertySheet(const CPropertySheet&) = delete;
    CPropertySheet& operator=(const CPropertySheet&) = delete;

    // Pages are shown in the order they are added; a null page is skipped.
    void AddPage(CPropertyPage* page);
    int GetPageCount() const { return m_count; }
    CPropertyPage* GetPage(int index) const { return index >= 0 && index < m_count ? m_pages[index] : nullptr; }
    void SetTitle(const char* caption);
    // Header icon (PSH_USEHICON).
    void SetIcon(HICON icon);
    // Runs the sheet modally; the result of PropertySheetA.
    INT_PTR DoModal();

    HWND m_hWnd = nullptr;

protected:
    static constexpr int kMaxPages = 16;
    CPropertyPage* m_pages[kMaxPages] = {};
    int m_count = 0;
    char m_caption[128] = {};
    HWND m_parent;
    UINT m_firstPage;
    HICON m_icon = nullptr;

private:
    static int CALLBACK SheetCallback(HWND window, UINT msg, LPARAM lParam);
};

// ---- Pages that hold the mouse ------------------------------------------------------
// A page that takes the mouse capture and must hear when another window takes
// it away (WM_CAPTURECHANGED): a button that takes it for Space, a window of
// another program. Its dialog's window procedure is wrapped once the dialog
// exists; every message goes on to the dialog as before.
class CCapturePage : public CPropertyPage {
public:
    explicit CCapturePage(UINT templateId) : CPropertyPage(templateId) {}

protected:
    // Wraps the window procedure, then the base's initialisation.
    BOOL OnInitDialog() override;
    // The page no longer holds the mouse; newOwner is the window that has it now, if any.
    virtual void OnCaptureChanged(HWND newOwner) { (void)newOwner; }

private:
    static LRESULT CALLBACK CaptureProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    WNDPROC m_dialogProc = nullptr;
};
