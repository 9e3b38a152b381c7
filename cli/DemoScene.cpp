#include "DemoScene.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace kestrow::cli {
namespace {

struct Vec {
  double x, y, z;
};
Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec operator*(Vec a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec cross(Vec a, Vec b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
Vec normalised(Vec a) { return a * (1.0 / std::sqrt(dot(a, a))); }

constexpr double kNoHit = std::numeric_limits<double>::infinity();

struct Ray {
  Vec origin, direction;
};

// Square ground patch in the plane y = 0.
double hitGround(const Ray& ray, double halfSize) {
  if (std::abs(ray.direction.y) < 1e-12) return kNoHit;
  const double t = -ray.origin.y / ray.direction.y;
  if (t <= 0) return kNoHit;
  const Vec p = ray.origin + ray.direction * t;
  return std::abs(p.x) <= halfSize && std::abs(p.z) <= halfSize ? t : kNoHit;
}

double hitSphere(const Ray& ray, Vec centre, double radius) {
  const Vec oc = ray.origin - centre;
  const double b = dot(oc, ray.direction);
  const double c = dot(oc, oc) - radius * radius;
  const double disc = b * b - c;
  if (disc < 0) return kNoHit;
  const double t = -b - std::sqrt(disc);
  return t > 0 ? t : kNoHit;
}

// Box of half extents `half` around `centre`, turned by `turn` radians about
// the vertical axis; slab test in the box's own frame.
double hitBox(const Ray& ray, Vec centre, Vec half, double turn) {
  const double c = std::cos(turn), s = std::sin(turn);
  auto toLocal = [&](Vec v) { return Vec{c * v.x - s * v.z, v.y, s * v.x + c * v.z}; };
  const Vec o = toLocal(ray.origin - centre);
  const Vec d = toLocal(ray.direction);
  double tNear = -kNoHit, tFar = kNoHit;
  const double os[3] = {o.x, o.y, o.z}, ds[3] = {d.x, d.y, d.z}, hs[3] = {half.x, half.y, half.z};
  for (int i = 0; i < 3; ++i) {
    if (std::abs(ds[i]) < 1e-12) {
      if (std::abs(os[i]) > hs[i]) return kNoHit;
      continue;
    }
    double t0 = (-hs[i] - os[i]) / ds[i], t1 = (hs[i] - os[i]) / ds[i];
    if (t0 > t1) std::swap(t0, t1);
    tNear = std::max(tNear, t0);
    tFar = std::min(tFar, t1);
  }
  return tNear <= tFar && tNear > 0 ? tNear : kNoHit;
}

std::optional<Vec> trace(const Ray& ray) {
  double t = hitGround(ray, 7.0);
  t = std::min(t, hitSphere(ray, {-1.7, 1.0, 0.2}, 1.0));
  t = std::min(t, hitSphere(ray, {0.9, 0.65, 1.5}, 0.65));
  t = std::min(t, hitSphere(ray, {0.2, 0.45, -1.9}, 0.45));
  t = std::min(t, hitBox(ray, {2.3, 0.7, -0.6}, {0.7, 0.7, 0.7}, 0.5));
  if (t == kNoHit) return std::nullopt;
  return ray.origin + ray.direction * t;
}

void hsvToRgb(double h, double s, double v, float* rgb) {
  const double k[3] = {5, 3, 1};
  for (int i = 0; i < 3; ++i) {
    const double kk = std::fmod(k[i] + h * 6.0, 6.0);
    rgb[i] = float(v - v * s * std::max(0.0, std::min({kk, 4.0 - kk, 1.0})));
  }
}

}  // namespace

// Camera above and in front of the scene, looking slightly down at it.
constexpr Vec kEye{0.9, 3.1, 6.6};
constexpr Vec kTarget{0.3, 0.55, -0.3};

Matrix44 demoWorldToCamera() {
  const Vec forward = normalised(kTarget - kEye);
  const Vec right = normalised(cross(forward, {0, 1, 0}));
  const Vec up = cross(right, forward);
  const Vec back = forward * -1.0;
  return {right.x,           up.x,           back.x,           0,  //
          right.y,           up.y,           back.y,           0,  //
          right.z,           up.z,           back.z,           0,  //
          -dot(kEye, right), -dot(kEye, up), -dot(kEye, back), 1};
}

OIIO::ImageBuf renderDemoScene(const DemoSceneOptions& options) {
  OIIO::ImageBuf image = rgbaImage(options.width, options.height);
  const Vec eye = kEye;
  const Vec target = kTarget;
  const double verticalFov = 40.0 * 3.14159265358979323846 / 180.0;
  const Vec forward = normalised(target - eye);
  const Vec right = normalised(cross(forward, {0, 1, 0}));
  const Vec up = cross(right, forward);
  const double halfHeight = std::tan(verticalFov / 2);
  const double halfWidth = halfHeight * options.width / options.height;

  const int n = options.samplesPerAxis;
  for (int row = 0; row < options.height; ++row) {
    for (int column = 0; column < options.width; ++column) {
      Vec sum{0, 0, 0};
      int hits = 0;
      for (int sy = 0; sy < n; ++sy) {
        for (int sx = 0; sx < n; ++sx) {
          const double u = (column + (sx + 0.5) / n) / options.width * 2 - 1;
          const double v = 1 - (row + (sy + 0.5) / n) / options.height * 2;
          const Vec dir = normalised(forward + right * (u * halfWidth) + up * (v * halfHeight));
          if (auto p = trace({eye, dir})) {
            sum = sum + *p;
            ++hits;
          }
        }
      }
      auto* px = static_cast<float*>(image.pixeladdr(column, row));
      if (hits > 0) {
        px[0] = float(sum.x / hits);
        px[1] = float(sum.y / hits);
        px[2] = float(sum.z / hits);
      }
      px[3] = float(hits) / float(n * n);
    }
  }
  return image;
}

OIIO::ImageBuf demoPicture(int size) {
  OIIO::ImageBuf image = rgbaImage(size, size);
  const double centre = size / 2.0;
  const int checker = std::max(1, size / 8);
  for (int row = 0; row < size; ++row) {
    for (int column = 0; column < size; ++column) {
      const double dx = column + 0.5 - centre, dy = row + 0.5 - centre;
      const double hue = std::atan2(dy, dx) / (2 * 3.14159265358979323846) + 0.5;
      const double radius = std::sqrt(dx * dx + dy * dy) / centre;
      const bool dark = ((column / checker) + (row / checker)) % 2 == 1;
      auto* px = static_cast<float*>(image.pixeladdr(column, row));
      hsvToRgb(hue, std::min(1.0, 0.25 + radius), dark ? 0.55 : 0.95, px);
      px[3] = 1.f;
    }
  }
  return image;
}

}  // namespace kestrow::cli
