// The keyed-copy kernels. Each vector version is compiled for its own
// instruction set with a per-function target attribute, so the library as a
// whole still runs on any x86-64 processor; which one runs is decided once,
// from what the processor reports.
#include "platform/blit_kernels.h"

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define BLIT_X86 1
#elif defined(__wasm_simd128__)
#include <wasm_simd128.h>
#endif

void KeyedCopyReference(uint16_t* dst, ptrdiff_t dstStride, const uint16_t* src, ptrdiff_t srcStride, int width,
                        int height, uint16_t key) {
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++) {
            uint16_t p = src[x];
            if (p != key) dst[x] = p;
        }
        dst += dstStride;
        src += srcStride;
    }
}

#if BLIT_X86

namespace {

// Eight pixels: keep the destination where the source equals the key.
__attribute__((target("sse2"))) inline void Blend8(uint16_t* d, const uint16_t* s, __m128i key) {
    __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
    __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d));
    __m128i m = _mm_cmpeq_epi16(sv, key);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm_or_si128(_mm_and_si128(m, dv), _mm_andnot_si128(m, sv)));
}

// Four pixels, in the low half of a register.
__attribute__((target("sse2"))) inline void Blend4(uint16_t* d, const uint16_t* s, __m128i key) {
    __m128i sv = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(s));
    __m128i dv = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(d));
    __m128i m = _mm_cmpeq_epi16(sv, key);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(d), _mm_or_si128(_mm_and_si128(m, dv), _mm_andnot_si128(m, sv)));
}

// One row with 128-bit vectors. A row that is not a multiple of the vector
// width ends with one more vector placed flush with the row's end: it
// overlaps pixels already done, which is harmless because blending the same
// source over its own result gives that result again.
__attribute__((target("sse2"))) inline void RowSse2(uint16_t* d, const uint16_t* s, int width, __m128i key) {
    if (width >= 8) {
        int x = 0;
        for (; x + 8 <= width; x += 8) Blend8(d + x, s + x, key);
        if (x < width) Blend8(d + width - 8, s + width - 8, key);
    } else if (width >= 4) {
        Blend4(d, s, key);
        Blend4(d + width - 4, s + width - 4, key);
    } else {
        uint16_t k = static_cast<uint16_t>(_mm_cvtsi128_si32(key));
        for (int x = 0; x < width; x++)
            if (s[x] != k) d[x] = s[x];
    }
}

__attribute__((target("sse2"))) void KeyedCopySse2(uint16_t* dst, ptrdiff_t dstStride, const uint16_t* src,
                                                   ptrdiff_t srcStride, int width, int height, uint16_t key) {
    const __m128i k = _mm_set1_epi16(static_cast<short>(key));
    for (int y = 0; y < height; y++) {
        RowSse2(dst, src, width, k);
        dst += dstStride;
        src += srcStride;
    }
}

__attribute__((target("avx2"))) inline void Blend16(uint16_t* d, const uint16_t* s, __m256i key) {
    __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s));
    __m256i dv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d));
    __m256i m = _mm256_cmpeq_epi16(sv, key);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d), _mm256_blendv_epi8(sv, dv, m));
}

__attribute__((target("avx2"))) void KeyedCopyAvx2(uint16_t* dst, ptrdiff_t dstStride, const uint16_t* src,
                                                   ptrdiff_t srcStride, int width, int height, uint16_t key) {
    const __m256i k = _mm256_set1_epi16(static_cast<short>(key));
    const __m128i k128 = _mm_set1_epi16(static_cast<short>(key));
    if (width < 16) {
        for (int y = 0; y < height; y++) {
            RowSse2(dst, src, width, k128);
            dst += dstStride;
            src += srcStride;
        }
        return;
    }
    for (int y = 0; y < height; y++) {
        int x = 0;
        for (; x + 16 <= width; x += 16) Blend16(dst + x, src + x, k);
        if (x < width) Blend16(dst + width - 16, src + width - 16, k);
        dst += dstStride;
        src += srcStride;
    }
}

