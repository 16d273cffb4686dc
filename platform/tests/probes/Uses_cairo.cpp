// Must not compile: program code draws through platform::Canvas only.
#include "platform/canvas.h"
#include <cairo.h>

cairo_t* Probe();
