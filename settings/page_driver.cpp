// Driver information page.
#include "page_driver.h"

#include <cstring>

using namespace wexant;

namespace {
const DriverPageTable kJapanese = {111, 1163, 1164, 1230};
const DriverPageTable kEnglish = {117, 1166, 1165, 1231};
}  // namespace

CDriverPage::CDriverPage(const DriverPageTable& table) : CPropertyPage(table.templateId), m_t(table) {}
Cmyppage6::Cmyppage6() : CDriverPage(kJapanese) {}
Cmyppage6us::Cmyppage6us() : CDriverPage(kEnglish) {}

void CDriverPage::DoDataExchange() {
    DDX_Control(m_hWnd, m_t.windowsLine, m_windowsName);
    DDX_Control(m_hWnd, m_t.versionLine, m_driverVersion);
}

BOOL CDriverPage::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    m_driverVersion.SetWindowText(g_szVersion);
    // Every NT 6 and later version reads as Vista.
    m_windowsName.SetWindowText(g_bWinXP ? "Windows XP" : "Windows Vista");
    return TRUE;
}

BOOL CDriverPage::OnCommand(int id, int code) {
    if (id != m_t.fileVersion || code != BN_CLICKED) return FALSE;
    OnFileVersion();
    return TRUE;
}

// Opens the driver list in Notepad, made read-only first so the list that came
// with the driver package is not changed by accident.
void CDriverPage::OnFileVersion() {
    char command[kPathBufferSize] = {};
    char list[kPathBufferSize] = {};
    if (!MakeWindowsPath(command, kFileNotepad) || !MakeSystemPath(list, kFileDvrlist)) return;
    DWORD attributes = GetFileAttributesA(list);
    if (attributes != INVALID_FILE_ATTRIBUTES) SetFileAttributesA(list, (attributes & ~FILE_ATTRIBUTE_NORMAL) | FILE_ATTRIBUTE_READONLY);
    // Notepad's path, a blank and the list's path must fit the command line.
    size_t used = strlen(command), add = strlen(list);
    if (used + 1 + add >= sizeof(command)) return;
    command[used] = ' ';
    memcpy(command + used + 1, list, add + 1);
    WinExec(command, SW_SHOWNORMAL);
}
