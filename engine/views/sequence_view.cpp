#include "engine/views/sequence_view.h"

#include <algorithm>

#include <boost/format.hpp>

void IMSequenceView::SetFrame(int n)
{
    if (n < 0 || n >= GetFrameCount())
        return;
    frame_ = n;
    SetTexture(frames_[static_cast<size_t>(n)]);
}

int IMSequenceView::Clamp(int n) const
{
    return std::clamp(n, 0, GetFrameCount());
}

void IMSequenceView::SetStart(int n)
{
    start_ = Clamp(n);
}

void IMSequenceView::SetEnd(int n)
{
    end_ = Clamp(n);
}

void IMSequenceView::AddFrame(const std::wstring& name)
{
    frames_.push_back(name);
    SetFrame(GetStart());
}

void IMSequenceView::AddFrames(const std::wstring& pattern, int first, int last)
{
    for (long long i = first; i <= last; ++i)
        AddFrame((boost::wformat(pattern) % static_cast<int>(i)).str());
}
