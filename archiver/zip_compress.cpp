#include "zip_compress.h"

#include "zip_deflate.h"
#include "zip_failure.h"
#include "zip_limits.h"
#include "zip_options.h"

#include <libdeflate.h>

#include <algorithm>
#include <chrono>
#include <memory>

namespace corvane::zip {

namespace {

constexpr std::chrono::milliseconds stopCheckInterval{100};

void readWhole(Job& job)
{
    const std::string& path = job.source->path;
    os::InputFile file(path);
    job.status = file.info();
    if (job.source->directory)
        return;
    if (std::string limit = checkFileSize(job.status.size); !limit.empty())
        throw Failure(exitcode::tooBig, path + ": " + limit);
    // One byte more than expected, to notice a file that grew meanwhile.
    job.data.resize(static_cast<std::size_t>(job.status.size) + 1);
    std::size_t have = 0;
    for (;;) {
        if (have == job.data.size()) {
            if (std::string limit = checkFileSize(have); !limit.empty())
                throw Failure(exitcode::tooBig, path + ": " + limit);
            job.data.resize(job.data.size() * 2);
        }
        const std::size_t got = file.read(job.data.data() + have, job.data.size() - have);
        if (got == 0)
            break;
        have += got;
    }
    job.data.resize(have);
    if (std::string limit = checkFileSize(have); !limit.empty())
        throw Failure(exitcode::tooBig, path + ": " + limit);
}

void compress(Job& job, libdeflate_compressor* compressor, int level)
{
    readWhole(job);
    const std::size_t size = job.data.size();
    job.size = size;
    job.crc = libdeflate_crc32(0, job.data.data(), size);
    if (!compressor)
        return;
    // A stream that is not smaller is not worth having: the entry is
    // stored instead, like Info-ZIP does.
    job.packed = deflateData(job.data.data(), size, level, compressor,
                             pieceCount(size, level, std::thread::hardware_concurrency()));
    if (job.packed.empty())
        return;
    job.deflated = true;
    job.data = {};
}

} // namespace

Compressors::Compressors(std::vector<Job>& jobs, int level) : m_jobs(jobs)
{
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        if (jobs[i].source->streamed)
            jobs[i].state = Job::State::done; // nothing to do here
        m_bySize.push_back(i);
    }
    std::stable_sort(m_bySize.begin(), m_bySize.end(),
                     [&](std::size_t a, std::size_t b) { return jobs[a].cost > jobs[b].cost; });
    unsigned threads = std::max(1u, std::thread::hardware_concurrency());
    threads = static_cast<unsigned>(std::min<std::size_t>(threads, jobs.size()));
    for (unsigned i = 0; i < threads; ++i)
        m_threads.emplace_back([this, level] { work(level); });
}

Compressors::~Compressors()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopped = true;
    }
    m_changed.notify_all();
    for (std::thread& thread : m_threads)
        thread.join();
}

Job& Compressors::await(std::size_t index)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_nextToWrite = index;
    m_changed.notify_all();
    // Woken now and then to heed a stop request while a big file compresses.
    while (!m_changed.wait_for(lock, stopCheckInterval, [&] { return m_jobs[index].state == Job::State::done; })) {
        lock.unlock();
        os::checkStop();
        lock.lock();
    }
    return m_jobs[index];
}

void Compressors::release(std::size_t index)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    Job& job = m_jobs[index];
    m_charged -= job.cost;
    job.data = {};
    job.packed = {};
    m_changed.notify_all();
}

// Called with the lock held.
std::size_t Compressors::choose()
{
    while (m_sorted < m_bySize.size() && m_jobs[m_bySize[m_sorted]].state != Job::State::waiting)
        ++m_sorted;
    if (m_sorted == m_bySize.size())
        return none;
    const std::size_t largest = m_bySize[m_sorted];
    if (m_charged == 0 || m_charged + m_jobs[largest].cost <= memoryBudget)
        return largest;
    // Whatever the budget, the job the writer waits for may always run.
    if (m_nextToWrite < m_jobs.size() && m_jobs[m_nextToWrite].state == Job::State::waiting)
        return m_nextToWrite;
    return none;
}

void Compressors::work(int level)
{
    std::unique_ptr<libdeflate_compressor, void (*)(libdeflate_compressor*)> compressor(
        level > 0 ? libdeflate_alloc_compressor(level) : nullptr, libdeflate_free_compressor);
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        std::size_t pick = none;
        m_changed.wait(lock, [&] {
            if (m_stopped)
                return true;
            pick = choose();
            return pick != none || m_sorted == m_bySize.size();
        });
        if (m_stopped || pick == none)
            return;
        Job& job = m_jobs[pick];
        job.state = Job::State::running;
        m_charged += job.cost;
        lock.unlock();
        try {
            if (level > 0 && !compressor)
                throw Failure(exitcode::cannotWrite, "out of memory for the compressor");
            compress(job, compressor.get(), level);
        } catch (const Failure& failure) {
            job.errorCode = failure.code;
            job.error = failure.what();
        } catch (const std::bad_alloc&) {
            job.errorCode = exitcode::outOfMemory;
            job.error = "Out of memory reading " + job.source->path;
        }
        lock.lock();
        job.state = Job::State::done;
        m_changed.notify_all();
    }
}

} // namespace corvane::zip
