// The animation against its known run of frames, the polar angle, and the mesh warp: what
// moves, what stays, and the order and texture coordinates of the drawn vertices.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <vector>

#include "renderer/warp.h"

using renderer::Animation;
using renderer::Mesh;

namespace {

// The state each frame is drawn with, for frames 1..count (index 0 unused).
std::vector<Animation> DrawnStates(int count) {
    std::vector<Animation> states(1);
    Animation a;
    for (int frame = 1; frame <= count; ++frame) {
        renderer::advanceAnimation(a);
        states.push_back(a);
        renderer::finishFrame(a);
    }
    return states;
}

Mesh Evaluate(float power, float twist) {
    Mesh mesh{};
    renderer::evaluateMesh(power, twist, mesh);
    return mesh;
}

// The grid without lens or swirl: where evaluateMesh puts each point when nothing moves it.
const Mesh& Flat() {
    static const Mesh flat = Evaluate(1.0f, 0.0f);
    return flat;
}

bool OutsideCircle(int k, int m) {
    const float x = Flat().meshX[k][m], y = Flat().meshY[k][m];
    return std::sqrt(static_cast<double>(x * x + y * y)) >= 1.0;
}

}  // namespace

TEST(Animation, FollowsTheKnownRunOfFrames) {
    const auto s = DrawnStates(700);
    EXPECT_FLOAT_EQ(s[1].twistAmount, 0.1f);
    EXPECT_NEAR(s[24].twistAmount, 2.3999999, 1e-6);
    EXPECT_FLOAT_EQ(s[24].paramStep, 0.1f);
    // A value past the turning point is drawn as it is, not pulled back to the bound.
    EXPECT_NEAR(s[25].twistAmount, 2.4999998, 1e-6);
    EXPECT_EQ(s[25].paramStep, -0.05f);
    EXPECT_NEAR(s[124].twistAmount, -2.4499979, 1e-6);
    EXPECT_EQ(s[124].paramStep, 0.05f);
    EXPECT_NEAR(s[201].twistAmount, 1.4000007, 1e-6);
    EXPECT_NEAR(s[254].lensPower, 3.6499975, 1e-6);
    EXPECT_NEAR(s[323].lensPower, 0.19999978, 1e-6);
    EXPECT_NEAR(s[392].lensPower, 3.6499975, 1e-6);
    EXPECT_NEAR(s[402].lensPower, 3.1499979, 1e-6);

    // The step changes at exactly these frames, and nowhere else in the first 402.
    std::vector<int> turns;
    for (int f = 2; f <= 402; ++f)
        if (s[f].paramStep != s[f - 1].paramStep) turns.push_back(f);
    EXPECT_EQ(turns, (std::vector<int>{25, 124, 254, 323, 392}));

    for (int f = 1; f <= 201; ++f) ASSERT_EQ(s[f].lensPower, 1.0f) << f;  // exactly 1: no exponent
    for (int f = 202; f <= 402; ++f) ASSERT_EQ(s[f].twistAmount, s[201].twistAmount) << f;
    for (int f = 403; f <= 603 && f < 700; ++f) ASSERT_EQ(s[f].lensPower, s[402].lensPower) << f;
}

TEST(Animation, PhasesFlipAfter201FramesKeepingTheStep) {
    const auto s = DrawnStates(700);
    std::map<int, int> phaseAt = {{1, 1},   {201, 1}, {202, 0}, {402, 0},
                                  {403, 1}, {603, 1}, {604, 0}};
    for (const auto& [frame, phase] : phaseAt) EXPECT_EQ(s[frame].twistPhase, phase) << frame;
    // After frame 201 the exponent rises with the swirl's last step (+0.05)...
    EXPECT_FLOAT_EQ(s[202].lensPower, 1.05f);
    // ...and after frame 402 the swirl falls with the lens's last step (-0.05).
    EXPECT_EQ(s[403].paramStep, -0.05f);
    EXPECT_EQ(s[403].twistAmount, static_cast<float>(s[402].twistAmount + -0.05f));
    EXPECT_EQ(s[201].frameCount, 200);
    EXPECT_EQ(s[202].frameCount, 0);

    // Over a long run the parameters stay within their bounds plus one step.
    Animation a;
    for (int f = 0; f < 20000; ++f) {
        renderer::advanceAnimation(a);
        ASSERT_GE(a.twistAmount, -2.46f);
        ASSERT_LE(a.twistAmount, 2.51f);
        ASSERT_GE(a.lensPower, 0.19f);
        ASSERT_LE(a.lensPower, 3.66f);
        renderer::finishFrame(a);
    }
}

