// Which pixels a draw touches: pixel centres, the top-left rule, shared edges, culling, clipping.
#include "tests/platform/raster/raster_fixture.h"

#include <cmath>
#include <vector>

namespace rastertest {
namespace {

// Adds 0x10 to every channel of each covered pixel, so a pixel's blue byte / 0x10 counts how
// often it was drawn.
DrawState CountingState() {
    DrawState s;
    s.stages[0].colorOp = TextureOp::Modulate;   // no texture: diffuse passes through
    s.stages[0].alphaOp = TextureOp::Modulate;
    s.alphaBlendEnable = true;
    s.srcBlend = Blend::One;
    s.destBlend = Blend::One;
    s.cullMode = Cull::None;
    return s;
}

constexpr std::uint32_t kCount = 0x10101010;

int Count(const OwnedImage& image, int x, int y) { return Channel(image.At(x, y), 0) / 0x10; }

using RasterCoverage = RasterTest;

TEST_F(RasterCoverage, QuadCoversPixelsWhoseCentresAreInsideWithTopLeftRule) {
    struct Case {
        float left, top, right, bottom;
        int firstX, firstY, lastX, lastY;
    };
    const Case cases[] = {
        {9.5f, 9.5f, 19.5f, 19.5f, 10, 10, 19, 19},      // the engine's shifted (10,10)-(20,20)
        {10, 10, 20, 20, 10, 10, 19, 19},                // centres on the left and top edges are in
        {10.25f, 10.5f, 20.25f, 20.5f, 11, 11, 20, 20},
        {9.75f, 9.75f, 19.75f, 19.75f, 10, 10, 19, 19},
        {3.5f, 7.5f, 4.5f, 8.5f, 4, 8, 4, 8},            // a single pixel
        {3.6f, 7.6f, 3.95f, 8.4f, 1, 1, 0, 0},           // between centres: nothing
    };
    for (const Case& c : cases) {
        OwnedImage target(32, 32, PixelFormat::A8R8G8B8);
        DrawFan(target, CountingState(), Quad(c.left, c.top, c.right, c.bottom, kCount));
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) {
                bool inside = x >= c.firstX && x <= c.lastX && y >= c.firstY && y <= c.lastY;
                ASSERT_EQ(Count(target, x, y), inside ? 1 : 0)
                    << "quad " << c.left << "," << c.top << " pixel " << x << "," << y;
            }
        }
    }
}

// Convex polygons drawn as fans: no pixel twice, none missed well inside, none drawn well outside.
TEST_F(RasterCoverage, FanDiagonalsAreDrawnExactlyOnce) {
    const double kPi = 3.14159265358979;
    struct Polygon {
        std::vector<Vertex> points;
    };
    std::vector<Polygon> polygons;
    auto regular = [&](double cx, double cy, double radius, int sides, double angle) {
        Polygon p;
        for (int i = 0; i < sides; ++i) {
            double a = angle - 2 * kPi * i / sides;   // counter-clockwise on screen, as the engine's fans
            p.points.push_back(Vertex{float(cx + radius * std::cos(a)), float(cy + radius * std::sin(a)), 0, 1,
                                      kCount, 0, 0, 0});
        }
        polygons.push_back(p);
    };
    auto quad = Quad(9.5f, 9.5f, 39.5f, 29.5f, kCount);
    polygons.push_back(Polygon{{quad.begin(), quad.end()}});
    for (double angle : {0.1, 0.5236, 0.7854, 1.3, 2.9}) {
        regular(32.3, 24.7, 20, 4, angle);   // rotated squares, their diagonal at every slope
    }
    regular(31.5, 23.5, 21, 16, 0.05);
    regular(32, 24, 16, 4, 0.7853981633974483);   // vertices and diagonal on pixel centres

    for (const Polygon& polygon : polygons) {
        OwnedImage target(64, 48, PixelFormat::A8R8G8B8);
        DrawPrimitive(target.image, target.Bounds(), CountingState(), Primitive::TriangleFan,
                      unsigned(polygon.points.size() - 2), polygon.points.data());
        const auto& pts = polygon.points;
        for (int y = 0; y < 48; ++y) {
            for (int x = 0; x < 64; ++x) {
                // Signed distance to the nearest edge, positive inside.
                double inside = 1e9;
                for (std::size_t i = 0; i < pts.size(); ++i) {
                    const Vertex& a = pts[i];
                    const Vertex& b = pts[(i + 1) % pts.size()];
                    double ex = b.x - a.x, ey = b.y - a.y;
                    double d = (ex * (y - a.y) - ey * (x - a.x)) / std::hypot(ex, ey);
                    inside = std::min(inside, -d);
                }
                int count = Count(target, x, y);
                ASSERT_LE(count, 1) << "pixel " << x << "," << y;
                if (inside > 0.01) {
                    ASSERT_EQ(count, 1) << "hole at " << x << "," << y;
                } else if (inside < -0.01) {
                    ASSERT_EQ(count, 0) << "outside pixel drawn at " << x << "," << y;
                }
            }
        }
    }
}

