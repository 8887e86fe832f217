#include "jostel_fixture.h"

#include <gtest/gtest.h>

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
    const calib::SolverGrid& g = calib::SolverGridFor(points);
    int c = panel % g.cols, r = panel / g.cols;
    int tx = model.mirrorX ? 4096 - g.targetX[c] : g.targetX[c];
    return static_cast<uint16_t>(300 + tx * 13 / 16 + r * 7);
}

uint16_t PanelRawY(int points, int panel, const PanelModel&)
{
    const calib::SolverGrid& g = calib::SolverGridFor(points);
    int c = panel % g.cols, r = panel / g.cols;
    return static_cast<uint16_t>(250 + g.targetY[r] * 14 / 16 - c * 5);
}

std::vector<uint8_t> ExpectedRecord(int points, const PanelModel& model)
{
    std::vector<uint16_t> rx(points), ry(points);
    for (int p = 0; p < points; ++p) {
        rx[p] = PanelRawX(points, p, model);
        ry[p] = PanelRawY(points, p, model);
    }
    uint16_t body[calib::kRecordWordsMax] = {};
    std::vector<uint8_t> record(calib::RecordBytes(points));
    if (calib::SolveCalibration(points, rx.data(), ry.data(), body) != calib::CALIB_OK) return {};
    calib::BuildCalibRecord(points, body, record.data());
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

static bool DarkAt(int x, int y)
{
    HDC screen = GetDC(nullptr);
    COLORREF c = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return GetRValue(c) < 60 && GetGValue(c) < 60 && GetBValue(c) < 60;
}

bool WaitTestScreen(Jostel* j)
{
    HWND box = KeyBox(j->process.Pid());
    if (!box) return false;
    RECT r = tb::ScreenRect(box);
    // The click leaves a dot just beyond the box's corner until the repaint.
    tb::Poll([&] { return DarkAt(r.right + 1, r.bottom + 1); }, 1000, 2);
    return tb::Poll([&] { return !DarkAt(r.right + 1, r.bottom + 1); }, 3000);
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

}  // namespace jostel
