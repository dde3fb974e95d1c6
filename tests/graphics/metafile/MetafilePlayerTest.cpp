#include "MetafileTestSupport.h"
#include "support/EmfBuilder.h"
#include "support/WmfBuilder.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>

namespace tavik::metafile::testing {
namespace {

struct Probe {
    int x, y;
    QRgb color;
};

struct PlayCase {
    const char* name;
    std::function<std::vector<std::uint8_t>()> make;
    std::vector<Probe> probes;
};

const QRgb kWhite = qRgb(255, 255, 255), kBlack = qRgb(0, 0, 0), kRed = qRgb(255, 0, 0),
           kGreen = qRgb(0, 255, 0), kBlue = qRgb(0, 0, 255), kYellow = qRgb(255, 255, 0),
           kCyan = qRgb(0, 255, 255);
const QRect kFrame(0, 0, 2540, 2540); // one inch: 96 x 96 pixels

// EMF object records: index, then style, colour...
EmfBuilder Emf() {
    return EmfBuilder(kFrame);
}
void SolidBrush(EmfBuilder& b, int index, std::uint32_t color) {
    b.Rec(EmfRecord::CreateBrushIndirect, {index, 0, color, 0})
        .Rec(EmfRecord::SelectObject, {index});
}
void NullPen(EmfBuilder& b) {
    b.Rec(EmfRecord::SelectObject, {Number(StockObject::NullPen)});
}
// BITBLT without a source bitmap: the brush and the destination only.
void PatBlt(EmfBuilder& b, int x, int y, int w, int h, std::uint32_t rop) {
    b.Rec(EmfRecord::BitBlt, {0, 0, 0,          0, x, y, w, h, rop, 0, 0, 0x3F800000,
                              0, 0, 0x3F800000, 0, 0, 0, 0, 0, 0,   0, 0});
}

WmfBuilder Wmf() {
    return WmfBuilder(QRect(0, 0, 96, 96), 96);
}

QImage TwoByTwo() {
    QImage img(2, 2, QImage::Format_RGB32);
    img.setPixel(0, 0, kRed);
    img.setPixel(1, 0, kGreen);
    img.setPixel(0, 1, kBlue);
    img.setPixel(1, 1, kYellow);
    return img;
}

const std::vector<QPoint> kStar = {{48, 4}, {76, 92}, {4, 36}, {92, 36}, {20, 92}};

std::vector<PlayCase> Cases() {
    return {
        {"emf_rectangle_pen_brush",
         [] {
             auto b = Emf();
             SolidBrush(b, 1, Rgb(255, 0, 0));
             b.Rec(EmfRecord::CreatePen, {2, 0, 4, 0, Rgb(0, 0, 255)})
                 .Rec(EmfRecord::SelectObject, {2});
             b.Rec(EmfRecord::Rectangle, {10, 10, 60, 50});
             return b.Finish();
         },
         {{35, 30, kRed}, {10, 30, kBlue}, {70, 70, kWhite}}},
        {"emf_stock_null_brush",
         [] {
             auto b = Emf();
             b.Rec(EmfRecord::SelectObject, {Number(StockObject::NullBrush)})
                 .Rec(EmfRecord::Rectangle, {10, 10, 60, 50});
             return b.Finish();
         },
         {{35, 30, kWhite}, {10, 30, kBlack}}},
        {"emf_ellipse",
         [] {
             auto b = Emf();
             SolidBrush(b, 1, Rgb(0, 255, 0));
             NullPen(b);
             b.Rec(EmfRecord::Ellipse, {8, 8, 88, 88});
             return b.Finish();
         },
         {{48, 48, kGreen}, {12, 12, kWhite}, {84, 84, kWhite}}},
        {"emf_polygon_alternate",
         [] {
             auto b = Emf();
             SolidBrush(b, 1, Rgb(0, 0, 255));
             NullPen(b);
             b.Poly16(EmfRecord::Polygon16, kStar);
             return b.Finish();
         },
         {{48, 50, kWhite}, {48, 20, kBlue}}},
        {"emf_polygon_winding",
         [] {
             auto b = Emf();
             SolidBrush(b, 1, Rgb(0, 0, 255));
             NullPen(b);
             b.Rec(EmfRecord::SetPolyFillMode, {2}).Poly(EmfRecord::Polygon, kStar);
             return b.Finish();
         },
         {{48, 50, kBlue}, {48, 20, kBlue}}},
        {"emf_polypolygon_hole",
         [] {
             auto b = Emf();
             SolidBrush(b, 1, Rgb(255, 0, 0));
             NullPen(b);
             b.PolyPoly16(EmfRecord::PolyPolygon16, {{{10, 10}, {86, 10}, {86, 86}, {10, 86}},
                                                     {{30, 30}, {66, 30}, {66, 66}, {30, 66}}});
             return b.Finish();
         },
         {{20, 20, kRed}, {48, 48, kWhite}}},
        {"emf_wide_polyline",
         [] {
             auto b = Emf();
             b.Rec(EmfRecord::CreatePen, {1, 0, 8, 0, Rgb(255, 0, 0)})
                 .Rec(EmfRecord::SelectObject, {1});
             b.Poly16(EmfRecord::Polyline16, {{10, 48}, {86, 48}});
             return b.Finish();
         },
         {{48, 48, kRed}, {48, 45, kRed}, {48, 40, kWhite}}},
        {"emf_dash_opaque_gaps",
         [] {
             auto b = Emf();
             b.Rec(EmfRecord::SetBkColor, {Rgb(255, 255, 0)});
             b.Rec(EmfRecord::CreatePen, {1, 1, 0, 0, Rgb(0, 0, 0)})
                 .Rec(EmfRecord::SelectObject, {1});
             b.Rec(EmfRecord::MoveToEx, {0, 20}).Rec(EmfRecord::LineTo, {96, 20});
             return b.Finish();
         },
         {{5, 20, kBlack}, {20, 20, kYellow}, {5, 30, kWhite}}},
        {"emf_hatch_opaque",
         [] {
             auto b = Emf();
             b.Rec(EmfRecord::SetBkColor, {Rgb(255, 255, 0)});
             b.Rec(EmfRecord::CreateBrushIndirect, {1, 2, Rgb(0, 0, 255), 0})
                 .Rec(EmfRecord::SelectObject, {1});
             NullPen(b);
             b.Rec(EmfRecord::Rectangle, {0, 0, 96, 96});
             return b.Finish();
         },
         {}},
        {"emf_anisotropic",
         [] {
             auto b = Emf();
             b.Rec(EmfRecord::SetMapMode, {8})
                 .Rec(EmfRecord::SetWindowExtEx, {1000, 1000})
                 .Rec(EmfRecord::SetViewportExtEx, {96, 96});
             SolidBrush(b, 1, Rgb(255, 0, 0));
             NullPen(b);
             b.Rec(EmfRecord::Rectangle, {500, 0, 1000, 500});
             return b.Finish();
         },
         {{72, 24, kRed}, {24, 24, kWhite}, {72, 72, kWhite}}},
        {"emf_lometric_y_up",
         [] {
             auto b = Emf();
             b.Rec(EmfRecord::SetMapMode, {2});
             SolidBrush(b, 1, Rgb(255, 0, 0));
             NullPen(b);
             b.Rec(EmfRecord::Rectangle, {0, 0, 100, -100}); // 10 mm = 37.8 px square
             return b.Finish();
         },
         {{20, 20, kRed}, {36, 36, kRed}, {40, 40, kWhite}}},
        {"emf_isotropic",
         [] {
             auto b = Emf();
             b.Rec(EmfRecord::SetMapMode, {7})
                 .Rec(EmfRecord::SetWindowExtEx, {100, 100})
                 .Rec(EmfRecord::SetViewportExtEx, {96, 48});
             SolidBrush(b, 1, Rgb(255, 0, 0));
             NullPen(b);
             b.Rec(EmfRecord::Rectangle, {0, 0, 100, 100});
             return b.Finish();
         },
         {{20, 20, kRed}, {60, 20, kWhite}, {20, 60, kWhite}}},
        {"emf_world_transform",
         [] {
             auto b = Emf();
             // scale 2, then move by 10: floats written as their bits
             const auto f = [](float v) {
                 std::uint32_t u;
                 std::memcpy(&u, &v, 4);
                 return static_cast<std::int64_t>(u);
             };
             b.Rec(EmfRecord::SetWorldTransform, {f(2), f(0), f(0), f(2), f(10), f(10)});
             SolidBrush(b, 1, Rgb(255, 0, 0));
             NullPen(b);
             b.Rec(EmfRecord::Rectangle, {0, 0, 20, 20});
             return b.Finish();
         },
         {{45, 45, kRed}, {12, 12, kRed}, {55, 55, kWhite}, {5, 5, kWhite}}},
        {"emf_save_restore",
         [] {
             auto b = Emf();
             SolidBrush(b, 1, Rgb(255, 0, 0));
             b.Rec(EmfRecord::SaveDc, {});
             SolidBrush(b, 2, Rgb(0, 255, 0));
             b.Rec(EmfRecord::RestoreDc, {-1});
             NullPen(b);
             b.Rec(EmfRecord::Rectangle, {0, 0, 96, 96});
             return b.Finish();
         },
         {{48, 48, kRed}}},
        {"emf_clip_rects",
         [] {
             auto b = Emf();
             b.Rec(EmfRecord::IntersectClipRect, {0, 0, 48, 96})
                 .Rec(EmfRecord::ExcludeClipRect, {0, 0, 24, 24});
             SolidBrush(b, 1, Rgb(255, 0, 0));
             NullPen(b);
             b.Rec(EmfRecord::Rectangle, {0, 0, 96, 96});
             return b.Finish();
         },
         {{30, 50, kRed}, {70, 50, kWhite}, {10, 10, kWhite}}},
        {"emf_clip_region_and_reset",
         [] {
             auto b = Emf();
             b.ClipRegion({QRect(48, 0, 48, 48)}, 5);
             SolidBrush(b, 1, Rgb(255, 0, 0));
             NullPen(b);
             b.Rec(EmfRecord::Rectangle, {0, 0, 96, 96});
             b.Rec(EmfRecord::ExtSelectClipRgn, {0, 5});
             SolidBrush(b, 2, Rgb(0, 0, 255));
             b.Rec(EmfRecord::Rectangle, {0, 80, 16, 96});
             return b.Finish();
         },
         {{70, 20, kRed}, {20, 20, kWhite}, {70, 70, kWhite}, {8, 88, kBlue}}},
        {"emf_path_fill_and_clip",
         [] {
             auto b = Emf();
             SolidBrush(b, 1, Rgb(0, 255, 0));
             b.Rec(EmfRecord::BeginPath, {})
                 .Rec(EmfRecord::MoveToEx, {0, 0})
                 .Rec(EmfRecord::LineTo, {96, 0})
                 .Rec(EmfRecord::LineTo, {0, 96})
                 .Rec(EmfRecord::CloseFigure, {});
             b.Rec(EmfRecord::EndPath, {}).Rec(EmfRecord::FillPath, {0, 0, 0, 0});
             b.Rec(EmfRecord::BeginPath, {})
                 .Rec(EmfRecord::Ellipse, {48, 48, 96, 96})
                 .Rec(EmfRecord::EndPath, {})
                 .Rec(EmfRecord::SelectClipPath, {5});
             SolidBrush(b, 2, Rgb(255, 0, 0));
             NullPen(b);
             b.Rec(EmfRecord::Rectangle, {0, 0, 96, 96});
             return b.Finish();
         },
         {{20, 20, kGreen}, {72, 72, kRed}, {52, 92, kWhite}}},
        {"emf_bezier",
         [] {
             auto b = Emf();
             b.Rec(EmfRecord::CreatePen, {1, 0, 3, 0, Rgb(0, 0, 0)})
                 .Rec(EmfRecord::SelectObject, {1});
             b.Poly16(EmfRecord::PolyBezier16, {{10, 80}, {10, 10}, {86, 10}, {86, 80}});
             return b.Finish();
         },
         {{48, 28, kBlack}, {48, 50, kWhite}, {10, 78, kBlack}}},
        {"emf_pie_ccw",
         [] {
             auto b = Emf();
             SolidBrush(b, 1, Rgb(255, 0, 0));
             NullPen(b);
             b.Rec(EmfRecord::Pie, {8, 8, 88, 88, 88, 48, 48, 8});
             return b.Finish();
         },
         {{65, 30, kRed}, {30, 65, kWhite}, {30, 30, kWhite}}},
        {"emf_pie_clockwise",
         [] {
             auto b = Emf();
             b.Rec(EmfRecord::SetArcDirection, {2});
             SolidBrush(b, 1, Rgb(255, 0, 0));
             NullPen(b);
             b.Rec(EmfRecord::Pie, {8, 8, 88, 88, 88, 48, 48, 8});
             return b.Finish();
         },
         {{65, 30, kWhite}, {30, 65, kRed}, {30, 30, kRed}}},
        {"emf_chord_arc_roundrect",
         [] {
             auto b = Emf();
             SolidBrush(b, 1, Rgb(0, 0, 255));
             NullPen(b);
             b.Rec(EmfRecord::Chord, {8, 8, 88, 88, 88, 48, 48, 8});
             b.Rec(EmfRecord::RoundRect, {0, 60, 40, 96, 30, 30});
             b.Rec(EmfRecord::SelectObject, {Number(StockObject::BlackPen)});
             b.Rec(EmfRecord::Arc, {50, 50, 90, 90, 90, 70, 70, 50});
             return b.Finish();
         },
         {{75, 22, kBlue}, {52, 44, kWhite}, {20, 80, kBlue}, {1, 61, kWhite}}},
        {"emf_text_baseline_dx",
         [] {
             auto b = Emf();
             b.Font(1, -24, 700)
                 .Rec(EmfRecord::SelectObject, {1})
                 .Rec(EmfRecord::SetTextAlign, {0x18})
                 .Rec(EmfRecord::SetBkMode, {1});
             b.Text({10, 60}, "II", 0, QRect(), {60, 10});
             return b.Finish();
         },
         {{10, 70, kWhite}, {40, 50, kWhite}}},
        {"emf_text_opaque_right",
         [] {
             auto b = Emf();
             b.Font(1, -20)
                 .Rec(EmfRecord::SelectObject, {1})
                 .Rec(EmfRecord::SetTextAlign, {2})
                 .Rec(EmfRecord::SetBkColor, {Rgb(255, 255, 0)});
             b.Rec(EmfRecord::SetTextColor, {Rgb(0, 0, 255)});
             b.Text({86, 10}, "Tx", 2, QRect(0, 60, 96, 36));
             return b.Finish();
         },
         {{48, 80, kYellow}, {90, 20, kWhite}, {5, 20, kWhite}}},
        {"emf_text_escapement",
         [] {
             auto b = Emf();
             b.Font(1, -20, 400, 900)
                 .Rec(EmfRecord::SelectObject, {1})
                 .Rec(EmfRecord::SetTextAlign, {0x18})
                 .Rec(EmfRecord::SetBkMode, {1});
             b.Text({50, 90}, "HHH");
             return b.Finish();
         },
         {{80, 20, kWhite}, {20, 80, kWhite}}},
        {"emf_stretchdibits",
         [] {
             auto b = Emf();
             b.StretchDib(QRect(0, 0, 96, 96), QRect(0, 0, 2, 2), TwoByTwo(),
                          Number(Rop3::SrcCopy));
             return b.Finish();
         },
         {{24, 24, kRed}, {72, 24, kGreen}, {24, 72, kBlue}, {72, 72, kYellow}}},
        {"emf_raster_ops",
         [] {
             auto b = Emf();
             QImage magenta(1, 1, QImage::Format_RGB32);
             magenta.fill(qRgb(255, 0, 255));
             QImage red(1, 1, QImage::Format_RGB32);
             red.fill(kRed);
             SolidBrush(b, 1, Rgb(255, 255, 0));
             NullPen(b);
             b.Rec(EmfRecord::Rectangle, {0, 0, 48, 48});
             b.StretchDib(QRect(0, 0, 48, 48), QRect(0, 0, 1, 1), magenta,
                          Number(Rop3::SrcAnd));                // AND
             PatBlt(b, 48, 0, 48, 48, Number(Rop3::Blackness)); // BLACKNESS
             return b.Finish();
         },
         {{24, 24, kRed}, {72, 24, kBlack}}},
        {"emf_srcpaint_srcinvert_patcopy",
         [] {
             auto b = Emf();
             QImage red(1, 1, QImage::Format_RGB32);
             red.fill(kRed);
             b.StretchDib(QRect(0, 0, 48, 48), QRect(0, 0, 1, 1), red,
                          Number(Rop3::SrcInvert)); // XOR white
             SolidBrush(b, 1, Rgb(0, 0, 255));
             PatBlt(b, 48, 48, 48, 48, Number(Rop3::PatCopy));  // PATCOPY
             PatBlt(b, 0, 48, 48, 48, Number(Rop3::Blackness)); // BLACKNESS
             b.StretchDib(QRect(0, 48, 48, 48), QRect(0, 0, 1, 1), red,
                          Number(Rop3::SrcPaint)); // OR black
             return b.Finish();
         },
         {{24, 24, kCyan}, {72, 72, kBlue}, {24, 72, kRed}}},
        {"emf_dib_pattern_brush",
         [] {
             auto b = Emf();
             QImage checker(2, 2, QImage::Format_RGB32);
             checker.fill(kRed);
             checker.setPixel(1, 0, kBlue);
             checker.setPixel(0, 1, kBlue);
             b.DibBrush(1, checker).Rec(EmfRecord::SelectObject, {1});
             NullPen(b);
             b.Rec(EmfRecord::Rectangle, {0, 0, 96, 96});
             return b.Finish();
         },
         {{10, 10, kRed}, {11, 10, kBlue}, {11, 11, kRed}}},
        {"emf_xor_rop2_bad_index",
         [] {
             auto b = Emf();
             b.Rec(EmfRecord::SelectObject, {999})
                 .Rec(EmfRecord::SelectObject, {0}); // out of range and reserved: ignored
             NullPen(b);
             b.Rec(EmfRecord::SetRop2, {7});
             SolidBrush(b, 1, Rgb(255, 0, 0));
             b.Rec(EmfRecord::Rectangle, {0, 0, 48, 96});
             return b.Finish();
         },
         {{24, 48, kCyan}, {72, 48, kWhite}}},
        {"emf_bitblt_stretchblt_setdibits",
         [] {
             auto b = Emf();
             // BITBLT source y counts from the top row as shown.
             b.Blt(EmfRecord::BitBlt, QRect(0, 0, 1, 1), QRect(1, 1, 1, 1), TwoByTwo(),
                   Number(Rop3::SrcCopy));
             b.Blt(EmfRecord::StretchBlt, QRect(48, 0, 48, 48), QRect(0, 0, 1, 2), TwoByTwo(),
                   Number(Rop3::SrcCopy));
             // SETDIBITSTODEVICE: unscaled, source y counted from the bottom.
             b.SetDiBits(QPoint(0, 48), QRect(0, 0, 2, 1), TwoByTwo());
             return b.Finish();
         },
         {{0, 0, kYellow},
          {72, 20, kRed},
          {72, 30, kBlue},
          {0, 48, kBlue},
          {1, 48, kYellow},
          {5, 60, kWhite}}},
        {"emf_stroke_path_update_cp_text",
         [] {
             auto b = Emf();
             b.Rec(EmfRecord::CreatePen, {1, 0, 6, 0, Rgb(0, 0, 255)})
                 .Rec(EmfRecord::SelectObject, {1});
             b.Rec(EmfRecord::BeginPath, {})
                 .Rec(EmfRecord::MoveToEx, {10, 10})
                 .Rec(EmfRecord::LineTo, {86, 10})
                 .Rec(EmfRecord::EndPath, {})
                 .Rec(EmfRecord::StrokePath, {0, 0, 0, 0});
             b.Rec(EmfRecord::MoveToEx, {10, 60})
                 .Font(2, -20)
                 .Rec(EmfRecord::SelectObject, {2})
                 .Rec(EmfRecord::SetTextAlign, {0x18 | 1})
                 .Rec(EmfRecord::SetBkMode, {1});
             b.Text({0, 0}, "I", 0, QRect(), {40});
             b.Text({0, 0}, "I", 0, QRect(), {40});
             b.Rec(EmfRecord::LineTo, {86, 90}); // from where the text left the position
             return b.Finish();
         },
         {{48, 10, kBlue}, {48, 20, kWhite}, {5, 55, kWhite}, {87, 84, kBlue}}},
        {"emf_text_clipped",
         [] {
             auto b = Emf();
             b.Font(1, -60, 900)
                 .Rec(EmfRecord::SelectObject, {1})
                 .Rec(EmfRecord::SetTextAlign, {0x18})
                 .Rec(EmfRecord::SetBkMode, {1});
             b.Text({4, 80}, "WW", 4, QRect(0, 0, 96, 50));
             return b.Finish();
         },
         {{48, 60, kWhite}, {48, 75, kWhite}}},
        {"wmf_lines_arcs_chord",
         [] {
             auto b = Wmf();
             b.Pen(0, 4, Rgb(255, 0, 0)).Rec(WmfFunction::SelectObject, {0});
             b.Rec(WmfFunction::MoveTo, {10, 10}).Rec(WmfFunction::LineTo, {10, 86}); // y, x
             b.Poly(WmfFunction::Polyline, {{10, 20}, {86, 20}});
             b.Brush(0, Rgb(0, 0, 255))
                 .Rec(WmfFunction::SelectObject, {1})
                 .Pen(5, 0, 0)
                 .Rec(WmfFunction::SelectObject, {2});
             b.Rec(WmfFunction::Chord, {48, 8, 8, 48, 88, 88, 8, 8}); // chord: top-left quarter
             b.Pen(0, 0, 0).Rec(WmfFunction::SelectObject, {3});
             b.Rec(WmfFunction::Arc, {88, 48, 48, 88, 96, 96, 40, 0});
             return b.Finish();
         },
         {{48, 10, kRed}, {48, 20, kRed}, {22, 22, kBlue}, {30, 30, kWhite}}},
        {"wmf_mapping_offsets_and_scales",
         [] {
             WmfBuilder b(QRect(0, 0, 96, 96), 96);
             b.Rec(WmfFunction::OffsetWindowOrg, {-48, -48});  // window origin moves to (-48, -48)
             b.Rec(WmfFunction::ScaleWindowExt, {2, 1, 2, 1}); // window extent halved: 2x zoom
             b.Rec(WmfFunction::ExcludeClipRect, {-36, -36, -48, -48}); // exclude device 0..24
             b.Brush(0, Rgb(255, 0, 0))
                 .Rec(WmfFunction::SelectObject, {0})
                 .Pen(5, 0, 0)
                 .Rec(WmfFunction::SelectObject, {1});
             b.Rec(WmfFunction::Rectangle, {0, 0, -48, -48}); // the whole picture at 2x
             return b.Finish();
         },
         {{60, 60, kRed}, {30, 30, kRed}, {10, 10, kWhite}}},
        {"wmf_setdibits_invert_region",
         [] {
             auto b = Wmf();
             b.SetDiBits(QPoint(0, 0), QRect(0, 0, 2, 2), TwoByTwo());
             b.Region({QRect(0, 48, 48, 48)}).Rec(WmfFunction::InvertRegion, {0});
             return b.Finish();
         },
         {{0, 0, kRed}, {1, 1, kYellow}, {24, 72, kBlack}, {72, 72, kWhite}}},
        {"emf_extpen_caps_user_dashes",
         [] {
             auto b = Emf();
             // geometric pens 20 wide: flat caps, then square caps
             b.Rec(EmfRecord::ExtCreatePen, {1, 0, 0, 0, 0, 0x10200, 20, 0, Rgb(255, 0, 0), 0, 0})
                 .Rec(EmfRecord::SelectObject, {1});
             b.Poly16(EmfRecord::Polyline16, {{20, 20}, {76, 20}});
             b.Rec(EmfRecord::ExtCreatePen, {2, 0, 0, 0, 0, 0x10100, 20, 0, Rgb(255, 0, 0), 0, 0})
                 .Rec(EmfRecord::SelectObject, {2});
             b.Poly16(EmfRecord::Polyline16, {{20, 50}, {76, 50}});
             // user style: 10 on, 30 off, in logical units of a geometric pen
             b.Rec(EmfRecord::ExtCreatePen,
                   {3, 0, 0, 0, 0, 0x10207, 4, 0, Rgb(0, 0, 255), 0, 2, 10, 30})
                 .Rec(EmfRecord::SelectObject, {3});
             b.Rec(EmfRecord::SetBkMode, {1}).Poly16(EmfRecord::Polyline16, {{0, 85}, {96, 85}});
             return b.Finish();
         },
         {{14, 20, kWhite}, {48, 20, kRed}, {14, 50, kRed}, {5, 85, kBlue}, {25, 85, kWhite}}},
        {"wmf_rectangle_ellipse",
         [] {
             auto b = Wmf();
             b.Brush(0, Rgb(255, 0, 0)).Rec(WmfFunction::SelectObject, {0});
             b.Pen(0, 4, Rgb(0, 0, 255)).Rec(WmfFunction::SelectObject, {1});
             b.Rec(WmfFunction::Rectangle, {50, 60, 10, 10}); // bottom, right, top, left
             b.Rec(WmfFunction::Ellipse, {96, 96, 60, 60});
             return b.Finish();
         },
         {{35, 30, kRed}, {10, 30, kBlue}, {78, 78, kRed}, {61, 61, kWhite}}},
        {"wmf_window_mapping",
         [] {
             WmfBuilder b(QRect(0, 0, 1000, 1000), 1000 * 96 / 96);
             b.Rec(WmfFunction::SetWindowOrg, {1000, 0})
                 .Rec(WmfFunction::SetWindowExt, {-1000, 1000}); // y up
             b.Brush(0, Rgb(0, 255, 0))
                 .Rec(WmfFunction::SelectObject, {0})
                 .Pen(5, 0, 0)
                 .Rec(WmfFunction::SelectObject, {1});
             b.Rec(WmfFunction::Rectangle, {0, 500, 500, 0}); // lower left quarter
             return b.Finish();
         },
         {{24, 72, kGreen}, {24, 24, kWhite}, {72, 72, kWhite}}},
        {"wmf_polygons",
         [] {
             auto b = Wmf();
             b.Brush(0, Rgb(0, 0, 255))
                 .Rec(WmfFunction::SelectObject, {0})
                 .Pen(5, 0, 0)
                 .Rec(WmfFunction::SelectObject, {1});
             b.Rec(WmfFunction::SetPolyFillMode, {2}).Poly(WmfFunction::Polygon, kStar);
             b.Brush(0, Rgb(255, 0, 0))
                 .Rec(WmfFunction::SelectObject, {2})
                 .Rec(WmfFunction::SetPolyFillMode, {1});
             b.PolyPolygon({{{0, 80}, {40, 80}, {40, 96}, {0, 96}},
                            {{10, 84}, {20, 84}, {20, 92}, {10, 92}}});
             return b.Finish();
         },
         {{48, 50, kBlue}, {5, 90, kRed}, {15, 88, kWhite}}},
        {"wmf_object_slots",
         [] {
             auto b = Wmf();
             b.Brush(0, Rgb(255, 0, 0)).Brush(0, Rgb(0, 255, 0));
             b.Rec(WmfFunction::DeleteObject, {0}); // frees slot 0
             b.Brush(0, Rgb(0, 0, 255));            // takes slot 0 again
             b.Rec(WmfFunction::SelectObject, {0})
                 .Rec(WmfFunction::SelectObject, {77}); // 77: ignored
             b.Pen(5, 0, 0).Rec(WmfFunction::SelectObject, {2});
             b.Rec(WmfFunction::Rectangle, {96, 96, 0, 0});
             return b.Finish();
         },
         {{48, 48, kBlue}}},
        {"wmf_save_restore_absolute",
         [] {
             auto b = Wmf();
             b.Brush(0, Rgb(255, 0, 0))
                 .Rec(WmfFunction::SelectObject, {0})
                 .Rec(WmfFunction::SaveDc, {});
             b.Brush(0, Rgb(0, 255, 0))
                 .Rec(WmfFunction::SelectObject, {1})
                 .Rec(WmfFunction::SaveDc, {});
             b.Rec(WmfFunction::RestoreDc, {1});
             b.Pen(5, 0, 0).Rec(WmfFunction::SelectObject, {2});
             b.Rec(WmfFunction::Rectangle, {96, 96, 0, 0});
             return b.Finish();
         },
         {{48, 48, kRed}}},
        {"wmf_region_clip_fill",
         [] {
             auto b = Wmf();
             b.Region({QRect(0, 0, 48, 48)}).Rec(WmfFunction::SelectClipRegion, {0});
             b.Brush(0, Rgb(255, 0, 0))
                 .Rec(WmfFunction::SelectObject, {1})
                 .Pen(5, 0, 0)
                 .Rec(WmfFunction::SelectObject, {2});
             b.Rec(WmfFunction::Rectangle, {96, 96, 0, 0});
             b.Region({QRect(60, 60, 30, 30)}).Brush(0, Rgb(0, 0, 255));
             b.Rec(WmfFunction::FillRegion, {3, 4}); // drawn through the clip: hidden
             return b.Finish();
         },
         {{24, 24, kRed}, {72, 24, kWhite}, {75, 75, kWhite}}},
        {"wmf_bitmaps",
         [] {
             auto b = Wmf();
             b.StretchDib(QRect(0, 0, 48, 48), QRect(0, 0, 2, 2), TwoByTwo(),
                          Number(Rop3::SrcCopy));
             b.DibBitBlt(QRect(48, 0, 2, 2), QPoint(0, 0), TwoByTwo(), Number(Rop3::SrcCopy));
             b.Brush(0, Rgb(0, 0, 255)).Rec(WmfFunction::SelectObject, {0});
             b.PatBlt(QRect(0, 48, 48, 48), Number(Rop3::PatCopy));
             b.PatBlt(QRect(48, 48, 48, 48), Number(Rop3::Blackness));
             return b.Finish();
         },
         {{12, 12, kRed},
          {36, 12, kGreen},
          {12, 36, kBlue},
          {48, 0, kRed},
          {49, 1, kYellow},
          {24, 72, kBlue},
          {72, 72, kBlack}}},
        {"wmf_pattern_brush_pie",
         [] {
             auto b = Wmf();
             QImage stripes(2, 2, QImage::Format_RGB32);
             stripes.fill(kGreen);
             stripes.setPixel(0, 0, kBlue);
             stripes.setPixel(1, 0, kBlue);
             b.DibPatternBrush(stripes)
                 .Rec(WmfFunction::SelectObject, {0})
                 .Pen(5, 0, 0)
                 .Rec(WmfFunction::SelectObject, {1});
             b.Rec(WmfFunction::Pie, {8, 48, 48, 88, 88, 88, 8, 8}); // pie, first quadrant
             return b.Finish();
         },
         {{65, 30, kBlue}, {65, 31, kGreen}, {30, 65, kWhite}}},
        {"wmf_text_opaque_charset",
         [] {
             auto b = Wmf();
             b.Font(-22, 700, 0, 204)
                 .Rec(WmfFunction::SelectObject, {0})
                 .Color(WmfFunction::SetBkColor, Rgb(255, 255, 0));
             b.ExtTextOut({4, 30}, "\xc0\xc1", 2, QRect(0, 0, 96, 48), {30, 30});
             b.Rec(WmfFunction::SetBkMode, {2}).TextOut({4, 60}, "Ab");
             return b.Finish();
         },
         {{90, 5, kYellow}, {90, 90, kWhite}}},
    };
}

class PlayTable : public ::testing::TestWithParam<PlayCase> {};

TEST_P(PlayTable, DrawsTheRecordsAsGdiWould) {
    const PlayCase& c = GetParam();
    const std::vector<std::uint8_t> bytes = c.make();
    const QImage img = Render(bytes);
    ASSERT_EQ(img.size(), QSize(96, 96));
    for (const Probe& p : c.probes)
        EXPECT_TRUE(Near(img.pixel(p.x, p.y), p.color))
            << c.name << " at " << p.x << "," << p.y << ": got " << std::hex << img.pixel(p.x, p.y)
            << " want " << p.color;

    // The committed file and picture: regenerated on request, else compared.
    const QString base = DataDir() + "/" + c.name;
    const QString ext = QString(c.name).startsWith("emf") ? ".emf" : ".wmf";
    if (qEnvironmentVariableIsSet("TAVIK_WRITE_METAFILE_DATA")) {
        QDir().mkpath(DataDir());
        QFile file(base + ext);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
        img.save(base + ".png");
        return;
    }
    const QImage expected(base + ".png");
    ASSERT_FALSE(expected.isNull()) << "missing " << base.toStdString() << ".png";
    // Text cases depend on the installed fonts: allow more drift there.
    const bool text = QString(c.name).contains("text");
    EXPECT_LE(DifferingPixels(img, expected.convertToFormat(QImage::Format_RGB32), 24),
              text ? 96 * 96 / 20 : 96 * 96 / 200)
        << c.name;
}

INSTANTIATE_TEST_SUITE_P(Records, PlayTable, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return std::string(info.param.name); });

// Text placement: alignment flags move the ink, Dx spreads the characters.
TEST(MetafileText, AlignmentAndSpacingMoveTheInk) {
    auto inkBox = [](const std::vector<std::uint8_t>& bytes) {
        const QImage img = Render(bytes);
        QRect box;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (qGray(img.pixel(x, y)) < 128)
                    box = box.united(QRect(x, y, 1, 1));
        return box;
    };
    auto make = [](std::uint32_t align, std::vector<int> dx) {
        auto b = Emf();
        b.Font(1, -20)
            .Rec(EmfRecord::SelectObject, {1})
            .Rec(EmfRecord::SetTextAlign, {align})
            .Rec(EmfRecord::SetBkMode, {1});
        b.Text({48, 48}, "IIII", 0, QRect(), dx);
        return b.Finish();
    };
    const QRect left = inkBox(make(0x18, {})), right = inkBox(make(0x18 | 2, {}));
    const QRect center = inkBox(make(0x18 | 6, {})), top = inkBox(make(0, {}));
    ASSERT_FALSE(left.isEmpty());
    EXPECT_GE(left.left(), 48);
    EXPECT_LE(right.right(), 48);
    EXPECT_LT(center.left(), 48);
    EXPECT_GT(center.right(), 48);
    EXPECT_LE(left.bottom(), 48); // baseline: ink above the reference
    EXPECT_GE(top.top(), 48);     // top: ink below it
    const QRect spread = inkBox(make(0x18, {12, 12, 12, 12}));
    EXPECT_GE(spread.width(), 3 * 12);
    EXPECT_LT(left.width(), 3 * 12);
}

TEST(MetafilePlay, StretchesIntoTheTargetAndKeepsThePainterState) {
    auto b = Emf();
    SolidBrush(b, 1, Rgb(255, 0, 0));
    NullPen(b);
    b.Rec(EmfRecord::Rectangle, {0, 0, 48, 48});
    const auto bytes = b.Finish();
    const QImage big = Render(bytes, QSize(192, 96));
    EXPECT_TRUE(Near(big.pixel(90, 40), kRed));
    EXPECT_TRUE(Near(big.pixel(100, 40), kWhite));

    const MetafileDocument doc = MetafileDocument::Parse(bytes);
    QImage img(64, 64, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter painter(&img);
    painter.setPen(Qt::green);
    painter.setClipRect(0, 0, 16, 64);
    doc.Play(painter, QRectF(0, 0, 64, 64));
    EXPECT_EQ(painter.pen().color(), QColor(Qt::green));
    EXPECT_TRUE(painter.hasClipping());
    painter.end();
    EXPECT_TRUE(Near(img.pixel(8, 8), kRed));
    EXPECT_TRUE(Near(img.pixel(24, 8), kWhite)); // the caller's clip still holds
}

} // namespace
} // namespace tavik::metafile::testing
