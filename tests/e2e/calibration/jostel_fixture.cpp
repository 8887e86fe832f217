#include "jostel_fixture.h"

#include <gtest/gtest.h>

#include "pinned_records.h"

namespace jostel {

const char kDriverKey[] = "SYSTEM\\CurrentControlSet\\Services\\WEXANT\\Parameters";
const char kUserKey[] = "Software\\Tarsido\\USB";
const char kSecondKey[] = "SYSTEM\\CurrentControlSet\\Services\\GORVIN\\Parameters";

void SetPointCount(int points)
{
    uint32_t option = 0x000800A0u | (points == 20 ? wexant::OPT_CALIB_20 : points == 12 ? wexant::OPT_CALIB_12
                                                                                        : wexant::OPT_CALIB_9);
    tb::reg::SetDword(HKEY_CURRENT_USER, kUserKey, "Option", option);
}

uint16_t PanelRawX(int points, int panel, const PanelModel& model)
{
    const pinned::PinnedGrid& grid = pinned::PinnedFor(points);
    if (!model.mirrorX) return grid.rawX[panel];
    // The panel's columns in the other order: raw X falls as the target X grows.
    const int cols = points == 20 ? 5 : points == 12 ? 4 : 3;
    const int c = panel % cols;
    return grid.rawX[panel - c + (cols - 1 - c)];
}

uint16_t PanelRawY(int points, int panel, const PanelModel&)
{
    return pinned::PinnedFor(points).rawY[panel];
}

std::vector<uint8_t> PinnedRecord(int points)
{
    const pinned::PinnedGrid& grid = pinned::PinnedFor(points);
    std::vector<uint8_t> record;
    for (int w = 0; w < grid.words; ++w) {
        record.push_back(static_cast<uint8_t>(grid.record[w] & 0xFF));
        record.push_back(static_cast<uint8_t>(grid.record[w] >> 8));
    }
    return record;
}

POINT Jostel::Target(int s) const
{
    calib::ScreenGrid g = Grid();
    int x, y;
    calib::GridPixel(g, s, rect.right - rect.left, rect.bottom - rect.top, &x, &y);
    return POINT{rect.left + x, rect.top + y};
}

bool RedCrossAt(POINT p)
{
    HDC screen = GetDC(nullptr);
    int red = 0;
    for (int dx : {-8, -6, 6, 8}) {
        COLORREF c = GetPixel(screen, p.x + dx, p.y);
        if (GetRValue(c) > 200 && GetGValue(c) < 60 && GetBValue(c) < 60) ++red;
    }
    ReleaseDC(nullptr, screen);
    return red >= 3;
}

bool WaitCrossAt(POINT p, bool present, DWORD timeoutMs)
{
    return tb::Poll([&] { return RedCrossAt(p) == present; }, timeoutMs);
}

void ExpectEndsSilently(const tb::Process& copy)
{
    ASSERT_TRUE(copy.Valid());
    DWORD code = 1;
    ASSERT_TRUE(copy.WaitExit(15000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(tb::TopWindows(copy.Pid()).empty());
}

bool Start(Jostel* j, int points, int rotation, const std::string& tail, bool japanese, const RECT* expected)
{
    j->points = points;
    j->rotation = rotation;
    tb::StartOptions options;
    options.japanese = japanese;
    j->process = tb::Start("Jostel.exe", tail, options);
    if (!j->process.Valid()) return false;
    j->window = tb::WaitWindow(wexant::kCalibWindowClass, nullptr, 30000, j->process.Pid());
    if (!j->window) return false;
    RECT want = expected ? *expected : RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    // The prompt's drawing puts the window at its rectangle on every paint.
    if (!tb::Poll([&] {
            RECT r = tb::ScreenRect(j->window);
            return tb::IsVisible(j->window) && EqualRect(&r, &want);
        }, 30000)) {
        j->rect = tb::ScreenRect(j->window);
        return false;
    }
    j->rect = want;
    // Only targets on the screen can be looked at.
    POINT first = j->Target(0);
    if (first.x < 0 || first.y < 0 || first.x >= GetSystemMetrics(SM_CXSCREEN) ||
        first.y >= GetSystemMetrics(SM_CYSCREEN))
        return true;
    return WaitCrossAt(first, true, 30000);
}

bool TouchTarget(Jostel* j, int s, const PanelModel& model, uint16_t device, uint16_t productId)
{
    const int panel = calib::PanelIndex(s, j->points, j->rotation);
    if (!tb::sim::InjectTouch(PanelRawX(j->points, panel, model), PanelRawY(j->points, panel, model), device,
                              productId))
        return false;
    const size_t before = Count(wexant::IOCTL_WEXANT_READ_TOUCH);
    POINT p = j->Target(s);
    tb::MouseClick(p.x, p.y);
    return tb::sim::WaitRequest(wexant::IOCTL_WEXANT_READ_TOUCH, before + 1, 15000);
}

bool TouchAll(Jostel* j, const PanelModel& model, uint16_t device, uint16_t productId)
{
    const int n = calib::GridCount(j->Grid());
    for (int s = 0; s < n; ++s) {
        if (!TouchTarget(j, s, model, device, productId)) {
            ADD_FAILURE() << "target " << s << " was not read";
            return false;
        }
        // The cross has moved on (after the last point the calibration ends
        // and the test screen follows).
        if (s + 1 < n && !WaitCrossAt(j->Target(s + 1), true, 15000)) {
            ADD_FAILURE() << "the cross did not move to target " << s + 1;
            return false;
        }
    }
    return true;
}

HWND KeyBox(DWORD pid, DWORD timeoutMs)
{
    HWND found = nullptr;
    tb::Poll([&] {
        for (HWND w : tb::TopWindows(pid))
            if (tb::ClassOf(w) == "#32770" && !GetDlgItem(w, 0xFFFF) && GetDlgItem(w, 1004) && tb::IsVisible(w)) {
                found = w;
                return true;
            }
        return false;
    }, timeoutMs);
    return found;
}

bool BlackAt(int x, int y)
{
    HDC screen = GetDC(nullptr);
    COLORREF c = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return GetRValue(c) < 60 && GetGValue(c) < 60 && GetBValue(c) < 60;
}

int SeparatorRow(int y0, int y1, int width)
{
    const int w = width > 0 ? width : GetSystemMetrics(SM_CXSCREEN);
    for (int y = y0; y <= y1; ++y)
        if (BlackAt(2, y) && BlackAt(w / 3, y) && BlackAt(w - 3, y)) return y;
    return -1;
}

void DrawStroke(int x0, int y0, int x1, int y1)
{
    tb::MouseMove(x0, y0);
    tb::MouseDown(x0, y0);
    for (int i = 1; i <= 10; ++i) tb::MouseMove(x0 + (x1 - x0) * i / 10, y0 + (y1 - y0) * i / 10);
    tb::MouseUp(x1, y1);
}

bool TouchByMessage(Jostel* j, int s, const PanelModel& model)
{
    const int panel = calib::PanelIndex(s, j->points, j->rotation);
    if (!tb::sim::InjectTouch(PanelRawX(j->points, panel, model), PanelRawY(j->points, panel, model)))
        return false;
    const size_t before = Count(wexant::IOCTL_WEXANT_READ_TOUCH);
    POINT p = j->Target(s);
    const LPARAM at = MAKELPARAM(p.x - j->rect.left, p.y - j->rect.top);
    PostMessageA(j->window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(j->window, WM_LBUTTONUP, 0, at);
    return tb::sim::WaitRequest(wexant::IOCTL_WEXANT_READ_TOUCH, before + 1, 15000);
}

bool CursorShowing()
{
    CURSORINFO info;
    ZeroMemory(&info, sizeof(info));
    info.cbSize = sizeof(info);
    return GetCursorInfo(&info) && (info.flags & CURSOR_SHOWING);
}

bool WaitTestScreen(Jostel* j)
{
    HWND box = KeyBox(j->process.Pid());
    if (!box) return false;
    RECT r = tb::ScreenRect(box);
    // The click leaves a dot just beyond the box's corner until the repaint.
    tb::Poll([&] { return BlackAt(r.right + 1, r.bottom + 1); }, 1000, 2);
    if (!tb::Poll([&] { return !BlackAt(r.right + 1, r.bottom + 1); }, 3000)) return false;
    // The repaint that wiped it may be the one of entering the test screen,
    // which the click overtakes (input comes before a repaint): the timer's
    // repaint follows 50 ms after the click and wipes whatever is drawn by then.
    Sleep(200);
    return true;
}

bool MoveCross(Jostel* j, UINT vk, int from, int to)
{
    tb::PostKey(j->window, vk);
    return WaitCrossAt(j->Target(to)) && WaitCrossAt(j->Target(from), false);
}

HWND StartOnTestScreen(Jostel* j)
{
    if (!Start(j, 9, 0)) return nullptr;
    tb::PostKey(j->window, VK_HOME);
    if (!WaitTestScreen(j)) return nullptr;
    return KeyBox(j->process.Pid());
}

ScreenImage::ScreenImage()
{
    width_ = GetSystemMetrics(SM_CXSCREEN);
    height_ = GetSystemMetrics(SM_CYSCREEN);
    if (!tb::CaptureScreen(RECT{0, 0, width_, height_}, &pixels_)) width_ = height_ = 0;
}

COLORREF ScreenImage::At(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return RGB(255, 255, 255);
    uint32_t v = pixels_[static_cast<size_t>(y) * width_ + x];  // 0x00RRGGBB
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

bool ScreenImage::Red(int x, int y) const
{
    COLORREF c = At(x, y);
    return GetRValue(c) > 200 && GetGValue(c) < 60 && GetBValue(c) < 60;
}

bool ScreenImage::Dark(int x, int y) const
{
    COLORREF c = At(x, y);
    return GetRValue(c) < 60 && GetGValue(c) < 60 && GetBValue(c) < 60;
}

// The middle of the run of indices that share the largest count.
static int MiddleOfThickest(const std::vector<int>& counts)
{
    int best = 0;
    for (int c : counts) best = c > best ? c : best;
    int first = -1, last = -1;
    for (size_t i = 0; i < counts.size(); ++i)
        if (counts[i] == best) {
            if (first < 0) first = static_cast<int>(i);
            last = static_cast<int>(i);
        }
    return (first + last) / 2;
}

bool FindRedCross(POINT* centre)
{
    ScreenImage image;
    std::vector<int> perColumn(image.Width(), 0), perRow(image.Height(), 0);
    int red = 0;
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x)
            if (image.Red(x, y)) {
                ++perColumn[x];
                ++perRow[y];
                ++red;
            }
    if (red == 0) return false;
    centre->x = MiddleOfThickest(perColumn);
    centre->y = MiddleOfThickest(perRow);
    return true;
}

int DarkPixels(const RECT& area, const std::vector<POINT>& spared, int spare, bool lineOnly)
{
    ScreenImage image;
    int dark = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x) {
            bool skip = false;
            for (POINT p : spared) skip = skip || (abs(x - p.x) <= spare && abs(y - p.y) <= spare);
            if (skip || !image.Dark(x, y)) continue;
            bool joined = false;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) joined = joined || ((dx || dy) && image.Dark(x + dx, y + dy));
            if (!lineOnly || joined) ++dark;
        }
    return dark;
}

namespace {
const char kCatcherClass[] = "JostelTestClickCatcher";
LONG g_catcherClicks = 0;

LRESULT CALLBACK CatcherProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_LBUTTONDOWN) InterlockedIncrement(&g_catcherClicks);
    return DefWindowProcA(hwnd, message, wParam, lParam);
}
}  // namespace

