#pragma once

// Positions and sizes kept in the settings store and given by the window layouts are twips:
// 15 twips to a pixel.
constexpr int kTwipsPerPixel = 15;

constexpr int TwipsToPixels(int twips)
{
    return twips / kTwipsPerPixel;
}

constexpr int PixelsToTwips(int pixels)
{
    return pixels * kTwipsPerPixel;
}
