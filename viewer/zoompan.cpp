// Zoom and pan of the map in Picture1. The offsets are unzoomed twips and unbounded: the
// map may be moved out of view and brought back.
#include "viewer/form1.h"

namespace {
constexpr float MaxZoom = 8.0f;
constexpr float MinZoom = 1.0f;
constexpr float PanStep = 1000.0f;
} // namespace

void Form1::Command4_Click()
{
    Zoom = Zoom * 2;
    if (Zoom > MaxZoom)
        Zoom = MaxZoom;
    RefreshPicture();
}

void Form1::Command5_Click()
{
    Zoom = Zoom / 2;
    if (Zoom < MinZoom)
        Zoom = MinZoom;
    RefreshPicture();
}

void Form1::Command6_Click()
{
    OffsetY += PanStep;
    RefreshPicture();
}

void Form1::Command7_Click()
{
    OffsetY -= PanStep;
    RefreshPicture();
}

void Form1::Command8_Click()
{
    OffsetX += PanStep;
    RefreshPicture();
}

void Form1::Command9_Click()
{
    OffsetX -= PanStep;
    RefreshPicture();
}
