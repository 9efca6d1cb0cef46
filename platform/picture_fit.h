// Where the engine's picture goes in a window of any size: the largest
// rectangle of the picture's shape that fits, centred (black bars fill the
// rest), how it is scaled there, and how window and picture pixels map to
// each other. Internal to the platform library.
#pragma once

struct PictureFit {
    int x, y, w, h;  // the picture's rectangle in window pixels
    // The whole multiple the picture is first enlarged by with nearest-
    // neighbour: the smallest one that reaches the rectangle (at least 1).
    int prescale;
    // Whether a last smooth step takes the enlarged picture to w x h; false
    // when w x h is itself a whole multiple of the picture, which is then
    // drawn with nearest-neighbour alone.
    bool smooth;
};

// Fits a picture of pictureW x pictureH pixels (both > 0) into a window of
// windowW x windowH pixels. A prescale is never made larger than maxSide
// allows for the enlarged picture's longer side (0: no limit). An empty
// window gives an empty rectangle.
PictureFit PictureFitMake(int windowW, int windowH, int pictureW, int pictureH, int maxSide);

// The picture pixel under a window pixel. Pixels in the bars give positions
// outside 0 .. picture size - 1; the caller clamps them.
void PictureFitToPicture(const PictureFit& fit, int pictureW, int pictureH, int windowX, int windowY, int* pictureX,
                         int* pictureY);

// The window pixel at the centre of a picture pixel.
void PictureFitToWindow(const PictureFit& fit, int pictureW, int pictureH, int pictureX, int pictureY, int* windowX,
                        int* windowY);
