// Helpers of the calibration program's e2e tests: settings in the registry,
// starting Jostel and finding its window, target pixels, real clicks with the
// raw point the panel reports for that target, and the expected records.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "calib_layout.h"
#include "calib_record.h"
#include "calib_solver.h"
#include "harness.h"
#include "wexant.h"

namespace jostel {

extern const char kDriverKey[];
extern const char kUserKey[];
extern const char kSecondKey[];

// Option for a point count (9, 12, 20), written to the per-user key.
void SetPointCount(int points);

// Raw panel coordinates of a panel point. By default the turned, skewed panel
// whose records are pinned (pinned_records.h); mirrorX makes the raw X fall as
// the target X grows (a mirrored panel, which no solve accepts).
struct PanelModel {
    bool mirrorX = false;
};
uint16_t PanelRawX(int points, int panel, const PanelModel& model = {});
uint16_t PanelRawY(int points, int panel, const PanelModel& model = {});
// The pinned record of the default panel (marker 0), worked out apart from the program.
std::vector<uint8_t> PinnedRecord(int points);

struct Jostel {
    tb::Process process;
    HWND window = nullptr;
    int points = 9;
    int rotation = 0;
    RECT rect = {};  // the window's rectangle once placed

    calib::ScreenGrid Grid() const { return calib::ScreenGridFor(points, rotation); }
    // Screen pixel of a screen target index.
    POINT Target(int screenIndex) const;
};

// Starts Jostel with the tail and waits until its first target is painted at
// the expected rectangle (full primary screen unless given).
bool Start(Jostel* j, int points, int rotation, const std::string& tail = "", bool japanese = false,
           const RECT* expected = nullptr);
// Expects a copy of Jostel that may not run to end at once with 0 and no window.
void ExpectEndsSilently(const tb::Process& copy);
// The red of the target cross at a screen pixel (the horizontal arm beside the centre).
bool RedCrossAt(POINT p);
bool WaitCrossAt(POINT p, bool present = true, DWORD timeoutMs = 15000);
// Presses a key and waits until the cross has gone from target `from` to target `to`.
bool MoveCross(Jostel* j, UINT vk, int from, int to);
// Queues the raw point of the panel point under screen target s, clicks the
// target with real mouse input and waits until the driver was asked for it.
bool TouchTarget(Jostel* j, int screenIndex, const PanelModel& model = {}, uint16_t device = 0,
                 uint16_t productId = 0x0500);
// Touches every target in order; after the last the record is sent.
bool TouchAll(Jostel* j, const PanelModel& model = {}, uint16_t device = 0, uint16_t productId = 0x0500);

// The key box: the process's visible dialog with the key buttons.
HWND KeyBox(DWORD pid, DWORD timeoutMs = 5000);
// The test screen has settled: the key box is shown and the click the program
// makes beside it has arrived and been wiped by the repaint, so that it can no
// longer land on a calibration screen that a later key brings back.
bool WaitTestScreen(Jostel* j);
// Starts a 9-point calibration in rotation 0 and goes on to the test screen;
// its key box, or null when any step fails.
HWND StartOnTestScreen(Jostel* j);

// The screen as it is now, 32-bit pixels.
class ScreenImage {
public:
    ScreenImage();
    int Width() const { return width_; }
    int Height() const { return height_; }
    COLORREF At(int x, int y) const;
    bool Red(int x, int y) const;
    bool Dark(int x, int y) const;

private:
    int width_ = 0, height_ = 0;
    std::vector<uint32_t> pixels_;
};
// Centre of the red target cross on the screen: the middle of its thickest
// column and of its thickest row. False when no red pixel is on the screen.
bool FindRedCross(POINT* centre);
// Dark pixels inside a rectangle of the screen, leaving out the squares of
// half-size `spare` around the given points; with lineOnly only those that
// touch another dark pixel (part of a line, not a lone dot).
int DarkPixels(const RECT& area, const std::vector<POINT>& spared, int spare, bool lineOnly = false);

// A top-level window of the test in a thread of its own that counts the left
// clicks it receives (real mouse input from any program).
class ClickCatcher {
public:
    explicit ClickCatcher(const RECT& rect);
    ~ClickCatcher();
    bool Ready() const { return window_ != nullptr; }
    long Clicks() const;

private:
    static DWORD WINAPI Run(void* self);
    RECT rect_;
    HANDLE thread_ = nullptr;
    HANDLE ready_ = nullptr;
    HWND window_ = nullptr;
    DWORD threadId_ = 0;
};

// Visible key boxes of the process.
std::vector<HWND> KeyBoxes(DWORD pid);
// A real click at the middle of a dialog's control, as a finger on the panel makes it.
void ClickControl(HWND dialog, int id);
// A screen point of a window's caption row where its frame answers this
// hit-test code (HTCAPTION, HTCLOSE); {-1, -1} when there is none.
POINT HitPoint(HWND window, LRESULT code);
// Nothing covers the window at its caption.
bool InFrontAtCaption(HWND window);
// The keyboard focus of the program that owns the window.
HWND FocusOf(HWND window);

// A black pixel on the screen.
bool BlackAt(int x, int y);
// A row that is black across the width (the screen's unless given), between y0 and y1; -1 when none.
int SeparatorRow(int y0, int y1, int width = 0);
// A stroke of real mouse input with the left button held.
void DrawStroke(int x0, int y0, int x1, int y1);
// As TouchTarget, but the button messages are posted to the window: the
// pointer stays where it is.
bool TouchByMessage(Jostel* j, int screenIndex, const PanelModel& model = {});
// The cursor of the foreground program is shown (its display count is not negative).
bool CursorShowing();

// A window's text in code page 932 bytes (the Japanese texts as the sources spell them).
std::string Text932(HWND window);

// Requests of one code in the driver's log.
size_t Count(uint32_t code);
// Input of the last request of a code (empty when none).
std::vector<uint8_t> LastInput(uint32_t code);
uint16_t Word(const std::vector<uint8_t>& record, int word);

// The middle of a window on the screen.
POINT MiddleOf(HWND window);
// The window (or one of its controls) is what a touch at the screen point reaches.
bool InFrontAt(HWND window, POINT p);

// Starts a calibration, touches every target and waits until the record is
// sent and the test screen has settled.
bool CalibrateToTestScreen(Jostel* j, int points = 9, int rotation = 0);

// The layout with monitor 2 (512 x 384) down and right of monitor 1 (512 x
// 384): the rectangle that a calibration of monitor 2 covers.
RECT UseMonitor2DownRight();

}  // namespace jostel
