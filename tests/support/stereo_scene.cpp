#include "stereo_scene.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace testing_support {

namespace {

uint32_t Hash(uint32_t a, uint32_t b, uint32_t c)
{
    uint32_t h = a * 0x9E3779B1u ^ (b + 0x7F4A7C15u) * 0x85EBCA77u ^ (c + 0x165667B1u) * 0xC2B2AE3Du;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    return h;
}

struct Thing {
    double X, Y, Rx, Ry;  // centre and half sizes, in pixels of the LEFT picture
    double Depth;         // 0 far, 1 nearest
    double R, G, B;
    double Stripes;       // texture period in pixels
    bool Round;
};

}  // namespace

std::unique_ptr<tremalu::TBitmap> RenderStereoEye(const StereoScene& s, bool rightEye)
{
    const double w = s.Width, h = s.Height;
    std::vector<Thing> things;
    for (uint32_t k = 0; k < 14; ++k) {
        const auto u = [&](uint32_t salt) { return (Hash(s.Seed, k, salt) & 0xFFFF) / 65535.0; };
        things.push_back({u(1) * w, 0.25 * h + u(2) * 0.7 * h, (0.03 + 0.08 * u(3)) * w, (0.04 + 0.12 * u(4)) * h,
                          u(5), 40 + 200 * u(6), 40 + 200 * u(7), 40 + 200 * u(8), 3 + 20 * u(9), u(10) > 0.5});
    }
    std::sort(things.begin(), things.end(), [](const Thing& a, const Thing& b) { return a.Depth > b.Depth; });
    const double horizon = 0.4 * h;
    const double maxShift = s.NearParallax * w;

    auto bitmap = std::make_unique<tremalu::TBitmap>();
    bitmap->SetPixelFormat(tremalu::TPixelFormat::pf24bit);
    bitmap->SetPixelWidth(s.Width);
    bitmap->SetPixelHeight(s.Height);
    for (int32_t y = 0; y < s.Height; ++y) {
        uint8_t* row = bitmap->Row(y);
        // Where this row of the eye looks in the scene.
        const double sy = rightEye ? y - s.RightLower : y;
        for (int32_t x = 0; x < s.Width; ++x) {
            double r, g, b;
            // Far away: sky above the horizon, ground below, hardly moving.
            const double farShift = rightEye ? 0.1 * maxShift : 0;
            const double fx = x + farShift;
            if (sy < horizon) {
                const double t = sy / horizon;
                r = 90 + 60 * t;
                g = 130 + 50 * t;
                b = 220 - 30 * t + 10 * std::sin(fx * 0.02 + sy * 0.05);
            } else {
                const double t = (sy - horizon) / (h - horizon);
                const double grass = 25 * std::sin(fx * 0.11 + std::sin(sy * 0.07) * 3) * std::cos(sy * 0.23);
                r = 70 + 40 * t + grass;
                g = 110 + 30 * t + grass;
                b = 50 + 20 * t;
            }
            for (const Thing& o : things) {
                const double ox = rightEye ? x + (0.1 + 0.9 * o.Depth) * maxShift : x;
                const double dx = (ox - o.X) / o.Rx, dy = (sy - o.Y) / o.Ry;
                const bool inside = o.Round ? dx * dx + dy * dy <= 1 : std::abs(dx) <= 1 && std::abs(dy) <= 1;
                if (inside) {
                    const double stripe = 0.75 + 0.25 * std::sin((ox + 0.5 * sy) * 6.283 / o.Stripes);
                    r = o.R * stripe;
                    g = o.G * stripe;
                    b = o.B * stripe;
                    break;
                }
            }
            // Sensor noise, different in each eye.
            const double noise = static_cast<double>(Hash(static_cast<uint32_t>(x), static_cast<uint32_t>(y),
                                                          s.Seed * 2 + (rightEye ? 1 : 0)) % 9) - 4;
            const double gain = rightEye ? s.RightGain : 1.0, offset = rightEye ? s.RightOffset : 0.0;
            const auto channel = [&](double v) {
                return static_cast<uint8_t>(std::clamp(std::lround((v + noise) * gain + offset), 0L, 255L));
            };
            row[3 * x] = channel(b);
            row[3 * x + 1] = channel(g);
            row[3 * x + 2] = channel(r);
        }
    }
    return bitmap;
}

