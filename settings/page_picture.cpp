// Panel picture page. The file comes from outside the program, so its headers
// are checked against its real size before anything is allocated or read; a
// file that fails is drawn as a missing one is: nothing.
#include "page_picture.h"

#include <cstdio>
#include <cstring>

#include "settings_rules.h"

// Reads panel.bmp into the two buffers; FALSE when it is missing or fails the check
// (the buffers then keep the last picture read, which is not drawn).
BOOL CPicturePage::ReadPicture() {
    char path[wexant::kPathBufferSize];
    if (!MakeSystemPath(path, wexant::kFilePanelBmp)) return FALSE;
    FILE* file = fopen(path, "rb");
    if (!file) return FALSE;
    BOOL ok = FALSE;
    BYTE headers[settingsrules::kBmpFileHeaderSize + settingsrules::kBmpInfoHeaderSize];
    settingsrules::BitmapLayout layout;
    long long fileSize = -1;
    if (_fseeki64(file, 0, SEEK_END) == 0) fileSize = _ftelli64(file);
    if (fileSize > 0 && _fseeki64(file, 0, SEEK_SET) == 0 &&
        fread(headers, 1, sizeof(headers), file) == sizeof(headers) &&
        settingsrules::CheckPanelBitmap(headers, sizeof(headers), static_cast<uint64_t>(fileSize), &layout)) {
        std::unique_ptr<BYTE[]> info(new (std::nothrow) BYTE[layout.infoSize]);
        std::unique_ptr<BYTE[]> bits(new (std::nothrow) BYTE[layout.bitsSize]);
        auto read = [file](uint64_t offset, void* dest, size_t size) {
            return _fseeki64(file, static_cast<long long>(offset), SEEK_SET) == 0 &&
                   fread(dest, 1, size, file) == size;
        };
        if (info && bits && settingsrules::ReadPanelBitmap(headers, layout, read, info.get(), bits.get())) {
            memcpy(&m_bmfHeader, headers, sizeof(m_bmfHeader));
            m_pBmpInfo = std::move(info);
            m_pBits = std::move(bits);
            ok = TRUE;
        }
    }
    fclose(file);
    return ok;
}

void CPicturePage::DrawPicture() {
    const BITMAPINFOHEADER* info = reinterpret_cast<const BITMAPINFOHEADER*>(m_pBmpInfo.get());
    CClientDC dc(m_hWnd);
    if (!dc.m_hDC) return;
    HBITMAP bitmap = CreateDIBitmap(dc, info, CBM_INIT, m_pBits.get(),
                                    reinterpret_cast<const BITMAPINFO*>(info), DIB_RGB_COLORS);
    if (!bitmap) return;
    {
        // The memory context gives the bitmap back before it is deleted.
        CMemoryDC memory(dc);
        if (memory.Select(bitmap)) {
            LONG height = info->biHeight < 0 ? -info->biHeight : info->biHeight;
            BitBlt(dc, 5, 5, info->biWidth, height, memory, 0, 0, SRCCOPY);
        }
    }
    DeleteObject(bitmap);
}

void CPicturePage::OnPaint() {
    CPaintDC paint(m_hWnd);
    if (ReadPicture()) DrawPicture();
}
