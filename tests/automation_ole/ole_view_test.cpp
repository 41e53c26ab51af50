// The control's picture as a container draws it through IViewObject2, and the
// data object's answers.
#include "ax_window.h"
#include "test_control.h"

#include <gtest/gtest.h>

namespace {

struct TControlHolder {
  TTestControl* Control = new TTestControl();
  ~TControlHolder() { Control->Release(); }
};

// A 32-bit memory surface to draw into and read back exactly.
class TSurface {
public:
  TSurface(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    FDc = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    FBitmap = CreateDIBSection(FDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    FOld = SelectObject(FDc, FBitmap);
    const RECT all{0, 0, width, height};
    FillRect(FDc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  }
  ~TSurface() {
    SelectObject(FDc, FOld);
    DeleteObject(FBitmap);
    DeleteDC(FDc);
  }
  HDC Dc() const { return FDc; }
  COLORREF At(int x, int y) const { return GetPixel(FDc, x, y); }

private:
  HDC FDc;
  HBITMAP FBitmap;
  HGDIOBJ FOld;
};

const COLORREF kPictureRed = RGB(255, 0, 0);    // top-left pixel of the test picture
const COLORREF kPictureGreen = RGB(0, 255, 0);  // bottom-right pixel
const COLORREF kPictureBlue = RGB(0, 0, 255);   // every other pixel

HRESULT DrawInto(IViewObject2* view, HDC dc, RECTL bounds, DWORD aspect = DVASPECT_CONTENT) {
  return view->Draw(aspect, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr, nullptr, 0);
}

TEST(OleControlView, DrawPaintsARaisedBevelAroundTheControlColour) {
  TControlHolder holder;
  IViewObject2* view = holder.Control->Query<IViewObject2>();
  TSurface surface(60, 60);
  ASSERT_EQ(S_OK, DrawInto(view, surface.Dc(), RECTL{5, 5, 45, 45}));
  const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT);
  const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  ASSERT_NE(light, shadow);
  ASSERT_NE(face, shadow);

  EXPECT_EQ(light, surface.At(5, 5));    // top-left corner
  EXPECT_EQ(light, surface.At(25, 5));   // top edge
  EXPECT_EQ(light, surface.At(5, 25));   // left edge
  EXPECT_EQ(shadow, surface.At(44, 25)); // right edge
  EXPECT_EQ(shadow, surface.At(25, 44)); // bottom edge
  EXPECT_EQ(shadow, surface.At(44, 5));  // top-right corner belongs to the shadow
  EXPECT_EQ(shadow, surface.At(5, 44));  // and so does the bottom-left one
  EXPECT_EQ(shadow, surface.At(44, 44));
  EXPECT_EQ(face, surface.At(6, 6));
  EXPECT_EQ(face, surface.At(43, 43));
  EXPECT_EQ(RGB(0, 0, 0), surface.At(4, 4)) << "nothing outside the bounds";
  EXPECT_EQ(RGB(0, 0, 0), surface.At(45, 45));
  view->Release();
}

TEST(OleControlView, BitmapSitsInTheMiddleOfTheInnerRectangle) {
  TControlHolder holder;
  IViewObject2* view = holder.Control->Query<IViewObject2>();
  TSurface surface(40, 40);
  ASSERT_EQ(S_OK, DrawInto(view, surface.Dc(), RECTL{0, 0, 40, 40}));
  // Inner rectangle 1..39: 1 + 38/2 - 16/2 = 12.
  EXPECT_EQ(kPictureRed, surface.At(12, 12));
  EXPECT_EQ(kPictureBlue, surface.At(20, 20));
  EXPECT_EQ(kPictureGreen, surface.At(27, 27));
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), surface.At(11, 12));
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), surface.At(28, 27));
  view->Release();
}

TEST(OleControlView, HalfPixelOffsetsRoundToTheNearestEvenPixel) {
  EXPECT_EQ(12, CentredOrigin(1, 38, 16));
  EXPECT_EQ(12, CentredOrigin(1, 39, 16));  // 12.5
  EXPECT_EQ(14, CentredOrigin(1, 41, 16));  // 13.5
  EXPECT_EQ(0, CentredOrigin(1, 13, 16));   // -0.5: a picture larger than the room
  EXPECT_EQ(2, CentredOrigin(0, 5, 0));     // 2.5 with an empty picture

  TControlHolder holder;
  IViewObject2* view = holder.Control->Query<IViewObject2>();
  TSurface odd(41, 41);
  ASSERT_EQ(S_OK, DrawInto(view, odd.Dc(), RECTL{0, 0, 41, 41}));
  EXPECT_EQ(kPictureRed, odd.At(12, 12));
  EXPECT_EQ(kPictureGreen, odd.At(27, 27));
  TSurface wider(43, 43);
  ASSERT_EQ(S_OK, DrawInto(view, wider.Dc(), RECTL{0, 0, 43, 43}));
  EXPECT_EQ(kPictureRed, wider.At(14, 14));
  EXPECT_EQ(kPictureGreen, wider.At(29, 29));
  view->Release();
}