TEST(PolarAngle, AxesAndQuadrants) {
    EXPECT_EQ(renderer::polarAngle(0.0f, 0.0f), 0.0f);
    EXPECT_EQ(renderer::polarAngle(0.0f, 0.5f), 1.5707964f);
    EXPECT_EQ(renderer::polarAngle(0.0f, -0.5f), 4.712389f);
    EXPECT_EQ(renderer::polarAngle(5e-7f, 0.5f), 1.5707964f);  // |x| below 1e-6 counts as 0
    EXPECT_EQ(renderer::polarAngle(-5e-7f, 5e-7f), 0.0f);
    EXPECT_EQ(renderer::polarAngle(0.5f, 0.0f), 0.0f);
    EXPECT_EQ(renderer::polarAngle(-0.5f, 0.0f), static_cast<float>(3.1415926535));
    EXPECT_FLOAT_EQ(renderer::polarAngle(1.0f, 1.0f), 0.785398163f);
    EXPECT_FLOAT_EQ(renderer::polarAngle(-1.0f, 1.0f), 2.35619449f);
    EXPECT_FLOAT_EQ(renderer::polarAngle(-1.0f, -1.0f), 3.92699082f);
    EXPECT_FLOAT_EQ(renderer::polarAngle(1.0f, -1.0f), -0.785398163f);  // negative, not 7pi/4
}

// The grid steps by 0.075 across and 0.09 up, added up in single precision: the middle column
// and row miss zero by the sum's rounding, and the last column ends past 1. (Near the centre the
// flat mesh gives the grid's values to a few units in the last place.)
TEST(Mesh, GridAccumulatesInSinglePrecision) {
    const Mesh& flat = Flat();
    EXPECT_NEAR(flat.meshX[13][11], -0.025000114, 2e-8);
    EXPECT_NEAR(flat.meshX[14][12], 0.049999885, 2e-8);
    EXPECT_NEAR(flat.meshY[13][11], -0.010000113, 2e-8);
    EXPECT_NEAR(flat.meshY[14][12], 0.079999886, 2e-8);
    EXPECT_NEAR(flat.meshX[27][11], 1.0249999, 2e-7);
    EXPECT_NEAR(flat.meshY[13][21], 0.8899997, 2e-7);
    EXPECT_NEAR(flat.meshX[0][11], -1.0f, 2e-7);
    EXPECT_NEAR(flat.meshY[13][0], -1.0f, 2e-7);
    // Each column holds one x and each row one y, none of them zero.
    for (int k = 0; k < renderer::kColumns; ++k) {
        for (int m = 1; m < renderer::kRows; ++m) {
            EXPECT_NEAR(flat.meshX[k][m], flat.meshX[k][0], 1e-6) << k << "," << m;
            EXPECT_NE(flat.meshX[k][m], 0.0f) << k << "," << m;
        }
    }
    for (int m = 0; m < renderer::kRows; ++m) {
        for (int k = 1; k < renderer::kColumns; ++k) {
            EXPECT_NEAR(flat.meshY[k][m], flat.meshY[0][m], 1e-6) << k << "," << m;
            EXPECT_NE(flat.meshY[k][m], 0.0f) << k << "," << m;
        }
    }
}

