#include "engine/Instance.h"

HINSTANCE g_hInstance = nullptr;
