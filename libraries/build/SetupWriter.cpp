// Writing the discs: files are compressed by a pool of threads, each into one zstd frame, and laid
// into the archives in record order by this thread as soon as the next one in line is ready.
#include "libraries/build/SetupWriter.h"

#include "libraries/build/SetupLayout.h"
#include "platform/FdIo.h"

#include <zstd.h>

#include <algorithm>
#include <utility>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unordered_map>
#include <unistd.h>

namespace build {
namespace {

namespace fs = std::filesystem;
namespace L = layout;

// Files up to this size are read and compressed in one piece; bigger ones are streamed through a
// temporary file so that memory stays bounded whatever the product holds.
constexpr uint64_t WholeFileLimit = 4u << 20;
constexpr size_t StreamChunk = 1u << 20;
// Files from this size on are also split among zstd's own threads, so that one big file does not
// keep a single thread busy while the others have nothing left to do. Still one frame.
constexpr uint64_t BigFileSize = 32u << 20;
constexpr int MinLevel = 1, MaxLevel = 19;  // higher levels need windows above 8 MiB

std::string errnoText() { return std::strerror(errno); }

class Fd {
public:
    Fd() = default;
    explicit Fd(int fd) : fd_(fd) {}
    Fd(Fd&& o) noexcept : fd_(std::exchange(o.fd_, -1)) {}
    Fd& operator=(Fd&& o) noexcept {
        if (this != &o) {
            reset();
            fd_ = std::exchange(o.fd_, -1);
        }
        return *this;
    }
    ~Fd() { reset(); }
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    void reset() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }
    bool close() {
        int fd = std::exchange(fd_, -1);
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int fd_ = -1;
};

Fd openRead(const char* p) { return Fd(::open(p, O_RDONLY | O_CLOEXEC)); }
Fd openRead(const fs::path& p) { return openRead(p.c_str()); }
Fd openWrite(const fs::path& p) { return Fd(::open(p.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644)); }

using platform::readFull;

using platform::writeFull;

std::string writeWholeFile(const fs::path& path, std::span<const uint8_t> bytes) {
    fs::path temp = path;
    temp += ".part";
    Fd fd = openWrite(temp);
    if (!fd.valid()) return "Cannot create " + temp.string() + ": " + errnoText();
    if (!writeFull(fd.get(), reinterpret_cast<const char*>(bytes.data()), bytes.size()) || !fd.close())
        return "Cannot write " + temp.string() + ": " + errnoText();
    std::error_code ec;
    fs::rename(temp, path, ec);
    if (ec) return "Cannot write " + path.string() + ": " + ec.message();
    return {};
}

std::string copyFile(const fs::path& from, const fs::path& to, bool executable) {
    std::error_code ec;
    fs::path temp = to;
    temp += ".part";
    fs::copy_file(from, temp, fs::copy_options::overwrite_existing, ec);
    if (!ec && executable)
        fs::permissions(temp, fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                        fs::perm_options::add, ec);
    if (!ec) fs::rename(temp, to, ec);
    if (ec) return "Cannot copy " + from.string() + " to " + to.string() + ": " + ec.message();
    return {};
}

fs::path discFolder(const fs::path& out, unsigned disc) {
    return out / (std::string(L::DiscFolderPrefix) + std::to_string(disc));
}
fs::path archivePath(const fs::path& out, unsigned disc) {
    return discFolder(out, disc) / (std::string(L::ArchivePrefix) + std::to_string(disc) + L::ArchiveSuffix);
}

// Memory kept from file to file: fresh pages for every file would make the threads queue on the
// kernel's page faults.
struct Buffer {
    std::unique_ptr<char[]> data;
    size_t capacity = 0, size = 0;
    void reserve(size_t n) {
        if (n <= capacity) return;
        data = std::make_unique_for_overwrite<char[]>(n);
        capacity = n;
    }
};

// One file's stored bytes, ready to be laid into the archives.
struct Job {
    bool done = false;
    std::string error;
    Buffer bytes;  // the frame, or nothing when it is in `spill`
    fs::path spill;
    StoredFile sizes;
};

struct CctxFree {
    void operator()(ZSTD_CCtx* c) const { ZSTD_freeCCtx(c); }
};

class Compressor {
public:
    Compressor(int level, unsigned bigFileWorkers)
        : cctx_(ZSTD_createCCtx()), level_(level), bigFileWorkers_(bigFileWorkers) {}

