#include "toolkit/win32/Images.h"

#include <algorithm>

namespace velloran::win32 {
namespace {

// Pictures are drawn on a 16-unit grid, scaled, so each DPI gets a sharp one.
constexpr COLORREF kMask = RGB(255, 0, 255);

struct Canvas {
  HDC dc;
  int scale;
  POINT P(int x, int y) const { return POINT{x * scale / 16, y * scale / 16}; }
  void Polygon(std::initializer_list<POINT> grid, COLORREF fill, COLORREF line) {
    POINT points[12];
    int n = 0;
    for (POINT g : grid) points[n++] = P(g.x, g.y);
    HBRUSH brush = CreateSolidBrush(fill);
    HPEN pen = CreatePen(PS_SOLID, std::max(1, scale / 16), line);
    HGDIOBJ oldBrush = SelectObject(dc, brush), oldPen = SelectObject(dc, pen);
    ::Polygon(dc, points, n);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(brush);
    DeleteObject(pen);
  }
  void Line(int x1, int y1, int x2, int y2, COLORREF colour) {
    HPEN pen = CreatePen(PS_SOLID, std::max(1, scale / 16), colour);
    HGDIOBJ old = SelectObject(dc, pen);
    POINT a = P(x1, y1), b = P(x2, y2);
    MoveToEx(dc, a.x, a.y, nullptr);
    LineTo(dc, b.x, b.y);
    SelectObject(dc, old);
    DeleteObject(pen);
  }
};

void DrawPage(Canvas& c) {
  c.Polygon({{3, 1}, {10, 1}, {13, 4}, {13, 15}, {3, 15}}, RGB(0xfc, 0xfc, 0xfc),
            RGB(0x5a, 0x64, 0x70));
  c.Polygon({{10, 1}, {10, 4}, {13, 4}}, RGB(0xd8, 0xdc, 0xe2), RGB(0x5a, 0x64, 0x70));
  for (int y : {6, 8, 10, 12}) c.Line(5, y, y < 7 ? 9 : 11, y, RGB(0x3c, 0x78, 0xc8));
}

void DrawGroup(Canvas& c) {
  c.Polygon({{1, 3}, {6, 3}, {7, 5}, {14, 5}, {14, 13}, {1, 13}}, RGB(0xe0, 0xb0, 0x48),
            RGB(0x8a, 0x63, 0x12));
  c.Polygon({{3, 5}, {12, 5}, {12, 10}, {3, 10}}, RGB(0xff, 0xff, 0xff), RGB(0x9a, 0x9a, 0x9a));
  c.Polygon({{1, 7}, {14, 7}, {14, 13}, {1, 13}}, RGB(0xf4, 0xc9, 0x5d), RGB(0x8a, 0x63, 0x12));
}

HBITMAP Picture(HDC screen, int size, void (*draw)(Canvas&)) {
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, size, size);
  HGDIOBJ old = SelectObject(dc, bitmap);
  RECT all{0, 0, size, size};
  HBRUSH background = CreateSolidBrush(kMask);
  FillRect(dc, &all, background);
  DeleteObject(background);
  Canvas canvas{dc, size};
  draw(canvas);
  SelectObject(dc, old);
  DeleteDC(dc);
  return bitmap;
}

}  // namespace

HIMAGELIST MakeWizardImages(unsigned dpi) {
  const int size = MulDiv(16, static_cast<int>(dpi), 96);
  HIMAGELIST list = ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, 2, 0);
  HDC screen = GetDC(nullptr);
  for (auto draw : {&DrawPage, &DrawGroup}) {
    HBITMAP picture = Picture(screen, size, draw);
    ImageList_AddMasked(list, picture, kMask);
    DeleteObject(picture);
  }
  ReleaseDC(nullptr, screen);
  return list;
}

}  // namespace velloran::win32
