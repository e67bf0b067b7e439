// Times a program from its start to the first frame a person could see: the first window it maps on the X display
// that shows anything but black. The display must start black where nothing is drawn (run.sh starts Xvfb so).
#pragma once

#include <optional>
#include <string>

struct _XDisplay;

namespace bench {

class FirstFrameWatch {
public:
    FirstFrameWatch(); // on $DISPLAY
    ~FirstFrameWatch();
    FirstFrameWatch(const FirstFrameWatch&) = delete;
    FirstFrameWatch& operator=(const FirstFrameWatch&) = delete;

    // Why the display cannot be watched, or empty.
    const std::string& Problem() const { return problem_; }

    // Starts the executable in a fresh process and returns the wall seconds until its first shown frame, then ends
    // it and waits until its windows are gone. Nothing when no frame showed within ten seconds or the program
    // ended first; Problem() then says why.
    std::optional<double> Measure(const std::string& executable);

private:
    _XDisplay* display_ = nullptr;
    std::string problem_;
    std::string folder_;
};

} // namespace bench
