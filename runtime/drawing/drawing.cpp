// Placeholder until the drawing library lands: hooks only.
#include "runtime/drawing/drawing.h"
void DrawingInit() {}
void DrawingReset() {}
