// The demo's built-in scene: a ground plane, three spheres and a turned box,
// seen by a pinhole camera, rendered as a world-position pass (R, G, B =
// world X, Y, Z; A = coverage). Edges are antialiased by supersampling: a
// pixel's alpha is the share of its samples that hit a surface and its
// position is the mean of the hit points, as renderers that filter their
// data passes and then divide by coverage deliver it.
#pragma once

#include "CameraSpace.h"
#include "Image.h"

namespace kestrow::cli {

struct DemoSceneOptions {
  int width = 640;
  int height = 360;
  int samplesPerAxis = 4;  // samplesPerAxis² samples per pixel
};

OIIO::ImageBuf renderDemoScene(const DemoSceneOptions& options);

// The demo camera's world-to-camera matrix (row vectors; camera space looks
// down -Z with Y up), as a renderer writes it in the header.
Matrix44 demoWorldToCamera();

// The picture that the demo projects with the "Layer" mode: a colour wheel
// under a checkerboard, opaque, `size` × `size` pixels.
OIIO::ImageBuf demoPicture(int size);

}  // namespace kestrow::cli
