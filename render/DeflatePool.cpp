#include "render/DeflatePool.h"

#include <libdeflate.h>

#include <algorithm>

#include "common/CqvEx.h"

namespace qv::render {

Deflater::Deflater(int level) : m_compressor(libdeflate_alloc_compressor(level)) {
    if (!m_compressor) throw CqvEx("Can not allocate enough memory");
}

Deflater::~Deflater() { libdeflate_free_compressor(m_compressor); }

void Deflater::Compress(std::string_view data, std::string& out) {
    out.resize(libdeflate_zlib_compress_bound(m_compressor, data.size()));
    // The bound leaves room for any input, so a zero means something broke.
    const size_t length = libdeflate_zlib_compress(m_compressor, data.data(), data.size(), out.data(), out.size());
    if (length == 0) throw CqvEx("Can not allocate enough memory");
    out.resize(length);
}

DeflatePool::DeflatePool(int threads, int level) {
    const int count = std::max(threads, 1);
    m_threads.reserve(static_cast<size_t>(count));
    try {
        for (int i = 0; i < count; ++i) m_threads.emplace_back([this, level] { Work(level); });
    } catch (...) {
        Stop();  // the threads already started must not outlive the pool
        throw;
    }
}

DeflatePool::~DeflatePool() { Stop(); }

void DeflatePool::Stop() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_work.notify_all();
    for (std::thread& t : m_threads) t.join();
    m_threads.clear();
}

int DeflatePool::DefaultThreads() {
    const unsigned cores = std::thread::hardware_concurrency();
    return static_cast<int>(std::clamp(cores, 1u, 4u));
}

std::shared_ptr<DeflatePool::Job> DeflatePool::Submit(std::string input) {
    auto job = std::make_shared<Job>();
    job->input = std::move(input);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_queue.push_back(job);
    }
    m_work.notify_one();
    return job;
}

bool DeflatePool::Done(const Job& job) {
    std::lock_guard<std::mutex> lock(m_mutex);
    return job.done;
}

void DeflatePool::Wait(Job& job) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_done.wait(lock, [&] { return job.done; });
    if (job.error) std::rethrow_exception(job.error);
}

void DeflatePool::Work(int level) {
    std::unique_ptr<Deflater> deflater;
    std::exception_ptr setupError;
    try {
        deflater = std::make_unique<Deflater>(level);
    } catch (...) {
        setupError = std::current_exception();
    }
    for (;;) {
        std::shared_ptr<Job> job;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_work.wait(lock, [this] { return m_stop || !m_queue.empty(); });
            if (m_stop) return;
            job = std::move(m_queue.front());
            m_queue.pop_front();
        }
        // The job's buffers belong to this thread until `done` is set under
        // the lock; the submitter reads them only after seeing it.
        std::string output;
        std::exception_ptr error = setupError;
        if (!error) {
            try {
                deflater->Compress(job->input, output);
            } catch (...) {
                error = std::current_exception();
            }
        }
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            job->output = std::move(output);
            job->error = error;
            job->input = std::string();
            job->done = true;
        }
        m_done.notify_all();
    }
}

}  // namespace qv::render