    // A file too big to keep in memory goes to `spillFolder`, named after its job.
    void run(const std::string& source, const fs::path& spillFolder, size_t jobIndex, Job& job) {
        job.error = compress(source, spillFolder, jobIndex, job);
    }

private:
    bool setUp(uint64_t size) {
        ZSTD_CCtx* c = cctx_.get();
        return c && !ZSTD_isError(ZSTD_CCtx_reset(c, ZSTD_reset_session_and_parameters)) &&
               !ZSTD_isError(ZSTD_CCtx_setParameter(c, ZSTD_c_compressionLevel, level_)) &&
               !ZSTD_isError(ZSTD_CCtx_setParameter(c, ZSTD_c_checksumFlag, 1)) &&
               (size < BigFileSize || bigFileWorkers_ < 2 ||
                !ZSTD_isError(ZSTD_CCtx_setParameter(c, ZSTD_c_nbWorkers, static_cast<int>(bigFileWorkers_)))) &&
               !ZSTD_isError(ZSTD_CCtx_setPledgedSrcSize(c, size));
    }

    std::string compress(const std::string& source, const fs::path& spillFolder, size_t jobIndex, Job& job) {
        Fd in = openRead(source.c_str());
        if (!in.valid()) return "Cannot open the source file " + source + ": " + errnoText();
        struct stat st {};
        if (::fstat(in.get(), &st) != 0 || !S_ISREG(st.st_mode))
            return "The source " + source + " is not a file";
        const uint64_t size = static_cast<uint64_t>(st.st_size);
        if (size > 0xFFFFFFFFu) return "The source file " + source + " is 4 GiB or larger";
        job.sizes.installedSize = static_cast<uint32_t>(size);
        // 100-nanosecond ticks since 1601-01-01 UTC.
        job.sizes.lastWriteTime = static_cast<uint64_t>(st.st_mtim.tv_sec + 11644473600LL) * 10000000u +
                                  static_cast<uint64_t>(st.st_mtim.tv_nsec) / 100u;
        if (!setUp(size)) return "The compressor cannot be set up";
        auto changed = [&source] { return "The source file " + source + " changed while it was read"; };

        if (size <= WholeFileLimit) {
            input_.reserve(size + 1);
            ssize_t got = readFull(in.get(), input_.data.get(), size + 1);
            if (got < 0) return "Cannot read " + source + ": " + errnoText();
            if (static_cast<uint64_t>(got) != size) return changed();
            job.bytes.reserve(ZSTD_compressBound(size));
            size_t n = ZSTD_compress2(cctx_.get(), job.bytes.data.get(), job.bytes.capacity, input_.data.get(), size);
            if (ZSTD_isError(n)) return std::string("Compression failed: ") + ZSTD_getErrorName(n);
            job.bytes.size = n;
            job.sizes.storedSize = static_cast<uint32_t>(n);
            return {};
        }

        const fs::path spillPath = spillFolder / (std::to_string(jobIndex) + ".zst");
        Fd out = openWrite(spillPath);
        if (!out.valid()) return "Cannot create " + spillPath.string() + ": " + errnoText();
        job.spill = spillPath;
        input_.reserve(StreamChunk);
        output_.reserve(ZSTD_CStreamOutSize());
        uint64_t read = 0, stored = 0;
        for (bool last = false; !last;) {
            ssize_t got = readFull(in.get(), input_.data.get(), StreamChunk);
            if (got < 0) return "Cannot read " + source + ": " + errnoText();
            read += static_cast<uint64_t>(got);
            if (read > size) return changed();
            last = static_cast<size_t>(got) < StreamChunk;
            ZSTD_inBuffer src{input_.data.get(), static_cast<size_t>(got), 0};
            const ZSTD_EndDirective mode = last ? ZSTD_e_end : ZSTD_e_continue;
            for (;;) {
                ZSTD_outBuffer dst{output_.data.get(), output_.capacity, 0};
                size_t remaining = ZSTD_compressStream2(cctx_.get(), &dst, &src, mode);
                if (ZSTD_isError(remaining))
                    return read != size && last ? changed()
                                                : std::string("Compression failed: ") + ZSTD_getErrorName(remaining);
                if (!writeFull(out.get(), output_.data.get(), dst.pos))
                    return "Cannot write " + spillPath.string() + ": " + errnoText();
                stored += dst.pos;
                if (last ? remaining == 0 : src.pos == src.size) break;
            }
        }
        if (read != size) return changed();
        if (!out.close()) return "Cannot write " + spillPath.string() + ": " + errnoText();
        if (stored > 0xFFFFFFFFu) return "The stored bytes of " + source + " reach 4 GiB";
        job.sizes.storedSize = static_cast<uint32_t>(stored);
        return {};
    }