namespace {

// Smooth noise in [0, 1] on a lattice of `spacing` pixels: hashed values at
// the lattice points, blended with a smooth step.
double LatticeNoise(double u, double v, double spacing, uint32_t seed)
{
    const double fu = u / spacing, fv = v / spacing;
    const double iu = std::floor(fu), iv = std::floor(fv);
    const auto at = [&](double a, double b) {
        return (Hash(static_cast<uint32_t>(static_cast<int64_t>(a)), static_cast<uint32_t>(static_cast<int64_t>(b)), seed) &
                0xFFFF) / 65535.0;
    };
    const auto smooth = [](double t) { return t * t * (3 - 2 * t); };
    const double tu = smooth(fu - iu), tv = smooth(fv - iv);
    const double top = at(iu, iv) + (at(iu + 1, iv) - at(iu, iv)) * tu;
    const double bottom = at(iu, iv + 1) + (at(iu + 1, iv + 1) - at(iu, iv + 1)) * tu;
    return top + (bottom - top) * tv;
}

}  // namespace

std::unique_ptr<tremalu::TBitmap> RenderLayeredEye(const LayeredScene& s, bool rightEye)
{
    auto bitmap = std::make_unique<tremalu::TBitmap>();
    bitmap->SetPixelFormat(tremalu::TPixelFormat::pf24bit);
    bitmap->SetPixelWidth(s.Width);
    bitmap->SetPixelHeight(s.Height);
    // Layer 0 is the background; layer k + 1 is s.Layers[k].
    const size_t count = s.Layers.size() + 1;
    for (int32_t y = 0; y < s.Height; ++y) {
        uint8_t* row = bitmap->Row(y);
        const double sy = rightEye ? y - s.RightLower : y;
        for (int32_t x = 0; x < s.Width; ++x) {
            // The frontmost layer that covers this pixel; the RIGHT eye sees
            // the layer's point u at column u - disparity.
            size_t layer = 0;
            double u = rightEye ? x + s.BackgroundDisparity : x;
            for (size_t k = count - 1; k > 0; --k) {
                const SceneLayer& l = s.Layers[k - 1];
                const double lu = rightEye ? x + l.Disparity : x;
                if (lu >= l.Left * s.Width && lu < l.Right * s.Width && sy >= l.Top * s.Height && sy < l.Bottom * s.Height) {
                    layer = k;
                    u = lu;
                    break;
                }
            }
            const uint32_t seed = s.Seed * 131 + static_cast<uint32_t>(layer) * 7919;
            double t = 0;
            for (const double spacing : {2.0, 6.0, 18.0, 54.0})
                t += 50 * LatticeNoise(u, sy, spacing, seed + static_cast<uint32_t>(spacing));
            const double noise = static_cast<double>(Hash(static_cast<uint32_t>(x), static_cast<uint32_t>(y),
                                                          s.Seed * 2 + 100 + (rightEye ? 1 : 0)) % 5) - 2;
            const double gain = rightEye ? s.RightGain : 1.0, offset = rightEye ? s.RightOffset : 0.0;
            const auto channel = [&](double tint) {
                return static_cast<uint8_t>(std::clamp(std::lround((t * tint + 28 + noise) * gain + offset), 0L, 255L));
            };
            row[3 * x] = channel(0.7 + 0.3 * ((seed >> 3) % 7) / 6.0);
            row[3 * x + 1] = channel(0.7 + 0.3 * ((seed >> 5) % 5) / 4.0);
            row[3 * x + 2] = channel(0.8);
        }
    }
    return bitmap;
}

}  // namespace testing_support
