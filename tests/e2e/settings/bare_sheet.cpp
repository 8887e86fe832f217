// A bare property sheet of one empty page, started the same way as the
// settings program, for the start-up benchmark to compare against.
#include <windows.h>
#include <commctrl.h>

namespace {
INT_PTR CALLBACK PageProc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }

// An empty page template in memory: no resources needed.
struct Template {
    DLGTEMPLATE dlg;
    WORD menu, cls, title;
};
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    static Template page = {{WS_CHILD | WS_DISABLED | WS_CAPTION, 0, 0, 0, 0, 289, 201}, 0, 0, 0};
    PROPSHEETPAGEA psp = {};
    psp.dwSize = sizeof(psp);
    psp.dwFlags = PSP_DLGINDIRECT | PSP_USETITLE;
    psp.hInstance = instance;
    psp.pResource = &page.dlg;
    psp.pfnDlgProc = PageProc;
    psp.pszTitle = "Page";
    PROPSHEETHEADERA header = {};
    header.dwSize = sizeof(header);
    header.dwFlags = PSH_PROPSHEETPAGE;
    header.hInstance = instance;
    header.pszCaption = "Bare sheet";
    header.nPages = 1;
    header.ppsp = &psp;
    PropertySheetA(&header);
    return 0;
}
