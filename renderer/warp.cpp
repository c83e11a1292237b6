// The animation steps and the mesh evaluation. Floats are stored where the picture's history
// stores them and doubles are used where it computes in double: changing either moves the
// turning frames of the animation.
#include "renderer/warp.h"

#include <cmath>

namespace renderer {

void advanceAnimation(Animation& state) {
    if (state.twistPhase != 0) {
        state.twistAmount = state.twistAmount + state.paramStep;
        if (static_cast<double>(state.twistAmount) <= -2.4) state.paramStep = 0.05f;
        if (static_cast<double>(state.twistAmount) >= 2.4) state.paramStep = -0.05f;
    } else {
        state.lensPower = state.lensPower + state.paramStep;
        if (static_cast<double>(state.lensPower) <= 0.2) state.paramStep = 0.05f;
        if (static_cast<double>(state.lensPower) >= 3.6) state.paramStep = -0.05f;
    }
}

void finishFrame(Animation& state) {
    state.frameCount = state.frameCount + 1;
    if (state.frameCount > 200) {
        state.twistPhase = state.twistPhase == 0 ? 1 : 0;
        state.frameCount = 0;
    }
}

float polarAngle(float x, float y) {
    if (std::fabs(static_cast<double>(x)) < 1e-6) {
        if (std::fabs(static_cast<double>(y)) < 1e-6) return 0.0f;
        return y > 0 ? 1.5707964f : 4.712389f;
    }
    const float quotient = y / x;
    const double angle = std::atan(static_cast<double>(quotient));
    return static_cast<float>(x < 0 ? angle + 3.1415926535 : angle);
}

void evaluateMesh(float power, float twist, Mesh& mesh) {
    float x = -1.0f;
    for (int k = 0; k < kColumns; ++k) {
        float y = -1.0f;
        for (int m = 0; m < kRows; ++m) {
            const float squares = x * x + y * y;
            float rho = static_cast<float>(std::sqrt(static_cast<double>(squares)));
            float theta = polarAngle(x, y);
            if (static_cast<double>(rho) < 1.0) {
                if (static_cast<double>(power) != 1.0)
                    rho = static_cast<float>(
                        std::exp(static_cast<double>(power) * std::log(static_cast<double>(rho))));
                theta = static_cast<float>(theta + (1.0 - rho) * static_cast<double>(twist));
            }
            mesh.meshX[k][m] = static_cast<float>(rho * std::cos(static_cast<double>(theta)));
            mesh.meshY[k][m] = static_cast<float>(rho * std::sin(static_cast<double>(theta)));
            y = static_cast<float>(y + 0.09);
        }
        x = static_cast<float>(x + 0.075);
    }
}

}  // namespace renderer
