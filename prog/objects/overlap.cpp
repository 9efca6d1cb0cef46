#include "prog/objects/overlap.h"

// The box covers bx .. bx + bw and by .. by + bh, both edges included.
int PointInBox(int32_t px, int32_t py, int32_t bx, int32_t by, int32_t bw, int32_t bh) {
    if (px < bx) return 0;
    if (px > bx + bw) return 0;
    if (py < by) return 0;
    if (py > by + bh) return 0;
    return 1;
}

// Asks whether any corner of one box lies inside the other: a's four corners in
// b first, then b's four in a. Two boxes crossing like a plus sign, with no
// corner inside the other, do not count.
int BoxesOverlap(const void* a, const void* b) {
    const Sprite* p = static_cast<const Sprite*>(a);
    const Sprite* q = static_cast<const Sprite*>(b);
    const int32_t pw = (int32_t)p->w, ph = (int32_t)p->h;
    const int32_t qw = (int32_t)q->w, qh = (int32_t)q->h;
    if (PointInBox(p->x, p->y, q->x, q->y, qw, qh)) return 1;
    if (PointInBox(p->x + pw, p->y, q->x, q->y, qw, qh)) return 1;
    if (PointInBox(p->x, p->y + ph, q->x, q->y, qw, qh)) return 1;
    if (PointInBox(p->x + pw, p->y + ph, q->x, q->y, qw, qh)) return 1;
    if (PointInBox(q->x, q->y, p->x, p->y, pw, ph)) return 1;
    if (PointInBox(q->x + qw, q->y, p->x, p->y, pw, ph)) return 1;
    if (PointInBox(q->x, q->y + qh, p->x, p->y, pw, ph)) return 1;
    if (PointInBox(q->x + qw, q->y + qh, p->x, p->y, pw, ph)) return 1;
    return 0;
}
