#include "dual_layout.h"

namespace duallayout {

namespace {
int Max(int a, int b) { return a > b ? a : b; }
}  // namespace

void SetPictureMode(MonitorPicture* picture, int monitor, Mode mode) {
    const ModePicture& m = kModePictures[mode];
    int index = monitor == 2 ? 1 : 0;
    picture->width = m.width;
    picture->height = m.height;
    picture->bitmapId = m.bitmap[index];
    picture->dragBitmapId = m.dragBitmap[index];
}

void LayoutPair(uint32_t type, MonitorPicture* first, MonitorPicture* second) {
    const int w1 = first->width, h1 = first->height;
    const int w2 = second->width, h2 = second->height;
    if (type > 7) type = 4;

    // Horizontally: monitor 2 on the left (0, 3, 5), on the right (2, 4, 7),
    // or with the left edges aligned (1, 6).
    switch (type) {
    case 0: case 3: case 5:
        first->left = (kCentreWidth - w1 + w2) / 2;
        second->left = first->left - w2;
        break;
    case 2: case 4: case 7:
        first->left = (kCentreWidth - w1 - w2) / 2;
        second->left = first->left + w1;
        break;
    default:
        first->left = (kCentreWidth - Max(w1, w2)) / 2;
        second->left = first->left;
        break;
    }
    // Vertically: monitor 2 above (0, 1, 2), below (5, 6, 7), or with the
    // top edges aligned (3, 4).
    switch (type) {
    case 0: case 1: case 2:
        first->top = (kCentreHeight - h1 + h2) / 2;
        second->top = first->top - h2;
        break;
    case 5: case 6: case 7:
        first->top = (kCentreHeight - h1 - h2) / 2;
        second->top = first->top + h1;
        break;
    default:
        first->top = (kCentreHeight - Max(h1, h2)) / 2;
        second->top = first->top;
        break;
    }
}

uint32_t ClassifyPair(const MonitorPicture& first, const MonitorPicture& second, bool osArranged) {
    const int x1 = first.left, y1 = first.top, w1 = first.width, h1 = first.height;
    const int cx = second.left + second.width / 2;
    const int cy = second.top + second.height / 2;
    const bool left = cx < x1;
    const bool right = cx > x1 + w1;
    const bool upperHalf = cy < y1 + h1 / 2;

    if (!osArranged) {
        if (left || right) return cy > y1 + h1 ? 6 : 4;
        return upperHalf ? 4 : 6;
    }
    if (left) return cy < y1 ? 0 : cy <= y1 + h1 ? 3 : 5;
    if (right) return cy < y1 ? 2 : cy <= y1 + h1 ? 4 : 7;
    return upperHalf ? 1 : 6;
}

void ClampToArea(const Area& area, int width, int height, int* x, int* y) {
    *x = Max(*x, area.left);
    *y = Max(*y, area.top);
    if (*x + width >= area.right) *x = area.right - width;
    if (*y + height >= area.bottom) *y = area.bottom - height;
}

bool PictureContains(const MonitorPicture& picture, int x, int y) {
    return x >= picture.left && x < picture.left + picture.width &&
           y >= picture.top && y < picture.top + picture.height;
}

}  // namespace duallayout