// A jittered mesh tiling a rectangle, as a triangle list: every pixel of the rectangle exactly once.
TEST_F(RasterCoverage, MeshOfTrianglesTilesWithoutGapsOrOverlap) {
    const int kN = 7;
    const float kStep = 8;
    Vertex grid[kN + 1][kN + 1];
    unsigned seed = 12345;
    auto jitter = [&seed]() {
        seed = seed * 1103515245u + 12345u;
        return (float((seed >> 16) & 1023) / 1023.0f - 0.5f) * 5.0f;
    };
    for (int j = 0; j <= kN; ++j) {
        for (int i = 0; i <= kN; ++i) {
            bool border = i == 0 || j == 0 || i == kN || j == kN;
            float x = 4 + i * kStep + (border ? 0 : jitter());
            float y = 4 + j * kStep + (border ? 0 : jitter());
            grid[j][i] = Vertex{x, y, 0, 1, kCount, 0, 0, 0};
        }
    }
    grid[3][3].x = std::round(grid[3][3].x);   // a vertex exactly on a pixel centre
    grid[3][3].y = std::round(grid[3][3].y);
    std::vector<Vertex> list;
    for (int j = 0; j < kN; ++j) {
        for (int i = 0; i < kN; ++i) {
            const Vertex &a = grid[j][i], &b = grid[j][i + 1], &c = grid[j + 1][i], &d = grid[j + 1][i + 1];
            if ((i + j) % 2 == 0) {
                list.insert(list.end(), {a, b, d, a, d, c});
            } else {
                list.insert(list.end(), {a, b, c, b, d, c});
            }
        }
    }
    OwnedImage target(64, 64, PixelFormat::A8R8G8B8);
    DrawPrimitive(target.image, target.Bounds(), CountingState(), Primitive::TriangleList,
                  unsigned(list.size() / 3), list.data());
    const int last = 4 + kN * int(kStep);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            bool inside = x >= 4 && x < last && y >= 4 && y < last;
            ASSERT_EQ(Count(target, x, y), inside ? 1 : 0) << "pixel " << x << "," << y;
        }
    }
}

TEST_F(RasterCoverage, CullModesDropTrianglesOfTheirWinding) {
    const auto engineFan = Quad(2, 2, 10, 10, kCount);   // counter-clockwise on screen
    const std::array<Vertex, 4> clockwise = {engineFan[0], engineFan[3], engineFan[2], engineFan[1]};
    struct Case {
        Cull cull;
        bool drawsEngineFan, drawsClockwise;
    };
    for (const Case& c : {Case{Cull::None, true, true}, Case{Cull::CW, true, false}, Case{Cull::CCW, false, true}}) {
        DrawState s = CountingState();
        s.cullMode = c.cull;
        OwnedImage a(16, 16, PixelFormat::A8R8G8B8), b(16, 16, PixelFormat::A8R8G8B8);
        DrawFan(a, s, engineFan);
        DrawFan(b, s, clockwise);
        EXPECT_EQ(Count(a, 5, 5), c.drawsEngineFan ? 1 : 0) << int(c.cull);
        EXPECT_EQ(Count(b, 5, 5), c.drawsClockwise ? 1 : 0) << int(c.cull);
    }
}

// Single right triangles (never drawn as a rectangle) whose vertical and horizontal edges sit at
// every kind of sub-pixel offset, in both windings: the bounds solved once per edge take exactly
// the pixel centres that the edge functions and the top-left rule take.
TEST_F(RasterCoverage, AxisAlignedEdgesOfSingleTrianglesFollowTheEdgeFunctions) {
    auto snap = [](double c) { return std::int64_t(std::llround(c * 256)); };
    auto inside = [&](const Vertex (&v)[3], int px, int py) {
        std::int64_t x[3], y[3];
        for (int i = 0; i < 3; ++i) {
            x[i] = snap(v[i].x), y[i] = snap(v[i].y);
        }
        if ((x[1] - x[0]) * (y[2] - y[0]) - (y[1] - y[0]) * (x[2] - x[0]) < 0) {
            std::swap(x[1], x[2]), std::swap(y[1], y[2]);
        }
        for (int i = 0; i < 3; ++i) {
            const int j = (i + 1) % 3;
            const std::int64_t dx = x[j] - x[i], dy = y[j] - y[i];
            const std::int64_t e = dx * (std::int64_t(py) * 256 - y[i]) - dy * (std::int64_t(px) * 256 - x[i]);
            const bool topLeft = dy < 0 || (dy == 0 && dx > 0);
            if (e < (topLeft ? 0 : 1)) {
                return false;
            }
        }
        return true;
    };
    const double fractions[] = {0, 1.0 / 256, 0.5, 255.0 / 256};
    for (double fx : fractions) {
        for (double fy : fractions) {
            const float left = float(3 + fx), right = float(14 + fx), top = float(2 + fy), bottom = float(12 + fy);
            // Each corner of the box in turn is the right angle, taken in both windings.
            const float corners[4][2] = {{left, top}, {right, top}, {right, bottom}, {left, bottom}};
            for (int corner = 0; corner < 4; ++corner) {
                for (bool reversed : {false, true}) {
                    Vertex v[3];
                    for (int i = 0; i < 3; ++i) {
                        const int k = (corner + (reversed ? 4 - i : i) + 3) % 4;
                        v[i] = Vertex{corners[k][0], corners[k][1], 0, 1, kCount, 0, 0, 0};
                    }
                    OwnedImage target(20, 16, PixelFormat::A8R8G8B8);
                    DrawPrimitive(target.image, target.Bounds(), CountingState(), Primitive::TriangleList, 1, v);
                    for (int py = 0; py < 16; ++py) {
                        for (int px = 0; px < 20; ++px) {
                            ASSERT_EQ(Count(target, px, py), inside(v, px, py) ? 1 : 0)
                                << "offsets " << fx << "," << fy << " corner " << corner << " reversed "
                                << reversed << " pixel " << px << "," << py;
                        }
                    }
                }
            }
        }
    }
}