    std::unique_ptr<ZSTD_CCtx, CctxFree> cctx_;
    int level_;
    unsigned bigFileWorkers_;
    Buffer input_, output_;
};

// The archives of all discs as one stream cut at each disc's room.
class ArchiveSink {
public:
    ArchiveSink(fs::path out, uint64_t firstRoom, uint64_t otherRoom)
        : out_(std::move(out)), firstRoom_(firstRoom), otherRoom_(otherRoom) {}

    std::string open() { return openDisc(1); }

    Placement position() const { return {static_cast<uint16_t>(disc_), static_cast<uint32_t>(offset_)}; }

    std::string write(const char* data, size_t size) {
        while (size > 0) {
            if (offset_ == room()) {
                std::string e = openDisc(disc_ + 1);
                if (!e.empty()) return e;
            }
            size_t n = static_cast<size_t>(std::min<uint64_t>(size, room() - offset_));
            if (!writeFull(fd_.get(), data, n))
                return "Cannot write " + archivePath(out_, disc_).string() + ": " + errnoText();
            data += n;
            size -= n;
            offset_ += n;
        }
        return {};
    }

    std::string finish() {
        sizes_.push_back(offset_);
        if (!fd_.close()) return "Cannot write " + archivePath(out_, disc_).string() + ": " + errnoText();
        return {};
    }

    const std::vector<uint64_t>& sizes() const { return sizes_; }

private:
    uint64_t room() const { return disc_ == 1 ? firstRoom_ : otherRoom_; }

    std::string openDisc(unsigned disc) {
        if (disc > 0xFFFF) return "The product needs more than 65535 discs";
        if (disc > 1) {
            sizes_.push_back(offset_);
            if (!fd_.close()) return "Cannot write " + archivePath(out_, disc_).string() + ": " + errnoText();
        }
        std::error_code ec;
        fs::create_directories(discFolder(out_, disc), ec);
        if (ec) return "Cannot create " + discFolder(out_, disc).string() + ": " + ec.message();
        fd_ = openWrite(archivePath(out_, disc));
        if (!fd_.valid()) return "Cannot create " + archivePath(out_, disc).string() + ": " + errnoText();
        disc_ = disc;
        offset_ = 0;
        return {};
    }

