#include "libraries/decompress/ruxdecompress.h"
#include "platform/FdIo.h"

#include <zstd.h>

#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace {

// Results other than 0; only "not 0" matters to the caller, the values help a person debugging.
enum : int { Ok = 0, BadArgument = 1, CannotOpenInput = 2, CannotOpenOutput = 3, ReadFailed = 4,
             WriteFailed = 5, Damaged = 6, Truncated = 7, TrailingBytes = 8, NoMemory = 9,
             TooLarge = 10 };

// The writer never uses windows above 8 MiB; a frame asking for more is refused instead of
// letting a damaged or hostile file decide how much memory the installer takes.
constexpr int MaxWindowLog = 23;
constexpr size_t ChunkSize = 256 << 10;

struct Fd {
    int fd = -1;
    explicit Fd(int f) : fd(f) {}
    ~Fd() { if (fd >= 0) ::close(fd); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int release() { int f = fd; fd = -1; return f; }
};

struct DctxFree {
    void operator()(ZSTD_DCtx* d) const { ZSTD_freeDCtx(d); }
};

// The context and buffers are kept for the next file of the same thread: the installer calls
// once per file, and fresh memory each time costs more than the decompression of a small file.
struct Workspace {
    std::unique_ptr<ZSTD_DCtx, DctxFree> dctx{ZSTD_createDCtx()};
    std::unique_ptr<char[]> in = std::make_unique_for_overwrite<char[]>(ChunkSize);
    std::unique_ptr<char[]> out = std::make_unique_for_overwrite<char[]>(ChunkSize);
};

using platform::readFull;

using platform::writeFull;

int decompress(const char* stored, const char* output, unsigned long long maxBytes) {
    if (stored == nullptr || output == nullptr) return BadArgument;
    Fd in(::open(stored, O_RDONLY | O_CLOEXEC));
    if (in.fd < 0) return CannotOpenInput;
    // Written over in place and cut to its new length at the end: truncating first makes the
    // kernel wait for the previous file's pages still being written out.
    Fd out(::open(output, O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
    if (out.fd < 0) return CannotOpenOutput;

    thread_local Workspace work;
    ZSTD_DCtx* dctx = work.dctx.get();
    if (!dctx) return NoMemory;
    if (ZSTD_isError(ZSTD_DCtx_reset(dctx, ZSTD_reset_session_and_parameters)) ||
        ZSTD_isError(ZSTD_DCtx_setParameter(dctx, ZSTD_d_windowLogMax, MaxWindowLog)))
        return NoMemory;
    char* inBuffer = work.in.get();
    char* outBuffer = work.out.get();
    off_t written = 0;
    bool frameDone = false;
    bool sawInput = false;
    for (;;) {
        ssize_t got = readFull(in.fd, inBuffer, ChunkSize);
        if (got < 0) return ReadFailed;
        if (got == 0) break;
        if (frameDone) return TrailingBytes;
        sawInput = true;
        ZSTD_inBuffer src{inBuffer, static_cast<size_t>(got), 0};
        while (src.pos < src.size) {
            if (frameDone) return TrailingBytes;
            ZSTD_outBuffer dst{outBuffer, ChunkSize, 0};
            size_t rc = ZSTD_decompressStream(dctx, &dst, &src);
            if (ZSTD_isError(rc)) return Damaged;
            if (dst.pos > maxBytes - static_cast<unsigned long long>(written)) return TooLarge;
            if (!writeFull(out.fd, outBuffer, dst.pos)) return WriteFailed;
            written += static_cast<off_t>(dst.pos);
            if (rc == 0) frameDone = true;
        }
        // Flush what the decoder still holds for this input before reading more.
        while (!frameDone) {
            ZSTD_outBuffer dst{outBuffer, ChunkSize, 0};
            size_t rc = ZSTD_decompressStream(dctx, &dst, &src);
            if (ZSTD_isError(rc)) return Damaged;
            if (dst.pos > maxBytes - static_cast<unsigned long long>(written)) return TooLarge;
            if (!writeFull(out.fd, outBuffer, dst.pos)) return WriteFailed;
            written += static_cast<off_t>(dst.pos);
            if (rc == 0) frameDone = true;
            if (dst.pos < dst.size) break;  // needs more input
        }
    }
    if (!sawInput || !frameDone) return Truncated;
    if (::ftruncate(out.fd, written) != 0) return WriteFailed;
    if (::close(out.release()) != 0) return WriteFailed;
    return Ok;
}

}  // namespace

extern "C" int ruxdecompress(const char* stored, const char* output) {
    return ruxdecompress_bounded(stored, output, ~0ULL);
}

extern "C" int ruxdecompress_bounded(const char* stored, const char* output, unsigned long long maxBytes) {
    try {
        return decompress(stored, output, maxBytes);
    } catch (...) {
        return NoMemory;  // std::bad_alloc from the buffers
    }
}
