#pragma once

// Fixed pseudo-random numbers for textures that must come out the same on every build.
class TNoise {
public:
  // A value 0..1 for the integer point (x, y) of stream `seed`.
  static double hashed(int x, int y, int seed);
  // Smooth value noise 0..1, two octaves.
  static double smooth(double x, double y, int seed);
};
