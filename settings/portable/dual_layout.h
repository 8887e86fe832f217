// Geometry of the dual-monitor page: the two monitor pictures, how a pair is
// laid out for an arrangement type, which type a dropped pair stands for, and
// how a dragged picture is kept inside the picture area. No Windows headers:
// the rules build and are tested natively as well.
#pragma once
#include <cstdint>

namespace duallayout {

// Rectangle in pixels of the page's client area; the right and bottom edges
// lie outside it.
struct Area {
    int left, top, right, bottom;
};
// Where a dragged picture may go, and what is repainted after a change.
constexpr Area kAreaJapanese = {10, 32, 253, 239};
constexpr Area kAreaEnglish = {11, 33, 238, 258};
// Both pages centre the pair on the middle of the Japanese picture area.
constexpr int kCentreWidth = 263;   // twice the centre's x
constexpr int kCentreHeight = 271;  // twice the centre's y

// The four resolution modes, in the order of the radio buttons.
enum Mode { MODE_VGA = 0, MODE_SVGA = 1, MODE_XGA = 2, MODE_XVGA = 3 };
constexpr int kModeCount = 4;

struct ModePicture {
    int width, height;   // size of the picture on the page, pixels
    int bitmap[2];       // normal bitmap of monitor 1 and of monitor 2
    int dragBitmap[2];   // bitmap while it is dragged
};
constexpr ModePicture kModePictures[kModeCount] = {
    {44, 35, {160, 162}, {161, 163}},
    {55, 44, {164, 166}, {165, 167}},
    {70, 56, {168, 170}, {169, 171}},
    {79, 63, {172, 174}, {173, 175}},
};

// Mode shown for a stored width: 800 SVGA, 1024 XGA, 1152 XVGA, anything else VGA.
constexpr Mode ModeFromWidth(uint32_t width) {
    return width == 800 ? MODE_SVGA : width == 1024 ? MODE_XGA : width == 1152 ? MODE_XVGA : MODE_VGA;
}

// One monitor's picture on the page.
struct MonitorPicture {
    int left = 0, top = 0;        // client coordinates
    int width = 0, height = 0;
    int bitmapId = 0;             // shown normally
    int dragBitmapId = 0;         // shown while dragged
    bool dragging = false;
    int dragOffsetX = 0, dragOffsetY = 0;  // left/top minus the pointer at button-down
};

// Gives the picture the size and bitmaps of a mode; monitor is 1 or 2.
void SetPictureMode(MonitorPicture* picture, int monitor, Mode mode);

// Sets the left and top of both pictures for an arrangement type (0-7),
// from the four picture sizes. A type outside 0-7, which only a stored nComm
// can hold, is laid out as type 4 (right), the type the page starts from.
void LayoutPair(uint32_t type, MonitorPicture* first, MonitorPicture* second);

// Arrangement type for where picture 2 stands relative to picture 1. With the
// operating system arranging the monitors all eight types can result, else
// only 4 (right) and 6 (below).
uint32_t ClassifyPair(const MonitorPicture& first, const MonitorPicture& second, bool osArranged);

// Keeps a picture of that size with its left/top at (*x, *y) inside the area;
// its right and bottom edges may touch the area's.
void ClampToArea(const Area& area, int width, int height, int* x, int* y);

// True when the point lies in the picture: left and top edges inside, right
// and bottom edges outside.
bool PictureContains(const MonitorPicture& picture, int x, int y);

}  // namespace duallayout
