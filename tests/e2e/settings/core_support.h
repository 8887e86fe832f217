// Steps of the settings program's core tests beyond the shared sheet steps:
// a window standing in for the resident program, the sheet's tab texts, files
// in the system directory and small pictures for the panel picture page.
#pragma once
#include "pages_support.h"

#include <atomic>
#include <cstdio>
#include <mutex>
#include <thread>

namespace core {

// A control code outside the product's functions: the simulated driver logs it
// (and refuses it), so it marks a moment among the product's requests.
constexpr DWORD kResidentMarkCode = 0x220000u | (0x8FFu << 2);

// A TAVRICK:MAIN window, titled "TAVRICK", on a thread of its own that records
// every WM_COPYDATA it receives (dwData and bytes). With markInDriverLog it also
// sends kResidentMarkCode to the driver before it returns from the message, so
// the driver's log shows when the settings message arrived.
class ResidentWindow {
public:
    struct Received {
        ULONG_PTR dwData;
        WPARAM wParam;
        std::vector<uint8_t> bytes;
    };

    explicit ResidentWindow(bool markInDriverLog = false) : mark_(markInDriverLog) {
        thread_ = std::thread([this] { Loop(); });
        tb::Poll([this] { return window_.load() != nullptr; });
    }
    ~ResidentWindow() {
        if (HWND w = window_.load()) PostMessageA(w, WM_CLOSE, 0, 0);
        if (thread_.joinable()) thread_.join();
    }
    std::vector<Received> Messages() {
        std::lock_guard<std::mutex> lock(mutex_);
        return received_;
    }

private:
    static LRESULT CALLBACK Proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<ResidentWindow*>(GetWindowLongPtrA(w, GWLP_USERDATA));
        if (msg == WM_COPYDATA && self) {
            const COPYDATASTRUCT* data = reinterpret_cast<const COPYDATASTRUCT*>(lp);
            Received r{data->dwData, wp, {}};
            const uint8_t* p = static_cast<const uint8_t*>(data->lpData);
            if (p) r.bytes.assign(p, p + data->cbData);
            {
                std::lock_guard<std::mutex> lock(self->mutex_);
                self->received_.push_back(r);
            }
            if (self->mark_) Mark();
            return TRUE;
        }
        if (msg == WM_CLOSE) {
            DestroyWindow(w);
            return 0;
        }
        if (msg == WM_DESTROY) PostQuitMessage(0);
        return DefWindowProcA(w, msg, wp, lp);
    }
    static void Mark() {
        HANDLE device = CreateFileA(wexant::kDriverDevicePath, GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        if (device == INVALID_HANDLE_VALUE) return;
        DWORD returned = 0;
        DeviceIoControl(device, kResidentMarkCode, nullptr, 0, nullptr, 0, &returned, nullptr);
        CloseHandle(device);
    }
    void Loop() {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = wexant::kResidentWindowClass;
        RegisterClassA(&wc);
        HWND w = CreateWindowA(wexant::kResidentWindowClass, wexant::kResidentWindowTitle, WS_OVERLAPPED, 0, 0, 10,
                               10, nullptr, nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrA(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        window_ = w;
        MSG m;
        while (GetMessageA(&m, nullptr, 0, 0) > 0) DispatchMessageA(&m);
    }

    const bool mark_;
    std::thread thread_;
    std::atomic<HWND> window_{nullptr};
    std::mutex mutex_;
    std::vector<Received> received_;
};

// The tab texts of a running sheet, read through memory in its process.
inline std::vector<std::string> TabTexts(const pages::Sheet& sheet) {
    std::vector<std::string> texts;
    HWND tab = reinterpret_cast<HWND>(SendMessageA(sheet.window, PSM_GETTABCONTROL, 0, 0));
    if (!tab) return texts;
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                                 sheet.process.Pid());
    if (!process) return texts;
    const SIZE_T size = sizeof(TCITEMW) + 512 * sizeof(wchar_t);
    uint8_t* remote = static_cast<uint8_t*>(VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE));
    int count = static_cast<int>(SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0));
    for (int i = 0; remote && i < count; ++i) {
        TCITEMW item = {};
        item.mask = TCIF_TEXT;
        item.pszText = reinterpret_cast<wchar_t*>(remote + sizeof(TCITEMW));
        item.cchTextMax = 511;
        wchar_t zero = 0;
        WriteProcessMemory(process, remote, &item, sizeof(item), nullptr);
        WriteProcessMemory(process, remote + sizeof(TCITEMW), &zero, sizeof(zero), nullptr);
        SendMessageW(tab, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(remote));
        wchar_t text[512] = {};
        ReadProcessMemory(process, remote + sizeof(TCITEMW), text, 511 * sizeof(wchar_t), nullptr);
        char utf8[1536] = {};
        WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr);
        texts.push_back(utf8);
    }
    if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return texts;
}

