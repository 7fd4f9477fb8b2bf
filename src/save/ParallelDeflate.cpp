#include "save/ParallelDeflate.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <new>
#include <optional>
#include <system_error>
#include <thread>

#include "save/DeflatePiece.h"

namespace vellumo {

namespace {

/// One piece compressed: raw Deflate data and what the trailer needs of it.
struct Compressed {
    std::vector<uint8_t> bytes;
    uint32_t adler = 1;
    size_t length = 0;
};

/// What one worker reuses from piece to piece: its compressor and its data buffer (a fresh
/// one for every piece costs a page fault for each of its pages).
struct PieceWork {
    explicit PieceWork(int level) : deflater(level) {}
    PieceDeflater deflater;
    std::vector<uint8_t> data;
};

void CompressPiece(size_t piece, size_t pieces, const DeflatePieceSource& source, PieceWork& work,
                   Compressed& result) {
    work.data.clear();
    source(piece, work.data);
    work.deflater.Compress(work.data.data(), work.data.size(), piece + 1 == pieces, result.bytes);
    result.adler = libdeflate_adler32(1, work.data.data(), work.data.size());
    result.length = work.data.size();
}

/// The two bytes before the Deflate data: a 32 KiB window, and the level class zlib
/// itself would state for `level`.
void WriteHeader(int level, const DeflateSink& sink) {
    const unsigned levelFlags = level < 2 ? 0 : level < 6 ? 1 : level == 6 ? 2 : 3;
    unsigned header = (0x78u << 8) | (levelFlags << 6);
    header += 31 - header % 31;
    const uint8_t bytes[2] = {uint8_t(header >> 8), uint8_t(header)};
    sink(bytes, 2);
}

/// Joins the pieces as they come, in order, into the stream's Adler-32.
class Trailer {
  public:
    void Add(const Compressed& c) {
        adler_ = first_ ? c.adler : adler32_combine(adler_, c.adler, z_off_t(c.length));
        first_ = false;
    }
    void Write(const DeflateSink& sink) const {
        const uLong a = first_ ? 1 : adler_;
        const uint8_t bytes[4] = {uint8_t(a >> 24), uint8_t(a >> 16), uint8_t(a >> 8), uint8_t(a)};
        sink(bytes, 4);
    }

  private:
    uLong adler_ = 1;
    bool first_ = true;
};

/// The pieces shared by the workers and the writing thread.
class PieceQueue {
  public:
    PieceQueue(size_t pieces, size_t slots)
        : pieces_(pieces), slots_(slots), ready_(slots), readyFlags_(slots, false) {}

    /// The next piece to compress, or false when there is none or the stream was stopped.
    /// Waits while the slots are all taken by pieces the writer has not yet had.
    bool Claim(size_t& piece) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock,
                      [&] { return stopped_ || next_ >= pieces_ || next_ < taken_ + slots_; });
        if (stopped_ || next_ >= pieces_) return false;
        piece = next_++;
        return true;
    }
    void Done(size_t piece, Compressed&& c) {
        std::lock_guard lock(mutex_);
        ready_[piece % slots_] = std::move(c);
        readyFlags_[piece % slots_] = true;
        changed_.notify_all();
    }
    void Fail(std::exception_ptr error) {
        std::lock_guard lock(mutex_);
        if (!error_) error_ = error;
        stopped_ = true;
        changed_.notify_all();
    }
    void Stop() {
        std::lock_guard lock(mutex_);
        stopped_ = true;
        changed_.notify_all();
    }
    /// Waits for piece `piece` (the one after the last taken) and hands it over; false when
    /// a worker failed.
    bool Take(size_t piece, Compressed& out) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return error_ || readyFlags_[piece % slots_]; });
        if (error_) return false;
        out = std::move(ready_[piece % slots_]);
        readyFlags_[piece % slots_] = false;
        taken_ = piece + 1;
        changed_.notify_all();
        return true;
    }
    std::exception_ptr FirstError() {
        std::lock_guard lock(mutex_);
        return error_;
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    const size_t pieces_;
    const size_t slots_;
    size_t next_ = 0;
    size_t taken_ = 0;
    bool stopped_ = false;
    std::exception_ptr error_;
    std::vector<Compressed> ready_;
    std::vector<bool> readyFlags_;
};

/// Joins the workers on every way out.
class Workers {
  public:
    explicit Workers(PieceQueue& queue) : queue_(queue) {}
    ~Workers() {
        queue_.Stop();
        for (std::thread& t : threads_) t.join();
    }
    template <typename Work>
    void Start(unsigned count, Work work) {
        for (unsigned i = 0; i < count; ++i) {
            try {
                threads_.emplace_back(work);
            } catch (const std::system_error&) {
                break;  // fewer threads, the same bytes
            }
        }
    }
    size_t Count() const { return threads_.size(); }

  private:
    PieceQueue& queue_;
    std::vector<std::thread> threads_;
};

/// The pieces compressed on `threads` workers and handed to `sink` in order. False, with
/// nothing written, when no worker could be started.
bool CompressOnWorkers(size_t pieces, const DeflatePieceSource& source, const DeflateSink& sink,
                       int level, unsigned threads, Trailer& trailer,
                       const std::function<void(size_t)>& piecesDone) {
    PieceQueue queue(pieces, size_t(threads) * 2);
    {
        Workers workers(queue);
        workers.Start(threads, [&] {
            std::optional<PieceWork> work;
            size_t piece = 0;
            while (queue.Claim(piece)) {
                try {
                    if (!work) work.emplace(level);
                    Compressed c;
                    CompressPiece(piece, pieces, source, *work, c);
                    queue.Done(piece, std::move(c));
                } catch (...) {
                    queue.Fail(std::current_exception());
                    return;
                }
            }
        });
        if (workers.Count() == 0) return false;
        for (size_t i = 0; i < pieces; ++i) {
            Compressed c;
            if (!queue.Take(i, c)) break;
            // A sink that throws stops and joins the workers as this scope ends.
            sink(c.bytes.data(), c.bytes.size());
            trailer.Add(c);
            if (piecesDone) piecesDone(i + 1);
        }
    }
    if (std::exception_ptr error = queue.FirstError()) std::rethrow_exception(error);
    return true;
}

}  // namespace

void DeflateInPieces(size_t pieces, const DeflatePieceSource& source, const DeflateSink& sink,
                     int level, unsigned threads, const std::function<void(size_t)>& piecesDone) {
    if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
    threads = unsigned(std::min<size_t>(threads, pieces));
    WriteHeader(level, sink);
    Trailer trailer;
    if (pieces == 0) {  // an empty stream still has its final block
        Compressed c;
        PieceWork work(level);
        CompressPiece(
            0, 1, [](size_t, std::vector<uint8_t>&) {}, work, c);
        sink(c.bytes.data(), c.bytes.size());
    } else if (threads <= 1 ||
               !CompressOnWorkers(pieces, source, sink, level, threads, trailer, piecesDone)) {
        PieceWork work(level);
        for (size_t i = 0; i < pieces; ++i) {
            Compressed c;
            CompressPiece(i, pieces, source, work, c);
            sink(c.bytes.data(), c.bytes.size());
            trailer.Add(c);
            if (piecesDone) piecesDone(i + 1);
        }
    }
    trailer.Write(sink);
}

}  // namespace vellumo
