// The animation and the mesh warp: which parameter moves each frame, where every grid point
// lands under the lens and the swirl, and in which order the mesh's vertices are emitted.
// Pure arithmetic, with the single/double precision of each step kept exactly, so that every
// frame of the run is reproducible.
#pragma once

#include <cstdint>

namespace renderer {

// The animation state of the whole run.
struct Animation {
    float lensPower = 1.0f;       // exponent of the distance from the centre, inside the circle
    float twistAmount = 0.0f;     // swirl angle at the centre, in radians
    float paramStep = 0.1f;       // added to the moving parameter each frame
    std::int32_t twistPhase = 1;  // 1: the swirl moves; 0: the lens moves
    std::int32_t frameCount = 0;  // frames drawn in the current phase
};

// Moves the parameter of the current phase by one step and turns at the bounds.
void advanceAnimation(Animation& state);

// Counts a drawn frame and flips the phase after 201 frames of it.
void finishFrame(Animation& state);

// The angle of (x, y) in radians, between -pi/2 and 3pi/2.
float polarAngle(float x, float y);

inline constexpr int kColumns = 28;  // grid points across, x from -1.0 by 0.075
inline constexpr int kRows = 22;     // grid points up, y from -1.0 by 0.09
inline constexpr int kDrawnRows = 21;

// Where the grid points land: indexed by column, then row; only the first kColumns x kRows
// entries are written.
struct Mesh {
    float meshX[50][50];
    float meshY[50][50];
};

// Moves every grid point through the lens (`power`) and the swirl (`twist`).
void evaluateMesh(float power, float twist, Mesh& mesh);

// One vertex of the drawn mesh: texture coordinates and position.
struct MeshVertex {
    float s, t, x, y;
};

// Calls `emit` for the 3240 vertices of the 1080 triangles, in drawing order.
template <typename Emit>
void forEachMeshVertex(const Mesh& mesh, Emit&& emit) {
    auto vertex = [&](int column, int row) {
        // The texture column is one ahead of the grid column: the leftmost 1/28 of the
        // picture is never shown.
        emit(MeshVertex{static_cast<float>(column + 1) / 28.0f, static_cast<float>(row) / 20.0f,
                        mesh.meshX[column][row], mesh.meshY[column][row]});
    };
    for (int m = 0; m < kDrawnRows - 1; ++m) {
        for (int k = 1; k < kColumns; ++k) {
            vertex(k - 1, m);
            vertex(k, m);
            vertex(k, m + 1);
            vertex(k - 1, m);
            vertex(k - 1, m + 1);
            vertex(k, m + 1);
        }
    }
}

}  // namespace renderer
