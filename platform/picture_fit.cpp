// The letter-boxed rectangle, the prescale and the pointer mapping of a
// picture shown in a window of any size.
#include "platform/picture_fit.h"

namespace {

// Rounds a / b (b > 0) down, also for negative a.
int FloorDiv(long long a, long long b) { return static_cast<int>(a >= 0 ? a / b : -((-a + b - 1) / b)); }

}  // namespace

PictureFit PictureFitMake(int windowW, int windowH, int pictureW, int pictureH, int maxSide) {
    PictureFit fit = {0, 0, 0, 0, 1, false};
    if (windowW <= 0 || windowH <= 0 || pictureW <= 0 || pictureH <= 0) return fit;
    // The side that limits the scale is filled; the other is rounded to the
    // nearest pixel, so the bars on either side differ by one pixel at most.
    if (static_cast<long long>(windowW) * pictureH <= static_cast<long long>(windowH) * pictureW) {
        fit.w = windowW;
        fit.h = static_cast<int>((2LL * windowW * pictureH + pictureW) / (2LL * pictureW));
    } else {
        fit.h = windowH;
        fit.w = static_cast<int>((2LL * windowH * pictureW + pictureH) / (2LL * pictureH));
    }
    if (fit.w < 1) fit.w = 1;
    if (fit.h < 1) fit.h = 1;
    fit.x = (windowW - fit.w) / 2;
    fit.y = (windowH - fit.h) / 2;

    // Enlarging past the rectangle and smoothing down to it blends only the
    // window pixels that straddle two picture pixels (a band under one pixel
    // wide); enlarging less and smoothing up would blur every edge over more
    // than a pixel.
    const int wide = (fit.w + pictureW - 1) / pictureW, high = (fit.h + pictureH - 1) / pictureH;
    fit.prescale = wide > high ? wide : high;
    const int longer = pictureW > pictureH ? pictureW : pictureH;
    if (maxSide > 0 && fit.prescale * longer > maxSide) fit.prescale = maxSide / longer;
    if (fit.prescale < 1) fit.prescale = 1;
    fit.smooth = fit.w % pictureW != 0 || fit.h % pictureH != 0 || fit.w / pictureW != fit.h / pictureH;
    return fit;
}

void PictureFitToPicture(const PictureFit& fit, int pictureW, int pictureH, int windowX, int windowY, int* pictureX,
                         int* pictureY) {
    if (fit.w <= 0 || fit.h <= 0) {
        *pictureX = *pictureY = 0;
        return;
    }
    // By the centre of the window pixel, so that a picture pixel's own centre
    // (PictureFitToWindow) maps back to that pixel whenever the picture is
    // shown at least at its own size.
    *pictureX = FloorDiv((2LL * (windowX - fit.x) + 1) * pictureW, 2LL * fit.w);
    *pictureY = FloorDiv((2LL * (windowY - fit.y) + 1) * pictureH, 2LL * fit.h);
}

void PictureFitToWindow(const PictureFit& fit, int pictureW, int pictureH, int pictureX, int pictureY, int* windowX,
                        int* windowY) {
    *windowX = fit.x + FloorDiv((2LL * pictureX + 1) * fit.w, 2LL * pictureW);
    *windowY = fit.y + FloorDiv((2LL * pictureY + 1) * fit.h, 2LL * pictureH);
}
