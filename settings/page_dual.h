// Dual-monitor page, one body for the Japanese and the English page: the
// dual-monitor switch, the system's arrangement, the two resolutions and the
// pictures of the two monitors, placed by dragging.
#pragma once
#include "framework.h"
#include "portable/dual_layout.h"

struct DualPageTable {
    UINT templateId;
    int useDual, osArranged;
    int monitor1[duallayout::kModeCount];  // VGA, SVGA, XGA, XVGA
    int monitor2[duallayout::kModeCount];
    int swapGroup, swapBox, swapText;
    duallayout::Area area;   // where a dragged picture may go
    BOOL repaintAllOnDrop;   // after a drop: the whole client area, else the picture area
};

class CDualMonitorPage : public CCapturePage {
public:
    explicit CDualMonitorPage(const DualPageTable& table);

protected:
    BOOL OnInitDialog() override;
    BOOL OnApply() override;
    BOOL OnCommand(int id, int code) override;
    void OnPaint() override;
    void OnLButtonDown(UINT flags, POINT point) override;
    void OnMouseMove(UINT flags, POINT point) override;
    void OnLButtonUp(UINT flags, POINT point) override;
    void OnCaptureChanged(HWND newOwner) override;

private:
    void OnUseDualMonitor();
    void OnOsManagedDualMonitor();
    // The eight resolution buttons; each hands its monitor and mode to OnResolution.
    void OnMonitor1Vga();
    void OnMonitor1Svga();
    void OnMonitor1Xga();
    void OnMonitor1Xvga();
    void OnMonitor2Vga();
    void OnMonitor2Svga();
    void OnMonitor2Xga();
    void OnMonitor2Xvga();
    void OnResolution(int monitor, duallayout::Mode mode);

    void ClassifyMonitorArrangement();
    void EndDrag();
    void DrawMonitorBitmap(int x, int y, int bitmapId, int width, int height);
    void DrawPicture(const duallayout::MonitorPicture& picture, BOOL dragged);
    void InvalidateArea();
    void Changed();
    void EnableControls(BOOL on);

    const DualPageTable& m_t;
};

class Cmypage55 : public CDualMonitorPage {
public:
    Cmypage55();
};

class Cmypage55us : public CDualMonitorPage {
public:
    Cmypage55us();
};
