// Must not compile: program code reaches windows through platform::Window only.
#include "platform/window.h"
#include <SDL.h>

SDL_Window* Probe();