TEST_F(RasterCoverage, StripAndListDrawTheSamePixelsAsTheFan) {
    const auto q = Quad(3.3f, 2.7f, 27.6f, 19.2f, kCount);
    const Vertex strip[4] = {q[0], q[1], q[3], q[2]};
    const Vertex list[6] = {q[0], q[1], q[2], q[0], q[2], q[3]};
    OwnedImage fan(32, 24, PixelFormat::A8R8G8B8), s(32, 24, PixelFormat::A8R8G8B8), l(32, 24, PixelFormat::A8R8G8B8);
    DrawFan(fan, CountingState(), q);
    DrawPrimitive(s.image, s.Bounds(), CountingState(), Primitive::TriangleStrip, 2, strip);
    DrawPrimitive(l.image, l.Bounds(), CountingState(), Primitive::TriangleList, 2, list);
    EXPECT_EQ(fan.bytes, s.bytes);
    EXPECT_EQ(fan.bytes, l.bytes);
    EXPECT_EQ(Count(fan, 10, 10), 1);
}

TEST_F(RasterCoverage, DrawingIsClippedToViewportAndTarget) {
    OwnedImage target(32, 32, PixelFormat::A8R8G8B8);
    DrawPrimitive(target.image, Rect{8, 6, 24, 20}, CountingState(), Primitive::TriangleFan, 2,
                  Quad(-1000, -1000, 5000, 3000, kCount).data());
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            bool inside = x >= 8 && x < 24 && y >= 6 && y < 20;
            ASSERT_EQ(Count(target, x, y), inside ? 1 : 0) << x << "," << y;
        }
    }
    // A viewport larger than the target, and a target with padded rows: only the target's pixels change.
    OwnedImage padded(20, 10, PixelFormat::A8R8G8B8, 12);
    DrawPrimitive(padded.image, Rect{-50, -50, 500, 500}, CountingState(), Primitive::TriangleFan, 2,
                  Quad(-1, -1, 40, 40, kCount).data());
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 20; ++x) {
            ASSERT_EQ(Count(padded, x, y), 1);
        }
        for (int pad = 80; pad < 92; ++pad) {
            ASSERT_EQ(padded.bytes[std::size_t(y) * 92 + std::size_t(pad)], 0) << "row padding written";
        }
    }
}

TEST_F(RasterCoverage, InvalidInputDrawsNothing) {
    const float nan = std::nanf("");
    OwnedImage target(16, 16, PixelFormat::A8R8G8B8);
    const std::vector<std::uint8_t> empty = target.bytes;
    DrawFan(target, CountingState(), Quad(nan, 2, 10, 10, kCount));
    DrawFan(target, CountingState(), Quad(2, 2, 1e12f, 10, kCount));
    DrawFan(target, CountingState(), Quad(2, 2, 2, 10, kCount));                 // no area
    DrawPrimitive(target.image, target.Bounds(), CountingState(), Primitive::TriangleFan, 2, nullptr);
    DrawPrimitive(target.image, target.Bounds(), CountingState(), Primitive::TriangleFan, 0,
                  Quad(2, 2, 10, 10, kCount).data());
    DrawPrimitive(target.image, Rect{10, 10, 5, 5}, CountingState(), Primitive::TriangleFan, 2,
                  Quad(2, 2, 10, 10, kCount).data());
    DrawPrimitive(target.image, target.Bounds(), CountingState(), Primitive(99), 2, Quad(2, 2, 10, 10, kCount).data());
    Image shortRows = target.image;
    shortRows.pitch = 8;
    DrawPrimitive(shortRows, target.Bounds(), CountingState(), Primitive::TriangleFan, 2,
                  Quad(2, 2, 10, 10, kCount).data());
    EXPECT_EQ(target.bytes, empty);
}

}  // namespace
}  // namespace rastertest
