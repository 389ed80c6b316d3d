// The new files' data: read, checksummed and deflated on worker threads,
// handed to the writer in archive order.
#pragma once

#include "zip_os.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace corvane::zip {

// Input and output buffers of files being compressed at once; beyond it
// workers wait for the writer. Files bigger than a stream piece are not held
// whole but streamed by the writer (zip_stream.h), so this bounds the rest.
constexpr std::uint64_t memoryBudget = 32ull << 20;

// A file named on the command line.
struct Source {
    std::string path; // as given on the command line
    std::string name; // entry name; folders end in '/'
    bool directory = false;
    bool replacing = false;
    bool streamed = false; // too big to hold whole: the writer streams it
};

struct Job {
    const Source* source = nullptr;
    enum class State { waiting, running, done } state = State::waiting;
    std::uint64_t cost = 0; // bytes charged against memoryBudget

    os::FileInfo status;
    std::vector<unsigned char> data;   // the file as read
    std::vector<unsigned char> packed; // raw deflate stream, when smaller
    bool deflated = false;
    std::uint64_t size = 0; // bytes read, which is what the entry holds
    std::uint32_t crc = 0;
    int errorCode = 0;
    std::string error;
};

// Compresses the jobs on worker threads, largest first so that the biggest
// file (usually the BSP) does not finish last; the writer takes them in
// archive order.
class Compressors {
public:
    Compressors(std::vector<Job>& jobs, int level);
    ~Compressors();
    Compressors(const Compressors&) = delete;
    Compressors& operator=(const Compressors&) = delete;

    // The job once it is done; a failed one carries its error.
    Job& await(std::size_t index);
    // The writer is through with the job: its memory goes back to the budget.
    void release(std::size_t index);

private:
    static constexpr std::size_t none = static_cast<std::size_t>(-1);

    std::size_t choose();
    void work(int level);

    std::vector<Job>& m_jobs;
    std::vector<std::size_t> m_bySize;
    std::size_t m_sorted = 0;
    std::size_t m_nextToWrite = none;
    std::uint64_t m_charged = 0;
    bool m_stopped = false;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::thread> m_threads;
};

} // namespace corvane::zip