ClickCatcher::ClickCatcher(const RECT& rect) : rect_(rect)
{
    g_catcherClicks = 0;
    ready_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, Run, this, 0, &threadId_);
    if (thread_) WaitForSingleObject(ready_, 10000);
}

ClickCatcher::~ClickCatcher()
{
    if (thread_) {
        if (window_) PostMessageA(window_, WM_CLOSE, 0, 0);
        PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
        WaitForSingleObject(thread_, 5000);
        CloseHandle(thread_);
    }
    if (ready_) CloseHandle(ready_);
}

long ClickCatcher::Clicks() const
{
    return InterlockedCompareExchange(&g_catcherClicks, 0, 0);
}

DWORD WINAPI ClickCatcher::Run(void* self)
{
    ClickCatcher* me = static_cast<ClickCatcher*>(self);
    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.lpfnWndProc = CatcherProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    wc.lpszClassName = kCatcherClass;
    RegisterClassA(&wc);
    const RECT& r = me->rect_;
    HWND window = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kCatcherClass, "catcher", WS_POPUP | WS_VISIBLE,
                                  r.left, r.top, r.right - r.left, r.bottom - r.top, nullptr, nullptr,
                                  wc.hInstance, nullptr);
    me->window_ = window;
    if (window) UpdateWindow(window);
    SetEvent(me->ready_);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (IsWindow(window)) DestroyWindow(window);
    return 0;
}