inline std::string CaptionUtf8(HWND window) { return pages::Utf8(window); }

inline bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

// A bottom-up picture in four quadrants: top-left, top-right, bottom-left,
// bottom-right colours. 8 bits: entries firstEntry to firstEntry + 3 of the
// table; with clrUsed the file holds only that many entries (the bits follow
// them), else all 256; 24 bits: no table.
inline std::vector<uint8_t> QuadrantBitmap(int bits, int width, int height, const COLORREF colours[4],
                                           uint32_t clrUsed = 0, int firstEntry = 1) {
    const uint32_t table = bits == 8 ? (clrUsed ? 4 * clrUsed : 1024) : 0;
    const uint32_t stride = ((width * bits + 31) / 32) * 4;
    const uint32_t off = 54 + table;
    const uint32_t size = off + stride * height;
    std::vector<uint8_t> b(size, 0);
    auto put32 = [&](size_t at, uint32_t v) { for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i)); };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, size);
    put32(10, off);
    put32(14, 40);
    put32(18, width);
    put32(22, height);
    b[26] = 1;
    b[28] = uint8_t(bits);
    put32(46, clrUsed);
    if (bits == 8) {
        for (int i = 0; i < 4; ++i) {
            b[54 + 4 * (i + firstEntry)] = GetBValue(colours[i]);
            b[54 + 4 * (i + firstEntry) + 1] = GetGValue(colours[i]);
            b[54 + 4 * (i + firstEntry) + 2] = GetRValue(colours[i]);
        }
    }
    for (int y = 0; y < height; ++y) {
        int fileRow = height - 1 - y;  // bottom-up
        for (int x = 0; x < width; ++x) {
            int q = (y < height / 2 ? 0 : 2) + (x < width / 2 ? 0 : 1);
            uint8_t* p = &b[off + fileRow * stride];
            if (bits == 8) {
                p[x] = uint8_t(q + firstEntry);
            } else {
                p[3 * x] = GetBValue(colours[q]);
                p[3 * x + 1] = GetGValue(colours[q]);
                p[3 * x + 2] = GetRValue(colours[q]);
            }
        }
    }
    return b;
}

// The page window of the sheet's current tab, repainted and given time to paint.
inline void Repaint(HWND page) {
    RedrawWindow(page, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(300);
}

}  // namespace core

namespace core {

// Index of the tab with that text, or -1.
inline int TabIndex(const pages::Sheet& sheet, const std::string& text) {
    std::vector<std::string> texts = TabTexts(sheet);
    for (size_t i = 0; i < texts.size(); ++i)
        if (texts[i] == text) return static_cast<int>(i);
    return -1;
}

// Brings up the tab with that text; its page window, or nullptr.
inline HWND ShowTab(pages::Sheet& sheet, const std::string& text) {
    int index = TabIndex(sheet, text);
    return index < 0 ? nullptr : sheet.Show(index);
}

// A message box of the process, with its text as UTF-8.
struct Box {
    HWND window = nullptr;
    std::string caption, text;
};
inline Box WaitBox(const pages::Sheet& sheet, DWORD timeoutMs = 5000) {
    Box box;
    tb::MessageBoxInfo info = tb::WaitMessageBox(timeoutMs, sheet.process.Pid());
    if (!info) return box;
    box.window = info.window;
    box.caption = pages::Utf8(info.window);
    box.text = pages::Utf8(GetDlgItem(info.window, 0xFFFF));
    return box;
}

// A box with an OK button alone (Wine's boxes keep the other buttons hidden).
inline bool OkOnly(const Box& box) {
    HWND cancel = GetDlgItem(box.window, IDCANCEL);
    return box.window && tb::IsVisible(GetDlgItem(box.window, IDOK)) && !(cancel && tb::IsVisible(cancel));
}

// Presses Apply (a message box may come first: the caller answers it) without waiting.
inline bool PressApply(pages::Sheet& sheet) {
    HWND button = tb::Control(sheet.window, pages::kApplyButton);
    if (!button || !tb::IsEnabled(button)) return false;
    tb::Click(button);
    return true;
}
inline bool WaitApplied(pages::Sheet& sheet) {
    HWND button = tb::Control(sheet.window, pages::kApplyButton);
    return tb::Poll([&] { return !tb::IsEnabled(button); }, 8000);
}

inline DWORD Driver(const char* name) {
    DWORD v = 0xDEADBEEF;
    tb::reg::GetDword(HKEY_LOCAL_MACHINE, wexant::DriverParametersKey, name, &v);
    return v;
}

}  // namespace core
