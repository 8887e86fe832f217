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

// ---- Dialog template fonts -----------------------------------------------------------
namespace {

// Walks the parts of an in-memory dialog template (plain or extended).
struct TemplateWalker {
    BYTE* p;
    bool extended;

    explicit TemplateWalker(BYTE* base) : p(base) {
        extended = reinterpret_cast<WORD*>(base)[0] == 1 && reinterpret_cast<WORD*>(base)[1] == 0xFFFF;
    }
    DWORD Style(BYTE* base) const {
        return extended ? *reinterpret_cast<DWORD*>(base + 12) : *reinterpret_cast<DWORD*>(base);
    }
    WORD ItemCount(BYTE* base) const {
        return extended ? *reinterpret_cast<WORD*>(base + 16) : *reinterpret_cast<WORD*>(base + 8);
    }
    // A menu, class or title: 0, 0xFFFF and an ordinal, or a NUL-terminated wide string.
    void SkipNameOrOrdinal() {
        WORD* w = reinterpret_cast<WORD*>(p);
        if (*w == 0xFFFF) p += 4;
        else p += (wcslen(reinterpret_cast<wchar_t*>(w)) + 1) * 2;
    }
    void SkipString() { p += (wcslen(reinterpret_cast<wchar_t*>(p)) + 1) * 2; }
    void AlignDword(BYTE* base) { p = base + ((p - base + 3) & ~static_cast<ptrdiff_t>(3)); }
};

// Offset of the font (point size) in a template with DS_SETFONT, and of the items.
BOOL FindFont(BYTE* base, BYTE** font, BYTE** items, size_t* end) {
    TemplateWalker w(base);
    if (!(w.Style(base) & DS_SETFONT)) return FALSE;
    WORD count = w.ItemCount(base);
    w.p = base + (w.extended ? 26 : 18);
    w.SkipNameOrOrdinal();  // menu
    w.SkipNameOrOrdinal();  // class
    w.SkipString();         // title
    *font = w.p;
    w.p += w.extended ? 6 : 2;  // point size (and weight, italic, charset)
    w.SkipString();             // typeface
    w.AlignDword(base);
    *items = w.p;
    for (WORD i = 0; i < count; ++i) {
        w.p += w.extended ? 24 : 18;
        w.SkipNameOrOrdinal();  // class
        w.SkipNameOrOrdinal();  // title
        WORD extra = *reinterpret_cast<WORD*>(w.p);
        w.p += 2 + extra;
        w.AlignDword(base);
    }
    *end = static_cast<size_t>(w.p - base);
    return TRUE;
}

}  // namespace

BOOL ReadTemplateFont(HINSTANCE instance, UINT templateId, DialogFont* font) {
    HRSRC resource = FindResourceA(instance, MAKEINTRESOURCEA(templateId), MAKEINTRESOURCEA(5) /*RT_DIALOG*/);
    HGLOBAL loaded = resource ? LoadResource(instance, resource) : nullptr;
    BYTE* base = loaded ? static_cast<BYTE*>(LockResource(loaded)) : nullptr;
    if (!base) return FALSE;
    BYTE* at;
    BYTE* items;
    size_t end;
    if (!FindFont(base, &at, &items, &end)) return FALSE;
    TemplateWalker w(base);
    font->pointSize = *reinterpret_cast<WORD*>(at);
    const wchar_t* face = reinterpret_cast<const wchar_t*>(at + (w.extended ? 6 : 2));
    size_t length = wcslen(face);
    if (length >= sizeof(font->face) / sizeof(font->face[0])) return FALSE;
    wcscpy(font->face, face);
    return TRUE;
}

BOOL SetTemplateFont(BYTE* base, const DialogFont& font) {
    BYTE* at;
    BYTE* items;
    size_t end;
    if (!FindFont(base, &at, &items, &end)) return FALSE;
    TemplateWalker w(base);
    *reinterpret_cast<WORD*>(at) = font.pointSize;
    if (w.extended) {
        reinterpret_cast<WORD*>(at)[1] = FW_NORMAL;
        at[4] = 0;             // not italic
        at[5] = DEFAULT_CHARSET;
    }
    BYTE* face = at + (w.extended ? 6 : 2);
    // The items move to the new end of the typeface. The system hands the
    // template over in a buffer of twice its size, which leaves room for a longer name.
    size_t faceBytes = (wcslen(font.face) + 1) * 2;
    BYTE* newItems = base + ((face + faceBytes - base + 3) & ~static_cast<ptrdiff_t>(3));
    size_t itemBytes = end - static_cast<size_t>(items - base);
    if (static_cast<size_t>(newItems - base) + itemBytes > 2 * end) return FALSE;
    memmove(newItems, items, itemBytes);
    memcpy(face, font.face, faceBytes);
    for (BYTE* pad = face + faceBytes; pad < newItems; ++pad) *pad = 0;
    return TRUE;
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

// The sheet takes the font of its pages, so that it measures their templates in
// the units they were laid out in (the sheet's own template has a smaller font,
// which would leave the pages' right and bottom edges outside the page area).
int CALLBACK CPropertySheet::SheetCallback(HWND window, UINT msg, LPARAM lParam) {
    if (msg == PSCB_PRECREATE && g_runningSheet && g_runningSheet->m_count > 0 && lParam) {
        DialogFont font;
        if (ReadTemplateFont(AfxGetInstanceHandle(), g_runningSheet->m_pages[0]->TemplateId(), &font))
            SetTemplateFont(reinterpret_cast<BYTE*>(lParam), font);
    }
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

// ---- Pages that hold the mouse ---------------------------------------------------------
BOOL CCapturePage::OnInitDialog() {
    m_dialogProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CCapturePage::CaptureProc)));
    return CPropertyPage::OnInitDialog();
}

LRESULT CALLBACK CCapturePage::CaptureProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    // Only pages of this class get this procedure, and the dialog keeps its page there.
    CCapturePage* page = static_cast<CCapturePage*>(reinterpret_cast<CPropertyPage*>(GetWindowLongPtrA(window, DWLP_USER)));
    WNDPROC dialog = page->m_dialogProc;
    if (msg == WM_CAPTURECHANGED) page->OnCaptureChanged(reinterpret_cast<HWND>(lParam));
    // The window goes: it leaves with the procedure it came with.
    if (msg == WM_NCDESTROY) SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(dialog));
    return CallWindowProcA(dialog, window, msg, wParam, lParam);
}
