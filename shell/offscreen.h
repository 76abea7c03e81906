#pragma once
// For programs that draw but show nothing (generators, benchmarks): they need no display.
// Call before the QGuiApplication is made; a platform the user chose is kept.
void runOffscreenUnlessPlatformSet();
