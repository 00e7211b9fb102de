#pragma once
// Deflate (zlib format, as /FlateDecode reads it) with libdeflate, on the
// calling thread or on a small pool of worker threads. Pages are independent
// once drawn, so their streams can be compressed while the next page is drawn;
// the caller collects each result in its own order, so the bytes are the same
// whether one thread compresses or several.
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

struct libdeflate_compressor;

namespace qv::render {

// One libdeflate compressor; it keeps no state between buffers, so a thread
// reuses it for every stream it compresses.
class Deflater {
public:
    explicit Deflater(int level);
    ~Deflater();
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    // `data` compressed into `out` (replacing what it held).
    void Compress(std::string_view data, std::string& out);

private:
    libdeflate_compressor* m_compressor;
};

class DeflatePool {
public:
    // A buffer handed to the pool: its input, and its output once done.
    struct Job {
        std::string input;
        std::string output;
        std::exception_ptr error;
        bool done = false;
    };

    // `threads` workers (at least one) compressing at `level`.
    DeflatePool(int threads, int level);
    // Stops the workers; jobs not yet started are dropped.
    ~DeflatePool();
    DeflatePool(const DeflatePool&) = delete;
    DeflatePool& operator=(const DeflatePool&) = delete;

    std::shared_ptr<Job> Submit(std::string input);
    // Blocks until `job` is done; rethrows what its compression threw.
    void Wait(Job& job);
    bool Done(const Job& job);

    // The workers a document gets by default: one per core, at most four
    // (a page is drawn on one thread, so more would wait for it).
    static int DefaultThreads();

private:
    void Work(int level);
    void Stop();

    std::mutex m_mutex;
    std::condition_variable m_work;  // a job was queued, or stop
    std::condition_variable m_done;  // a job was finished
    std::deque<std::shared_ptr<Job>> m_queue;
    bool m_stop = false;
    std::vector<std::thread> m_threads;  // last: started once the rest exists
};

}  // namespace qv::render