TEST(Mesh, FlatWithoutLensOrSwirlAndUntouchedOutsideTheCircle) {
    const Mesh& flat = Flat();
    for (auto [power, twist] : {std::pair{3.65f, 2.5f}, {0.2f, -2.45f}, {1.05f, 0.1f}}) {
        const Mesh warped = Evaluate(power, twist);
        int moved = 0;
        for (int k = 0; k < renderer::kColumns; ++k) {
            for (int m = 0; m < renderer::kRows; ++m) {
                const bool same = warped.meshX[k][m] == flat.meshX[k][m] &&
                                  warped.meshY[k][m] == flat.meshY[k][m];
                if (OutsideCircle(k, m))
                    EXPECT_TRUE(same) << power << " " << twist << " at " << k << "," << m;
                else
                    moved += !same;
            }
        }
        // Every point inside the circle moves, the columns at the sides and the bottom row never.
        EXPECT_EQ(
            moved, 28 * 22 - [] {
                int outside = 0;
                for (int k = 0; k < 28; ++k)
                    for (int m = 0; m < 22; ++m) outside += OutsideCircle(k, m);
                return outside;
            }());
    }
    for (int m = 0; m < renderer::kRows; ++m) {
        EXPECT_TRUE(OutsideCircle(0, m));
        EXPECT_TRUE(OutsideCircle(27, m));
    }
    for (int k = 0; k < renderer::kColumns; ++k) EXPECT_TRUE(OutsideCircle(k, 0));
    // The top drawn row (y about 0.8) moves where |x| < 0.6.
    const Mesh swirled = Evaluate(1.0f, 1.0f);
    for (int k = 0; k < renderer::kColumns; ++k) {
        const bool moves = swirled.meshX[k][20] != flat.meshX[k][20];
        EXPECT_EQ(moves, std::fabs(flat.meshX[k][20]) < 0.6f) << k;
    }
}

TEST(Mesh, LensPullsInAboveOneAndPushesOutBelow) {
    const Mesh& flat = Flat();
    const Mesh in = Evaluate(2.0f, 0.0f), out = Evaluate(0.5f, 0.0f);
    const int k = 17, m = 14;  // a point inside the circle, off the axes
    auto radius = [&](const Mesh& mesh) { return std::hypot(mesh.meshX[k][m], mesh.meshY[k][m]); };
    EXPECT_LT(radius(in), radius(flat));
    EXPECT_GT(radius(out), radius(flat));
    EXPECT_NEAR(radius(in), radius(flat) * radius(flat), 1e-6);
}

TEST(Mesh, VerticesComeRowByRowWithShiftedTextureColumns) {
    const Mesh mesh = Evaluate(1.0f, 0.0f);
    std::vector<renderer::MeshVertex> v;
    renderer::forEachMeshVertex(mesh,
                                [&](const renderer::MeshVertex& vertex) { v.push_back(vertex); });
    ASSERT_EQ(v.size(), 3240u);
    // The first cell (columns 0-1, rows 0-1): L0, R0, R1, then L0, L1, R1.
    const float s0 = 1.0f / 28.0f, s1 = 2.0f / 28.0f, t1 = 1.0f / 20.0f;
    const std::vector<std::pair<float, float>> st = {{s0, 0}, {s1, 0},  {s1, t1},
                                                     {s0, 0}, {s0, t1}, {s1, t1}};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(v[i].s, st[i].first) << i;
        EXPECT_EQ(v[i].t, st[i].second) << i;
    }
    EXPECT_EQ(v[0].x, mesh.meshX[0][0]);
    EXPECT_EQ(v[2].y, mesh.meshY[1][1]);
    // The second cell moves one column right; a new row starts after 27 cells.
    EXPECT_EQ(v[6].x, mesh.meshX[1][0]);
    EXPECT_EQ(v[27 * 6].y, mesh.meshY[0][1]);
    // The last triangle is the top right cell's: the one that stays on top where folds overlap.
    EXPECT_EQ(v.back().x, mesh.meshX[27][20]);
    EXPECT_EQ(v.back().s, 1.0f);
    EXPECT_EQ(v.back().t, 1.0f);
    float minS = 1, minT = 1;
    for (const auto& vertex : v) minS = std::min(minS, vertex.s), minT = std::min(minT, vertex.t);
    EXPECT_EQ(minS, s0);  // the leftmost 1/28 of the picture is never shown
    EXPECT_EQ(minT, 0.0f);
}