std::vector<HWND> KeyBoxes(DWORD pid)
{
    std::vector<HWND> boxes;
    for (HWND w : tb::TopWindows(pid))
        if (tb::ClassOf(w) == "#32770" && !GetDlgItem(w, 0xFFFF) && GetDlgItem(w, 1004) && tb::IsVisible(w))
            boxes.push_back(w);
    return boxes;
}

void ClickControl(HWND dialog, int id)
{
    RECT r = tb::ScreenRect(GetDlgItem(dialog, id));
    tb::MouseClick((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

POINT HitPoint(HWND window, LRESULT code)
{
    RECT r = tb::ScreenRect(window);
    const int y = r.top + GetSystemMetrics(SM_CYFIXEDFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
    for (int x = r.right - 2; x > r.left; x -= 2) {
        DWORD_PTR hit = 0;
        if (SendMessageTimeoutA(window, WM_NCHITTEST, 0, MAKELPARAM(x, y), SMTO_ABORTIFHUNG, 2000, &hit) &&
            static_cast<LRESULT>(hit) == code)
            return POINT{x, y};
    }
    return POINT{-1, -1};
}

bool InFrontAtCaption(HWND window)
{
    POINT caption = HitPoint(window, HTCAPTION);
    if (caption.x < 0) return false;
    HWND under = WindowFromPoint(caption);
    return under && GetAncestor(under, GA_ROOT) == window;
}

HWND FocusOf(HWND window)
{
    GUITHREADINFO info;
    ZeroMemory(&info, sizeof(info));
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

std::string Text932(HWND window)
{
    wchar_t wide[512] = {};
    int n = GetWindowTextW(window, wide, 512);
    char bytes[1024] = {};
    int m = WideCharToMultiByte(932, 0, wide, n, bytes, sizeof(bytes) - 1, nullptr, nullptr);
    return std::string(bytes, m > 0 ? m : 0);
}

size_t Count(uint32_t code)
{
    return tb::sim::LogOf(code).size();
}

std::vector<uint8_t> LastInput(uint32_t code)
{
    std::vector<tb::sim::Request> log = tb::sim::LogOf(code);
    return log.empty() ? std::vector<uint8_t>() : log.back().input;
}

uint16_t Word(const std::vector<uint8_t>& record, int word)
{
    if (record.size() < static_cast<size_t>(2 * word + 2)) return 0xFFFF;
    return static_cast<uint16_t>(record[2 * word] | (record[2 * word + 1] << 8));
}

POINT MiddleOf(HWND window)
{
    const RECT r = tb::ScreenRect(window);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

bool InFrontAt(HWND window, POINT p)
{
    HWND under = WindowFromPoint(p);
    return under && GetAncestor(under, GA_ROOT) == window;
}

bool CalibrateToTestScreen(Jostel* j, int points, int rotation)
{
    return Start(j, points, rotation) && TouchAll(j) &&
           tb::sim::WaitRequest(wexant::IOCTL_WEXANT_SET_CALIB, 1, 15000) && WaitTestScreen(j);
}

RECT UseMonitor2DownRight()
{
    tb::reg::SetDword(HKEY_LOCAL_MACHINE, kSecondKey, "ResolutionX", (512u << 16) | 512u);
    tb::reg::SetDword(HKEY_LOCAL_MACHINE, kSecondKey, "ResolutionY", (384u << 16) | 384u);
    tb::reg::SetDword(HKEY_LOCAL_MACHINE, kSecondKey, "nComm", 0x71);
    return RECT{512, 384, 1024, 768};
}

}  // namespace jostel
