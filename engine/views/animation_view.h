// The frame interface of views that play a range of frames (picture sequences and video).
#pragma once

class IMAnimationView {
public:
    virtual ~IMAnimationView() = default;

    virtual void SetFrame(int n) = 0;
    virtual int GetFrame() const = 0;
    virtual int GetStart() const = 0;
    virtual int GetEnd() const = 0;
    virtual void SetStart(int n) = 0;
    virtual void SetEnd(int n) = 0;
};