// With AVX-512BW the store itself is masked: only the pixels that differ from
// the key are written, and the ends of a row are a masked load and store, so
// nothing outside the row is read or written and the destination is never
// read. Each row is split so that its full vectors store to whole 64-byte
// lines of the destination: a store that straddles two lines costs twice.
__attribute__((target("avx512f,avx512bw"))) inline void Row512(uint16_t* d, const uint16_t* s, int n, __m512i key) {
    int head = static_cast<int>(((64 - (reinterpret_cast<uintptr_t>(d) & 63)) & 63) / 2);
    if (head > n) head = n;
    if (head) {
        const __mmask32 m = static_cast<__mmask32>((1u << head) - 1u);
        __m512i sv = _mm512_maskz_loadu_epi16(m, s);
        _mm512_mask_storeu_epi16(d, _mm512_mask_cmpneq_epi16_mask(m, sv, key), sv);
        d += head;
        s += head;
        n -= head;
    }
    for (; n >= 32; n -= 32, d += 32, s += 32) {
        __m512i sv = _mm512_loadu_si512(s);
        _mm512_mask_storeu_epi16(d, _mm512_cmpneq_epi16_mask(sv, key), sv);
    }
    if (n) {
        const __mmask32 m = static_cast<__mmask32>((1u << n) - 1u);
        __m512i sv = _mm512_maskz_loadu_epi16(m, s);
        _mm512_mask_storeu_epi16(d, _mm512_mask_cmpneq_epi16_mask(m, sv, key), sv);
    }
}

__attribute__((target("avx512f,avx512bw"))) void KeyedCopyAvx512(uint16_t* dst, ptrdiff_t dstStride,
                                                                 const uint16_t* src, ptrdiff_t srcStride, int width,
                                                                 int height, uint16_t key) {
    const __m512i k = _mm512_set1_epi16(static_cast<short>(key));
    for (int y = 0; y < height; y++) {
        Row512(dst, src, width, k);
        dst += dstStride;
        src += srcStride;
    }
}

const BlitKernel kAll[] = {
    {"reference", KeyedCopyReference},
    {"sse2", KeyedCopySse2},
    {"avx2", KeyedCopyAvx2},
    {"avx512bw", KeyedCopyAvx512},
};

bool Supported(int index) {
    __builtin_cpu_init();
    switch (index) {
        case 0:
            return true;
        case 1:
            return __builtin_cpu_supports("sse2");
        case 2:
            return __builtin_cpu_supports("avx2");
        case 3:
            return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
    }
    return false;
}

}  // namespace

#elif defined(__wasm_simd128__)  // WebAssembly with SIMD (the browser build)

namespace {

// Eight pixels at a time, as the SSE2 kernel does; the rest of a row one by one.
void KeyedCopySimd128(uint16_t* dst, ptrdiff_t dstStride, const uint16_t* src, ptrdiff_t srcStride, int width,
                      int height, uint16_t key) {
    const v128_t k = wasm_i16x8_splat(static_cast<int16_t>(key));
    for (int y = 0; y < height; y++) {
        int x = 0;
        for (; x + 8 <= width; x += 8) {
            const v128_t sv = wasm_v128_load(src + x), dv = wasm_v128_load(dst + x);
            wasm_v128_store(dst + x, wasm_v128_bitselect(dv, sv, wasm_i16x8_eq(sv, k)));
        }
        for (; x < width; x++)
            if (src[x] != key) dst[x] = src[x];
        dst += dstStride;
        src += srcStride;
    }
}

const BlitKernel kAll[] = {{"reference", KeyedCopyReference}, {"simd128", KeyedCopySimd128}};
bool Supported(int index) { return index == 0 || index == 1; }

}  // namespace

#else  // neither: the reference loop is the only kernel

namespace {
const BlitKernel kAll[] = {{"reference", KeyedCopyReference}};
bool Supported(int index) { return index == 0; }
}  // namespace

#endif

namespace {

constexpr int kAllCount = static_cast<int>(sizeof(kAll) / sizeof(kAll[0]));

// The kernels this processor runs, found once.
struct KernelTable {
    const BlitKernel* list[kAllCount];
    int count;
    const BlitKernel* active;
};

KernelTable& Table() {
    static KernelTable table = [] {
        KernelTable t{};
        for (int i = 0; i < kAllCount; i++)
            if (Supported(i)) t.list[t.count++] = &kAll[i];
        t.active = t.list[t.count - 1];
        return t;
    }();
    return table;
}

// Choose when the library is loaded, so the first frame pays nothing.
[[maybe_unused]] const KernelTable& kChosenAtLoad = Table();

}  // namespace

int BlitKernelCount() { return Table().count; }

const BlitKernel* BlitKernelAt(int index) {
    KernelTable& t = Table();
    return index >= 0 && index < t.count ? t.list[index] : nullptr;
}

const BlitKernel* BlitActiveKernel() { return Table().active; }

int BlitForceKernel(const char* name) {
    KernelTable& t = Table();
    if (!name) {
        t.active = t.list[t.count - 1];
        return 1;
    }
    for (int i = 0; i < t.count; i++) {
        if (std::strcmp(t.list[i]->name, name) == 0) {
            t.active = t.list[i];
            return 1;
        }
    }
    return 0;
}