    fs::path out_;
    uint64_t firstRoom_, otherRoom_;
    unsigned disc_ = 0;
    uint64_t offset_ = 0;
    Fd fd_;
    std::vector<uint64_t> sizes_;
};

uint64_t fileSizeOrZero(const fs::path& p) {
    std::error_code ec;
    uint64_t n = p.empty() ? 0 : fs::file_size(p, ec);
    return ec ? 0 : n;
}

// Disc folders of an earlier build beyond the last disc of this one.
void removeStaleDiscs(const fs::path& out, unsigned discs) {
    std::error_code ec;
    for (unsigned d = discs + 1;; ++d) {
        fs::path folder = discFolder(out, d);
        if (!fs::exists(folder, ec)) break;
        fs::remove_all(folder, ec);
    }
}

}  // namespace

BuildResult writeSetup(const Product& product, const BuildOptions& options) {
    BuildResult result;
    auto fail = [&result](std::string error) {
        result.error = std::move(error);
        return result;
    };
    if (std::string e = checkProduct(product); !e.empty()) return fail(e);
    if (options.compressionLevel < MinLevel || options.compressionLevel > MaxLevel)
        return fail("The compression level must be between 1 and 19, not " +
                    std::to_string(options.compressionLevel));
    if (options.outputFolder.empty()) return fail("No output folder is given");
    for (const fs::path* p : {&options.setupProgram, &options.decompressor}) {
        std::error_code ec;
        if (!p->empty() && !fs::is_regular_file(*p, ec)) return fail("Cannot find " + p->string());
    }

    // Room for archive bytes on each disc: the capacity less the disc's other files.
    const uint64_t labelSize = L::disclabel::Size;
    const uint64_t firstOverhead = setupInfoSize(product) + labelSize + fileSizeOrZero(options.setupProgram) +
                                   fileSizeOrZero(options.decompressor);
    uint64_t firstRoom = L::MaxArchiveSize, otherRoom = L::MaxArchiveSize;
    if (options.discCapacity > 0) {
        if (options.discCapacity <= firstOverhead)
            return fail("A disc of " + std::to_string(options.discCapacity) +
                        " bytes cannot hold the first disc's " + std::to_string(firstOverhead) +
                        " bytes of setup files and any archive");
        firstRoom = std::min(firstRoom, options.discCapacity - firstOverhead);
        otherRoom = std::min(otherRoom, options.discCapacity - labelSize);
    }

    std::error_code ec;
    const fs::path& out = options.outputFolder;
    fs::create_directories(out, ec);
    if (ec) return fail("Cannot create " + out.string() + ": " + ec.message());
    // A build that fails half way must not look built: the installer copy goes last.
    fs::remove(discFolder(out, 1) / L::SetupProgramName, ec);
    const fs::path staging = out / ".building";
    fs::remove_all(staging, ec);
    fs::create_directories(staging, ec);
    if (ec) return fail("Cannot create " + staging.string() + ": " + ec.message());
    struct StagingCleanup {
        fs::path path;
        ~StagingCleanup() {
            std::error_code e;
            fs::remove_all(path, e);
        }
    } cleanup{staging};

    ArchiveSink sink(out, firstRoom, otherRoom);
    if (std::string e = sink.open(); !e.empty()) return fail(e);

    // Archive order: components in order, each with its files in record order. The files are
    // counted per component and then placed, so the order costs one pass over them.
    std::unordered_map<uint32_t, size_t> componentAt;  // the ids are unique: checked above
    for (size_t c = 0; c < product.components.size(); ++c) componentAt.emplace(product.components[c].id, c);
    std::vector<size_t> fileComponent(product.files.size());
    std::vector<size_t> firstJobOfComponent(product.components.size() + 1, 0);
    for (size_t f = 0; f < product.files.size(); ++f) {
        fileComponent[f] = componentAt.at(product.files[f].componentId);
        ++firstJobOfComponent[fileComponent[f] + 1];
    }
    for (size_t c = 1; c < firstJobOfComponent.size(); ++c) firstJobOfComponent[c] += firstJobOfComponent[c - 1];
    std::vector<size_t> order(product.files.size());
    {
        std::vector<size_t> place(firstJobOfComponent.begin(), firstJobOfComponent.end() - 1);
        for (size_t f = 0; f < product.files.size(); ++f) order[place[fileComponent[f]]++] = f;
    }

    const unsigned threads = std::max(1u, options.threads ? options.threads : std::thread::hardware_concurrency());
    // Jobs done but not yet written stay few: at most this many files of up to 4 MiB wait. Half
    // of it is told at once to the threads that wait (below).
    const size_t window = threads * 4;
    std::vector<Job> jobs(order.size());
    std::mutex mutex;
    // Two signals, so that a finished file wakes this thread alone and a written one only the
    // threads that wait for room.
    std::condition_variable windowMoved, jobDone;
    std::vector<Buffer> spare;  // output buffers written out, for the next files
    size_t written = 0;
    size_t waiting = 0;  // threads held back by the window
    std::atomic<size_t> next{0};
    std::atomic<bool> stop{false};

    auto worker = [&] {
        Compressor compressor(options.compressionLevel, threads);
        for (;;) {
            size_t i = next.fetch_add(1);
            if (i >= jobs.size()) return;
            {
                std::unique_lock lock(mutex);
                ++waiting;
                windowMoved.wait(lock, [&] { return stop || i < written + window; });
                --waiting;
                if (stop) return;
            }
            Job done;
            {
                std::lock_guard lock(mutex);
                if (!spare.empty()) {
                    done.bytes = std::move(spare.back());
                    spare.pop_back();
                }
            }
            compressor.run(product.files[order[i]].source, staging, i, done);
            done.done = true;
            {
                std::lock_guard lock(mutex);
                jobs[i] = std::move(done);
            }
            jobDone.notify_one();
        }
    };
    std::vector<std::thread> pool;
    for (unsigned t = 0; t < std::min<size_t>(threads, std::max<size_t>(jobs.size(), 1)); ++t)
        pool.emplace_back(worker);

    std::string error;
    result.components.resize(product.components.size());
    result.files.resize(product.files.size());
    std::vector<char> copyBuffer;
    size_t component = 0;
    for (size_t i = 0; i <= jobs.size() && error.empty(); ++i) {
        // Components start where the stream stands, before their first file (or none).
        while (component < product.components.size() && firstJobOfComponent[component] == i)
            result.components[component++] = sink.position();
        if (i == jobs.size()) break;
        if (options.progress) options.progress(i, jobs.size(), product.files[order[i]].name);
        Job job;
        {
            std::unique_lock lock(mutex);
            if (!jobs[i].done && waiting > 0) {
                // The thread of this file may still wait for a move it was not told of.
                lock.unlock();
                windowMoved.notify_all();
                lock.lock();
            }
            jobDone.wait(lock, [&] { return jobs[i].done; });
            job = std::move(jobs[i]);
        }
        if (!job.error.empty()) {
            error = "File \"" + product.files[order[i]].name + "\": " + job.error;
            break;
        }
        result.files[order[i]] = job.sizes;
        if (job.spill.empty()) {
            error = sink.write(job.bytes.data.get(), job.bytes.size);
        } else {
            Fd in = openRead(job.spill);
            copyBuffer.resize(StreamChunk);
            for (ssize_t got = 1; error.empty() && got > 0;) {
                got = in.valid() ? readFull(in.get(), copyBuffer.data(), copyBuffer.size()) : -1;
                if (got < 0) error = "Cannot read " + job.spill.string();
                else error = sink.write(copyBuffer.data(), static_cast<size_t>(got));
            }
            fs::remove(job.spill, ec);
        }
        bool held;  // a thread waits for the window to move
        {
            std::lock_guard lock(mutex);
            ++written;
            spare.push_back(std::move(job.bytes));
            held = waiting > 0;
        }
        // Told in steps of half the window: each wake-up costs more than compressing a small
        // file, and a woken thread then finds room for several.
        if (held && written % (window / 2) == 0) windowMoved.notify_all();
    }
    {
        std::lock_guard lock(mutex);
        stop = true;
    }
    windowMoved.notify_all();
    for (auto& t : pool) t.join();
    if (!error.empty()) return fail(error);
    if (std::string e = sink.finish(); !e.empty()) return fail(e);
    result.archiveSizes = sink.sizes();
    const unsigned discs = static_cast<unsigned>(result.archiveSizes.size());

    for (unsigned d = 1; d <= discs; ++d) {
        const uint8_t label[L::disclabel::Size] = {static_cast<uint8_t>(d), static_cast<uint8_t>(d >> 8), 0, 0,
                                                   static_cast<uint8_t>(discs), static_cast<uint8_t>(discs >> 8), 0, 0};
        if (std::string e = writeWholeFile(discFolder(out, d) / L::DiscLabelName, label); !e.empty())
            return fail(e);
    }
    removeStaleDiscs(out, discs);
    const std::vector<uint8_t> info = encodeSetupInfo(product, result.components, result.files);
    if (std::string e = writeWholeFile(discFolder(out, 1) / L::SetupInfoName, info); !e.empty()) return fail(e);
    if (!options.decompressor.empty()) {
        if (std::string e = copyFile(options.decompressor, discFolder(out, 1) / L::DecompressorName, false);
            !e.empty())
            return fail(e);
    }
    if (!options.setupProgram.empty()) {
        if (std::string e = copyFile(options.setupProgram, discFolder(out, 1) / L::SetupProgramName, true);
            !e.empty())
            return fail(e);
    }
    return result;
}

}  // namespace build
