#pragma once

namespace corvane {

// While the program runs it holds a mark that its Windows installer and
// uninstaller look for ("Local\Corvane"), so that they wait for it to be
// closed instead of replacing files under it. Nothing on other systems.
class RunningMark {
public:
    RunningMark();
    ~RunningMark();
    RunningMark(const RunningMark &) = delete;
    RunningMark &operator=(const RunningMark &) = delete;

private:
    [[maybe_unused]] void *m_handle = nullptr; // used on Windows only
};

} // namespace corvane
