// The colour-keyed copy behind BltFast: a plain reference loop and faster
// versions for the vector units a processor offers. One kernel is chosen the
// first time a copy runs, from what the processor supports; tests and
// benchmarks may list the kernels this processor can run and force one.
#pragma once
#include <cstddef>
#include <cstdint>

// Copies a width x height block of RGB565 pixels from src to dst, leaving the
// destination pixel unchanged wherever the source pixel equals key. Strides
// are in pixels. The two blocks must not overlap in memory. Width and height
// are at least 1.
typedef void (*KeyedCopyFn)(uint16_t* dst, ptrdiff_t dstStride, const uint16_t* src, ptrdiff_t srcStride, int width,
                            int height, uint16_t key);

struct BlitKernel {
    const char* name;  // "reference", "sse2", "avx2", "avx512bw"; "simd128" in the browser
    KeyedCopyFn copy;
};

// The definition of the keyed copy: one pixel at a time.
void KeyedCopyReference(uint16_t* dst, ptrdiff_t dstStride, const uint16_t* src, ptrdiff_t srcStride, int width,
                        int height, uint16_t key);

// Kernels this processor can run, the reference first and the fastest last.
int BlitKernelCount();
const BlitKernel* BlitKernelAt(int index);

// The kernel BltFast uses now.
const BlitKernel* BlitActiveKernel();

// Makes BltFast use the named kernel; a null name goes back to the fastest
// one. Returns 1, or 0 (nothing changed) when this processor cannot run it.
int BlitForceKernel(const char* name);
