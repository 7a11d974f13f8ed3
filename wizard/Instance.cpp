#include "wizard/Instance.h"

HINSTANCE g_hInstance = nullptr;
