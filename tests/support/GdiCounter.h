#pragma once

// The GDI objects this process holds now. GetGuiResources is a stub under Wine, so
// this counts the used entries of the process's GDI handle table. Fonts and DCs cache
// a few objects on first use: compare counts after one warm-up round.
int CountGdiObjects();