TEST(OleControlView, DrawRefusesOtherAspectsAndMissingBounds) {
  TControlHolder holder;
  IViewObject2* view = holder.Control->Query<IViewObject2>();
  TSurface surface(10, 10);
  EXPECT_EQ(DV_E_DVASPECT, DrawInto(view, surface.Dc(), RECTL{0, 0, 10, 10}, DVASPECT_ICON));
  EXPECT_EQ(E_INVALIDARG, view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, surface.Dc(), nullptr,
                                     nullptr, nullptr, 0));
  EXPECT_EQ(RGB(0, 0, 0), surface.At(0, 0));
  view->Release();
}

TEST(OleControlView, ColourSetIsThePicturesPalette) {
  TControlHolder holder;
  IViewObject2* view = holder.Control->Query<IViewObject2>();
  LOGPALETTE* colours = nullptr;
  ASSERT_EQ(S_OK, view->GetColorSet(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, &colours));
  ASSERT_NE(nullptr, colours);
  EXPECT_EQ(0x300, colours->palVersion);
  ASSERT_EQ(16, colours->palNumEntries);
  EXPECT_EQ(0, colours->palPalEntry[1].peRed);
  EXPECT_EQ(255, colours->palPalEntry[1].peBlue);
  EXPECT_EQ(255, colours->palPalEntry[2].peRed);
  EXPECT_EQ(0, colours->palPalEntry[2].peGreen);
  CoTaskMemFree(colours);
  view->Release();
}

TEST(OleControlView, ExtentFreezeAndViewAdvise) {
  TControlHolder holder;
  IViewObject2* view = holder.Control->Query<IViewObject2>();
  IOleObject* object = holder.Control->Query<IOleObject>();
  SIZEL size{500, 700};
  ASSERT_EQ(S_OK, object->SetExtent(DVASPECT_CONTENT, &size));
  SIZEL viewed{};
  ASSERT_EQ(S_OK, view->GetExtent(DVASPECT_CONTENT, -1, nullptr, &viewed));
  EXPECT_EQ(500, viewed.cx);
  EXPECT_EQ(700, viewed.cy);

  DWORD first = 0, second = 0;
  ASSERT_EQ(S_OK, view->Freeze(DVASPECT_CONTENT, -1, nullptr, &first));
  ASSERT_EQ(S_OK, view->Freeze(DVASPECT_CONTENT, -1, nullptr, &second));
  EXPECT_NE(first, second);
  EXPECT_EQ(S_OK, view->Unfreeze(first));
  EXPECT_EQ(OLE_E_NOCONNECTION, view->Unfreeze(first));
  EXPECT_EQ(S_OK, view->Unfreeze(second));

  TTestAdviseSink sink;
  ASSERT_EQ(S_OK, view->SetAdvise(DVASPECT_CONTENT, ADVF_PRIMEFIRST, &sink));
  EXPECT_EQ(1, sink.ViewChanges) << "ADVF_PRIMEFIRST tells the sink at once";
  ASSERT_EQ(S_OK, view->SetAdvise(DVASPECT_CONTENT, 0, nullptr));
  IAdviseSink* held = &sink;
  ASSERT_EQ(S_OK, view->GetAdvise(nullptr, nullptr, &held));
  EXPECT_EQ(nullptr, held);
  object->Release();
  view->Release();
}

TEST(OleControlData, NoFormatsButDataAdviseConnectionsAreKept) {
  TControlHolder holder;
  IDataObject* data = holder.Control->Query<IDataObject>();
  FORMATETC format{CF_METAFILEPICT, nullptr, DVASPECT_CONTENT, -1, TYMED_MFPICT};
  STGMEDIUM medium{};
  EXPECT_EQ(DV_E_FORMATETC, data->GetData(&format, &medium));
  EXPECT_EQ(DV_E_FORMATETC, data->QueryGetData(&format));
  EXPECT_EQ(E_NOTIMPL, data->SetData(&format, &medium, FALSE));

  TTestAdviseSink sink;
  DWORD cookie = 0;
  ASSERT_EQ(S_OK, data->DAdvise(&format, 0, &sink, &cookie));
  EXPECT_NE(0u, cookie);
  IEnumSTATDATA* advises = nullptr;
  ASSERT_EQ(S_OK, data->EnumDAdvise(&advises));
  STATDATA entry{};
  ULONG fetched = 0;
  ASSERT_EQ(S_OK, advises->Next(1, &entry, &fetched));
  EXPECT_EQ(cookie, entry.dwConnection);
  if (entry.pAdvSink) entry.pAdvSink->Release();
  advises->Release();
  EXPECT_EQ(S_OK, data->DUnadvise(cookie));
  EXPECT_EQ(OLE_E_NOCONNECTION, data->DUnadvise(cookie));
  data->Release();
}

}  // namespace
